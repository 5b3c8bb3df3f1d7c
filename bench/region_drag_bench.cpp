// The configuration dialog's two live steps, in the bundle's own dialog windows at the preview
// sizes the custom button fetches (NTSC 720x480, PAL 720x576, HD 960x540):
// - a region drag step, as the frame-region control's tracking does it: the corner edit stored
//   into the configuration, the preview re-rendered (which makes the toolbox redraw the control),
//   and the control drawn again;
// - a scrub step, as the clip slider's action does it: the frame number shown, two host frames
//   fetched (Cross) and the preview re-rendered and redrawn.
// Each step should take less than 3 ms.
#include "CFBundle.h"
#include "ClipFrames.h"
#include "HostSession.h"
#include "PluginDefines.h"
#include "PluginWorkspace.h"
#include "TestPatternClips.h"
#include "carbonmacros.h"
#include "clipCTRL.h"
#include "colorCTRL.h"
#include "commonprocs.h"
#include "pictCTRL.h"
#include "pixeleffect.h"
#include "sliderHandlers.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

constexpr SInt32 cFrames = 30;
constexpr SInt32 cFirstFrame = 10;
constexpr double cTargetMilliseconds = 3;
constexpr int cRepetitions = 7;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point theStart, Clock::time_point theEnd)
{
    return std::chrono::duration<double, std::milli>(theEnd - theStart).count();
}

GWorldPtr MakeFrame(SInt16 theWidth, SInt16 theHeight)
{
    return AllocateRectGWorld(Rect{0, 0, theHeight, theWidth});
}

// Frames as the host serves them from its cache: one decoded picture of each clip, copied out.
class CachedClips : public ClipFrames {
public:
    CachedClips(SInt16 theWidth, SInt16 theHeight)
        : lgA(MakeFrame(theWidth, theHeight)), lgB(MakeFrame(theWidth, theHeight))
    {
        TestPatternClips thePattern(cFirstFrame + 2 * cFrames, cFrames);
        std::string theError;
        thePattern.DrawFrame(0, lgA, theError);
        thePattern.DrawFrame(thePattern.ClipALength(), lgB, theError);
    }
    ~CachedClips() override
    {
        DisposeGWorld(lgA);
        DisposeGWorld(lgB);
    }
    CachedClips(const CachedClips&) = delete;
    CachedClips& operator=(const CachedClips&) = delete;

    SInt32 ClipALength() const override { return cFirstFrame + 2 * cFrames; }
    SInt32 ClipBLength() const override { return cFrames; }
    bool DrawFrame(SInt32 theFrameNumber, GWorldPtr theFrame, std::string&) override
    {
        GWorldPtr theCached = theFrameNumber < ClipALength() ? lgA : lgB;
        Rect theSource = GetPortRect(theCached), theDest = GetPortRect(theFrame);
        CopyBits(GetPortBitMapForCopyBits(theCached), GetPortBitMapForCopyBits(theFrame), &theSource, &theDest,
                 srcCopy, nullptr);
        return true;
    }

private:
    GWorldPtr lgA, lgB;
};

SInt32 NoMain(SInt32, HYPluginParams*)
{
    return kPluginOK;
}

