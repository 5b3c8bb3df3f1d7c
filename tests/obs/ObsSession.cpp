#include "ObsSession.h"

#include <obs-module.h>
#include <obs-nix-platform.h>
#include <util/base.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::mutex lgLogLock;
std::vector<std::string> lgLog;

void LogHandler(int theLevel, const char* theFormat, va_list theArguments, void*)
{
    char theLine[4096];
    std::vsnprintf(theLine, sizeof theLine, theFormat, theArguments);
    if (theLevel <= LOG_ERROR) std::fprintf(stderr, "libobs: %s\n", theLine);
    std::lock_guard<std::mutex> theLock(lgLogLock);
    lgLog.emplace_back(theLine);
}

struct Picture {
    uint32_t width;
    uint32_t height;
    std::vector<uint8_t> pixels;
};

std::mutex lgPictureLock;
std::map<std::string, Picture> lgPictures;

// Texel for texel: llvmpipe interpolates coordinates in fixed point on large pictures, and a
// filtered read there takes a little of the neighbours.
constexpr const char* cPictureEffect = R"(
uniform float4x4 ViewProj;
uniform texture2d image;
uniform float2 size;
struct VertData {
	float4 pos : POSITION;
	float2 uv : TEXCOORD0;
};
VertData VSDefault(VertData v_in)
{
	VertData vert_out;
	vert_out.pos = mul(float4(v_in.pos.xyz, 1.0), ViewProj);
	vert_out.uv = v_in.uv;
	return vert_out;
}
float4 PSLoad(VertData v_in) : TARGET
{
	return image.Load(int3(floor(v_in.uv * size), 0));
}
technique Draw
{
	pass
	{
		vertex_shader = VSDefault(v_in);
		pixel_shader = PSLoad(v_in);
	}
}
)";

struct PictureSource {
    gs_texture_t* texture;
    gs_effect_t* effect;
    uint32_t width;
    uint32_t height;
};

void* CreatePictureHandler(obs_data_t* theSettings, obs_source_t*)
{
    Picture thePicture;
    {
        std::lock_guard<std::mutex> theLock(lgPictureLock);
        const auto theFound = lgPictures.find(obs_data_get_string(theSettings, "picture"));
        if (theFound == lgPictures.end()) return nullptr;
        thePicture = theFound->second;
    }
    const uint8_t* theData = thePicture.pixels.data();
    obs_enter_graphics();
    gs_texture_t* theTexture = gs_texture_create(thePicture.width, thePicture.height, GS_BGRA, 1, &theData, 0);
    gs_effect_t* theEffect = gs_effect_create(cPictureEffect, "glint_test_picture.effect", nullptr);
    obs_leave_graphics();
    return new PictureSource{theTexture, theEffect, thePicture.width, thePicture.height};
}

void DestroyPictureHandler(void* theData)
{
    PictureSource* theSource = static_cast<PictureSource*>(theData);
    obs_enter_graphics();
    gs_texture_destroy(theSource->texture);
    gs_effect_destroy(theSource->effect);
    obs_leave_graphics();
    delete theSource;
}

void RenderPictureHandler(void* theData, gs_effect_t*)
{
    PictureSource* theSource = static_cast<PictureSource*>(theData);
    gs_effect_t* theEffect = theSource->effect;
    gs_effect_set_texture(gs_effect_get_param_by_name(theEffect, "image"), theSource->texture);
    const vec2 theSize{{{float(theSource->width), float(theSource->height)}}};
    gs_effect_set_vec2(gs_effect_get_param_by_name(theEffect, "size"), &theSize);
    while (gs_effect_loop(theEffect, "Draw")) gs_draw_sprite(theSource->texture, 0, theSource->width, theSource->height);
}

uint32_t GetPictureWidthHandler(void* theData)
{
    return static_cast<PictureSource*>(theData)->width;
}

uint32_t GetPictureHeightHandler(void* theData)
{
    return static_cast<PictureSource*>(theData)->height;
}

const char* GetPictureNameHandler(void*)
{
    return "Test picture";
}

void RegisterPictureSource()
{
    obs_source_info theInfo{};
    theInfo.id = "glint_test_picture";
    theInfo.type = OBS_SOURCE_TYPE_INPUT;
    theInfo.output_flags = OBS_SOURCE_VIDEO | OBS_SOURCE_CUSTOM_DRAW;
    theInfo.get_name = GetPictureNameHandler;
    theInfo.create = CreatePictureHandler;
    theInfo.destroy = DestroyPictureHandler;
    theInfo.video_render = RenderPictureHandler;
    theInfo.get_width = GetPictureWidthHandler;
    theInfo.get_height = GetPictureHeightHandler;
    obs_register_source(&theInfo);
}