// The dialog as the custom button leaves it: its custom classes, the workspace, the window of
// the format shown, with the frame-region control's region and handles.
class OpenDialog {
public:
    OpenDialog(const char* theWindowName, SInt16 theWidth, SInt16 theHeight)
        : lgClips(theWidth, theHeight), lgSession(NoMain, lgClips)
    {
        static const bool lgBundleLoaded = [] {
            CFBundleRef theBundle = nullptr;
            return GlintRegisterBundle(GLINT_BUNDLE_PATH, &theBundle) == noErr;
        }();
        ok = lgBundleLoaded && RegisterClipCTRL() == noErr &&
             RegisterColorBox() == noErr && RegisterPictureControl() == noErr;
        if (!ok) return;
        ResetConfig(&lgConfig, true);
        lgConfig.which = 3;
        lgConfig.startRel = relRect{0.25, 0.75, 0.25, 0.75};
        InitPixelEffect(&lgConfig, cFrames, theWidth, theHeight);
        gConfigWorkspace = pluginWorkSpace{};
        gConfigWorkspace.theConfig = &lgConfig;
        gTheConfig = &lgConfig;
        gConfigWorkspace.iMovieParams = &lgSession.Params();
        gConfigWorkspace.sourceClip = MakeFrame(theWidth, theHeight);
        gConfigWorkspace.theOtherClip = MakeFrame(theWidth, theHeight);
        gConfigWorkspace.theFXClip = MakeFrame(theWidth, theHeight);
        gConfigWorkspace.minFrameIndex = cFirstFrame;
        gConfigWorkspace.currFrameIndex = cFrames / 2;
        gConfigWorkspace.maxFrameIndex = cFrames - 1;
        gConfigWorkspace.wid = theWidth;
        gConfigWorkspace.hig = theHeight;
        gConfigWorkspace.activeRel = 1;
        window = OpenNibWindowFromCFBundle(cBundleIdentifier, "", theWindowName);
        gConfigWorkspace.theWindow = window;
        gConfigWorkspace.theFrameCtrl = SimpleGetControlByID(window, FOUR_CHAR_CODE("Clip"), 1);
        SetupSliders(window);
        AccessRenderAndBlit(gConfigWorkspace.currFrameIndex);
        ShowWindow(window);
    }
    ~OpenDialog()
    {
        if (window) DisposeWindow(window);
        UnregisterClipCTRL();
        UnregisterColorBox();
        UnregisterPictureControl();
        if (lgConfig.theMask) ShutdownPixelEffect(&lgConfig);
        for (GWorldPtr theGW : {gConfigWorkspace.sourceClip, gConfigWorkspace.theOtherClip, gConfigWorkspace.theFXClip})
            if (theGW) DisposeGWorld(theGW);
        gConfigWorkspace = pluginWorkSpace{};
    }
    OpenDialog(const OpenDialog&) = delete;
    OpenDialog& operator=(const OpenDialog&) = delete;

    HostSession& Session() { return lgSession; }

    bool ok = false;
    WindowRef window = nullptr;

private:
    CachedClips lgClips;
    HostSession lgSession;
    pluginDataRec lgConfig{};
};

void BM_RegionDragStep(benchmark::State& theState, const char* theWindowName, SInt16 theWidth, SInt16 theHeight)
{
    OpenDialog theDialog(theWindowName, theWidth, theHeight);
    if (!theDialog.ok) {
        theState.SkipWithError("cannot load the bundle");
        return;
    }
    const Rect theBounds = GetControlBox(gConfigWorkspace.theFrameCtrl);
    const relRect theDownRel = GetCurrentRel();
    const Rect theDownRect = Rel2Rect(theDownRel, theBounds);
    const Point theDown{theDownRect.bottom, theDownRect.right};
    SInt16 theStep = 0;
    double theStepTime = 0, theRenderTime = 0;
    for (auto _ : theState) {
        theStep = SInt16((theStep + 1) % 20);
        const Point theNew{SInt16(theDown.v + theStep), SInt16(theDown.h + theStep)};
        const Clock::time_point theStart = Clock::now();
        Rect theRect = theDownRect;
        DragCorner(kClipBottomRightPart, theRect, theDown, theNew, 0, theBounds, theDownRel);
        PutCurrentRel(Rect2Rel(theRect, theBounds));
        ReRenderAndBlit();
        const Clock::time_point theRendered = Clock::now();
        SetGWorld(GetWindowPort(theDialog.window), nullptr);
        ClipRect(&theBounds);
        DrawFrameContents(theDialog.window, theBounds);
        benchmark::ClobberMemory();
        const Clock::time_point theEnd = Clock::now();
        theStepTime += Milliseconds(theStart, theEnd);
        theRenderTime += Milliseconds(theStart, theRendered);
    }
    // The re-render includes the toolbox's redraw of the control; the step then draws it once more.
    theState.counters["rerender_ms"] = theRenderTime / double(theState.iterations());
    theState.counters["draw_ms"] = (theStepTime - theRenderTime) / double(theState.iterations());
}

HYPluginResult (*lgHostGetFrame)(HYPluginInstance, SInt32, GWorldPtr*, SInt16, SInt16, HYRefDVQuality, SInt16*,
                                 HYFrameCookie*) = nullptr;
HYPluginResult (*lgHostReleaseFrame)(HYPluginInstance, HYFrameCookie) = nullptr;
double lgHostTime = 0;

HYPluginResult TimedGetFrame(HYPluginInstance theInstance, SInt32 theFrameNumber, GWorldPtr* theFrame,
                             SInt16 theWidth, SInt16 theHeight, HYRefDVQuality theQuality, SInt16* theVolume,
                             HYFrameCookie* theCookie)
{
    const Clock::time_point theStart = Clock::now();
    const HYPluginResult theResult =
        lgHostGetFrame(theInstance, theFrameNumber, theFrame, theWidth, theHeight, theQuality, theVolume, theCookie);
    lgHostTime += Milliseconds(theStart, Clock::now());
    return theResult;
}

HYPluginResult TimedReleaseFrame(HYPluginInstance theInstance, HYFrameCookie theCookie)
{
    const Clock::time_point theStart = Clock::now();
    const HYPluginResult theResult = lgHostReleaseFrame(theInstance, theCookie);
    lgHostTime += Milliseconds(theStart, Clock::now());
    return theResult;
}

void BM_ScrubStep(benchmark::State& theState, const char* theWindowName, SInt16 theWidth, SInt16 theHeight)
{
    OpenDialog theDialog(theWindowName, theWidth, theHeight);
    if (!theDialog.ok) {
        theState.SkipWithError("cannot load the bundle");
        return;
    }
    HYProcs& theProcs = theDialog.Session().Procs();
    lgHostGetFrame = theProcs.GetFrame;
    lgHostReleaseFrame = theProcs.ReleaseFrame;
    theProcs.GetFrame = TimedGetFrame;
    theProcs.ReleaseFrame = TimedReleaseFrame;
    lgHostTime = 0;
    ControlRef theSlider = gConfigWorkspace.clipSlider;
    SInt32 theFrame = gConfigWorkspace.currFrameIndex;
    for (auto _ : theState) {
        // The toolbox moves the slider, then calls its action.
        theFrame = (theFrame + 1) % cFrames;
        SetControl32BitValue(theSlider, theFrame);
        ClipSliderAction(theSlider, 0);
        benchmark::ClobberMemory();
    }
    // The host's share: making the two frames and taking them back.
    theState.counters["host_ms"] = lgHostTime / double(theState.iterations());
    if (theDialog.Session().FramesOut() != theDialog.Session().FramesBack())
        theState.SkipWithError("a host frame was not handed back");
    theProcs.GetFrame = lgHostGetFrame;
    theProcs.ReleaseFrame = lgHostReleaseFrame;
}

void Register()
{
    const struct {
        const char* name;
        const char* window;
        SInt16 width, height;
    } theFormats[] = {{"NTSC_720x480", "configNTSC", 720, 480},
                      {"PAL_720x576", "configPAL", 720, 576},
                      {"HD_960x540", "configHD", 960, 540}};
    for (const auto& theFormat : theFormats) {
        using Step = void (*)(benchmark::State&, const char*, SInt16, SInt16);
        const std::pair<const char*, Step> theSteps[] = {{"RegionDragStep/", BM_RegionDragStep},
                                                         {"ScrubStep/", BM_ScrubStep}};
        for (const auto& [theStep, theFunction] : theSteps) {
            benchmark::RegisterBenchmark((std::string(theStep) + theFormat.name).c_str(), theFunction,
                                         theFormat.window, theFormat.width, theFormat.height)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(cRepetitions)
                ->ReportAggregatesOnly(true);
        }
    }
}

// The console's table, then each step's median against the target.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& theRuns) override
    {
        for (const Run& theRun : theRuns)
            if (theRun.aggregate_name == "median" && !theRun.error_occurred)
                lgMedians.push_back({theRun.run_name.function_name, theRun.GetAdjustedRealTime(),
                                     theRun.GetAdjustedCPUTime()});
        ConsoleReporter::ReportRuns(theRuns);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        // On a busy machine the processor time is the fairer figure.
        std::printf("\nMedians of %d repetitions, target < %.0f ms a step:\n", cRepetitions, cTargetMilliseconds);
        for (const Median& theMedian : lgMedians)
            std::printf("  %-28s real %7.3f ms  cpu %7.3f ms  %s\n", theMedian.name.c_str(), theMedian.real,
                        theMedian.cpu, theMedian.real < cTargetMilliseconds ? "ok" : "OVER");
    }

private:
    struct Median {
        std::string name;
        double real, cpu;
    };
    std::vector<Median> lgMedians;
};

} // namespace

int main(int argc, char** argv)
{
    Register();
    benchmark::Initialize(&argc, argv);
    SummaryReporter theReporter;
    benchmark::RunSpecifiedBenchmarks(&theReporter);
    benchmark::Shutdown();
    return 0;
}