// Xvfb on a display number it picks itself; its pid, or -1.
int StartServer(std::string& outDisplay)
{
    int thePipe[2];
    if (pipe(thePipe) != 0) return -1;
    const pid_t thePid = fork();
    if (thePid == 0) {
        close(thePipe[0]);
        // It says so when a display number it tries is taken.
        freopen("/dev/null", "w", stderr);
        const std::string theFd = std::to_string(thePipe[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", theFd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(thePipe[1]);
    char theNumber[32] = {};
    size_t theRead = 0;
    while (theRead < sizeof theNumber - 1) {
        const ssize_t theCount = read(thePipe[0], theNumber + theRead, sizeof theNumber - 1 - theRead);
        if (theCount <= 0 || std::memchr(theNumber, '\n', theRead + size_t(theCount))) {
            theRead += theCount > 0 ? size_t(theCount) : 0;
            break;
        }
        theRead += size_t(theCount);
    }
    close(thePipe[0]);
    if (thePid < 0 || theRead == 0) return -1;
    outDisplay.assign(1, ':').append(theNumber, std::strcspn(theNumber, "\n"));
    return thePid;
}

} // namespace

ObsSession::~ObsSession()
{
    if (mReading) {
        obs_remove_raw_video_callback(FrameHandler, this);
        obs_remove_tick_callback(TickHandler, this);
    }
    if (mStarted) {
        obs_set_output_source(0, nullptr);
        obs_shutdown();
    }
    if (mDisplay) XCloseDisplay(static_cast<Display*>(mDisplay));
    if (mServerPid > 0) {
        kill(mServerPid, SIGTERM);
        waitpid(mServerPid, nullptr, 0);
    }
}

bool ObsSession::Start(uint32_t theWidth, uint32_t theHeight, uint32_t theRateNum, uint32_t theRateDen,
                       std::string& outError)
{
    {
        std::lock_guard<std::mutex> theLock(lgLogLock);
        lgLog.clear();
    }
    base_set_log_handler(LogHandler, nullptr);
    std::string theDisplayName;
    mServerPid = StartServer(theDisplayName);
    if (mServerPid < 0) {
        outError = "Xvfb did not start (package xvfb)";
        return false;
    }
    // libobs's hotkeys open a connection of their own, to $DISPLAY.
    setenv("DISPLAY", theDisplayName.c_str(), 1);
    mDisplay = XOpenDisplay(theDisplayName.c_str());
    if (!mDisplay) {
        outError = "no connection to Xvfb on " + theDisplayName;
        return false;
    }
    obs_set_nix_platform(OBS_NIX_PLATFORM_X11_EGL);
    obs_set_nix_platform_display(mDisplay);
    if (!obs_startup("en-US", nullptr, nullptr)) {
        outError = "obs_startup failed: " + (lgLog.empty() ? std::string("no log") : lgLog.back());
        return false;
    }
    mStarted = true;
    // OBS's output is a multiple of 4 pixels wide and of 2 high: the canvas is the smallest such
    // size that holds the pictures, which keep their own size, and so the transition's.
    theWidth = (theWidth + 3) & ~3u;
    theHeight = (theHeight + 1) & ~1u;
    obs_video_info theVideo{};
    theVideo.graphics_module = "libobs-opengl";
    theVideo.fps_num = theRateNum;
    theVideo.fps_den = theRateDen;
    theVideo.base_width = theVideo.output_width = theWidth;
    theVideo.base_height = theVideo.output_height = theHeight;
    theVideo.output_format = VIDEO_FORMAT_BGRA;
    theVideo.gpu_conversion = true;
    theVideo.colorspace = VIDEO_CS_SRGB;
    theVideo.range = VIDEO_RANGE_FULL;
    theVideo.scale_type = OBS_SCALE_POINT;
    const int theResult = obs_reset_video(&theVideo);
    if (theResult != OBS_VIDEO_SUCCESS) {
        outError = "obs_reset_video failed (" + std::to_string(theResult) + "): " + (lgLog.empty() ? std::string() : lgLog.back());
        return false;
    }
    width = theWidth;
    height = theHeight;
    RegisterPictureSource();
    return true;
}

namespace {

struct FoundModule {
    std::string bin;
    std::string data;
};

void FindGlintweaveHandler(void* theParam, const obs_module_info2* theInfo)
{
    if (std::strcmp(theInfo->name, "glintweave") == 0)
        *static_cast<FoundModule*>(theParam) = FoundModule{theInfo->bin_path, theInfo->data_path};
}

bool OpenModule(const std::string& theBin, const std::string& theData, std::string& outError)
{
    obs_module_t* theModule = nullptr;
    const int theResult = obs_open_module(&theModule, theBin.c_str(), theData.c_str());
    if (theResult != MODULE_SUCCESS) {
        outError = "obs_open_module " + theBin + ": " + std::to_string(theResult);
        return false;
    }
    if (!obs_init_module(theModule)) {
        outError = "the module " + theBin + " did not load";
        return false;
    }
    return true;
}

} // namespace

bool ObsSession::LoadUserModule(const std::string& theConfig, std::string& outError)
{
    // The search paths OBS Studio adds for the user's own plug-ins.
    const std::string theBase = theConfig + "/obs-studio/plugins/%module%";
    obs_add_module_path((theBase + "/bin/64bit").c_str(), (theBase + "/data").c_str());
    FoundModule theFound;
    obs_find_modules2(FindGlintweaveHandler, &theFound);
    if (theFound.bin.empty()) {
        outError = "glintweave is not in " + theConfig + "/obs-studio/plugins";
        return false;
    }
    if (theFound.bin.rfind(theConfig, 0) != 0) {
        outError = "glintweave was found in " + theFound.bin + ", not under " + theConfig;
        return false;
    }
    if (!OpenModule(theFound.bin, theFound.data, outError)) return false;
    obs_post_load_modules();
    return true;
}

bool ObsSession::LoadSystemModule(const char* theName, std::string& outError)
{
    return OpenModule(std::string("/usr/lib/x86_64-linux-gnu/obs-plugins/") + theName + ".so",
                      std::string("/usr/share/obs/obs-plugins/") + theName, outError);
}

void ObsSession::FrameHandler(void* theParam, video_data* theFrame)
{
    ObsSession* theSession = static_cast<ObsSession*>(theParam);
    ObsFrame theCopy;
    const size_t theRow = size_t(theSession->width) * 4;
    theCopy.pixels.resize(theRow * theSession->height);
    for (uint32_t y = 0; y < theSession->height; ++y)
        std::memcpy(&theCopy.pixels[y * theRow], theFrame->data[0] + size_t(y) * theFrame->linesize[0], theRow);
    std::lock_guard<std::mutex> theLock(theSession->mLock);
    theCopy.number = theSession->mCount++;
    theCopy.timestamp = theFrame->timestamp;
    if (theSession->mKeepAll) theSession->mKept.push_back(theCopy);
    theSession->mLatest = std::move(theCopy);
    theSession->mArrived.notify_all();
}

void ObsSession::TickHandler(void* theParam, float)
{
    ObsSession* theSession = static_cast<ObsSession*>(theParam);
    std::lock_guard<std::mutex> theLock(theSession->mLock);
    if (!theSession->mMarking) return;
    theSession->mMarking = false;
    theSession->mMarkedTime = obs_get_video_frame_time();
    theSession->mArrived.notify_all();
}

void ObsSession::ReadFrames()
{
    if (mReading) return;
    mReading = true;
    obs_add_tick_callback(TickHandler, this);
    obs_add_raw_video_callback(nullptr, FrameHandler, this);
}

bool ObsSession::WaitNewFrame(double theSeconds, ObsFrame& outFrame)
{
    std::unique_lock<std::mutex> theLock(mLock);
    mMarking = true;
    const auto theEnd = std::chrono::steady_clock::now() + std::chrono::duration<double>(theSeconds);
    // The marked tick may have come after the sources' own ticks: the frame after it is sure.
    if (!mArrived.wait_until(theLock, theEnd, [&] { return !mMarking && mLatest.timestamp > mMarkedTime; }))
        return false;
    outFrame = mLatest;
    return true;
}

bool ObsSession::WaitFrame(uint64_t theCount, double theSeconds, ObsFrame& outFrame)
{
    std::unique_lock<std::mutex> theLock(mLock);
    if (!mArrived.wait_for(theLock, std::chrono::duration<double>(theSeconds), [&] { return mCount > theCount; }))
        return false;
    outFrame = mLatest;
    return true;
}

uint64_t ObsSession::CountFrames()
{
    std::lock_guard<std::mutex> theLock(mLock);
    return mCount;
}

std::vector<ObsFrame> ObsSession::TakeFrames()
{
    std::lock_guard<std::mutex> theLock(mLock);
    return std::exchange(mKept, {});
}

void ObsSession::KeepAllFrames(bool theKeep)
{
    std::lock_guard<std::mutex> theLock(mLock);
    mKeepAll = theKeep;
    mKept.clear();
}

std::vector<std::string> ObsSession::LogLines()
{
    std::lock_guard<std::mutex> theLock(lgLogLock);
    return lgLog;
}

void SetTestPicture(const std::string& theName, uint32_t theWidth, uint32_t theHeight, std::vector<uint8_t> thePixels)
{
    std::lock_guard<std::mutex> theLock(lgPictureLock);
    lgPictures[theName] = Picture{theWidth, theHeight, std::move(thePixels)};
}

obs_source_t* CreatePicture(const std::string& theName)
{
    obs_data_t* theSettings = obs_data_create();
    obs_data_set_string(theSettings, "picture", theName.c_str());
    obs_source_t* thePicture = obs_source_create_private("glint_test_picture", theName.c_str(), theSettings);
    obs_data_release(theSettings);
    return thePicture;
}

namespace {

// What theDraw draws into a BGRA texture of theWidth x theHeight, read back.
template <typename Draw>
std::vector<uint8_t> DrawIntoTexture(uint32_t theWidth, uint32_t theHeight, Draw theDraw)
{
    std::vector<uint8_t> thePixels;
    obs_enter_graphics();
    gs_texrender_t* theTarget = gs_texrender_create(GS_BGRA, GS_ZS_NONE);
    gs_stagesurf_t* theStage = gs_stagesurface_create(theWidth, theHeight, GS_BGRA);
    if (gs_texrender_begin(theTarget, theWidth, theHeight)) {
        vec4 theClear{};
        gs_clear(GS_CLEAR_COLOR, &theClear, 0.0f, 0);
        gs_ortho(0.0f, float(theWidth), 0.0f, float(theHeight), -100.0f, 100.0f);
        theDraw();
        gs_texrender_end(theTarget);
        gs_stage_texture(theStage, gs_texrender_get_texture(theTarget));
        uint8_t* theData = nullptr;
        uint32_t theLine = 0;
        if (gs_stagesurface_map(theStage, &theData, &theLine)) {
            const size_t theRow = size_t(theWidth) * 4;
            thePixels.resize(theRow * theHeight);
            for (uint32_t y = 0; y < theHeight; ++y)
                std::memcpy(&thePixels[y * theRow], theData + size_t(y) * theLine, theRow);
            gs_stagesurface_unmap(theStage);
        }
    }
    gs_stagesurface_destroy(theStage);
    gs_texrender_destroy(theTarget);
    obs_leave_graphics();
    return thePixels;
}

// The top left theWidth x theHeight of one BGRA picture onto another's, as far as both reach.
void CopyCorner(const uint8_t* theFrom, uint32_t theFromWidth, uint8_t* theTo, uint32_t theToWidth, uint32_t theWidth,
                uint32_t theHeight)
{
    const size_t theRow = size_t(std::min({theWidth, theFromWidth, theToWidth})) * 4;
    for (uint32_t y = 0; y < theHeight; ++y)
        std::memcpy(theTo + size_t(y) * theToWidth * 4, theFrom + size_t(y) * theFromWidth * 4, theRow);
}

} // namespace

std::vector<uint8_t> ObsSession::RenderSource(obs_source_t* theSource, uint32_t theWidth, uint32_t theHeight)
{
    return DrawIntoTexture(theWidth, theHeight, [&] { obs_source_video_render(theSource); });
}

std::vector<uint8_t> ObsSession::PassOutputStage(const std::vector<uint8_t>& thePicture, uint32_t theWidth,
                                                 uint32_t theHeight) const
{
    const uint32_t theRows = std::min(theHeight, height);
    std::vector<uint8_t> theCanvas(size_t(width) * height * 4);
    CopyCorner(thePicture.data(), theWidth, theCanvas.data(), width, theWidth, theRows);
    const uint8_t* theData = theCanvas.data();
    obs_enter_graphics();
    gs_texture_t* theTexture = gs_texture_create(width, height, GS_BGRA, 1, &theData, 0);
    obs_leave_graphics();
    // As libobs draws its canvas into a BGRA output.
    const std::vector<uint8_t> theShown = DrawIntoTexture(width, height, [&] {
        gs_effect_t* theEffect = obs_get_base_effect(OBS_EFFECT_DEFAULT);
        gs_effect_set_texture_srgb(gs_effect_get_param_by_name(theEffect, "image"), theTexture);
        const bool theSrgb = gs_framebuffer_srgb_enabled();
        gs_enable_framebuffer_srgb(true);
        gs_blend_state_push();
        gs_enable_blending(false);
        while (gs_effect_loop(theEffect, "DrawAlphaDivide")) gs_draw_sprite(theTexture, 0, width, height);
        gs_blend_state_pop();
        gs_enable_framebuffer_srgb(theSrgb);
    });
    obs_enter_graphics();
    gs_texture_destroy(theTexture);
    obs_leave_graphics();
    std::vector<uint8_t> thePart(size_t(theWidth) * theHeight * 4);
    if (!theShown.empty()) CopyCorner(theShown.data(), width, thePart.data(), theWidth, theWidth, theRows);
    return thePart;
}
