// The host's video layer at 1080p: decoding and scaling in order (nanoseconds per output
// pixel), scrubbing with and without the frame cache, and the peak memory of a whole render
// (two clips in, one movie out).
#include "FrameSource.h"
#include "MovieWriter.h"
#include "SyntheticClip.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

constexpr SInt32 cFrames = 50; // two seconds at 25 fps: one group of pictures

using Clock = std::chrono::steady_clock;

// Two 1080p H.264 clips with sound, made once per run.
class Clips {
public:
    static const Clips& Get()
    {
        static Clips lgClips;
        return lgClips;
    }
    std::string a, b, folder;

private:
    Clips()
    {
        char theTemplate[] = "/tmp/glintbench.XXXXXX";
        folder = mkdtemp(theTemplate);
        a = Make("a.mp4", "testsrc2", 440);
        b = Make("b.mp4", "mandelbrot", 660);
    }
    ~Clips() { std::filesystem::remove_all(folder); }
    std::string Make(const char* theName, const char* thePattern, double theTone) const
    {
        video::SyntheticClip theClip;
        theClip.pattern = thePattern;
        theClip.width = 1920;
        theClip.height = 1080;
        theClip.frameCount = cFrames;
        theClip.toneHertz = theTone;
        std::string thePath = folder + "/" + theName;
        std::string theError;
        if (!video::MakeSyntheticClip(thePath, theClip, theError)) {
            std::fprintf(stderr, "%s\n", theError.c_str());
            std::exit(1);
        }
        return thePath;
    }
};

struct World {
    GWorldPtr world = nullptr;
    World(int theWidth, int theHeight)
    {
        Rect theBounds{0, 0, SInt16(theHeight), SInt16(theWidth)};
        NewGWorld(&world, 32, &theBounds, nullptr, nullptr, 0);
    }
    ~World() { DisposeGWorld(world); }
};

std::unique_ptr<video::FrameSource> OpenOrDie(const std::string& thePath)
{
    std::string theError;
    auto theSource = video::FrameSource::Open(thePath, theError);
    if (!theSource) {
        std::fprintf(stderr, "%s\n", theError.c_str());
        std::exit(1);
    }
    return theSource;
}

void Draw(video::FrameSource& theSource, SInt32 theFrame, GWorldPtr theWorld)
{
    std::string theError;
    if (!theSource.DrawFrame(theFrame, theWorld, theError)) {
        std::fprintf(stderr, "%s\n", theError.c_str());
        std::exit(1);
    }
}

// Every frame of the clip in order, into a GWorld of the size given.
void BM_DecodeAndScaleInOrder(benchmark::State& theState)
{
    const int theWidth = int(theState.range(0));
    const int theHeight = int(theState.range(1));
    World theWorld(theWidth, theHeight);
    double theSeconds = 0;
    for (auto _ : theState) {
        auto theSource = OpenOrDie(Clips::Get().a);
        Clock::time_point theStart = Clock::now();
        for (SInt32 theFrame = 0; theFrame < cFrames; ++theFrame) Draw(*theSource, theFrame, theWorld.world);
        double theElapsed = std::chrono::duration<double>(Clock::now() - theStart).count();
        theState.SetIterationTime(theElapsed);
        theSeconds += theElapsed;
    }
    double thePixels = double(theState.iterations()) * cFrames * theWidth * theHeight;
    theState.counters["ns_per_pixel"] = theSeconds * 1e9 / thePixels;
    theState.counters["frames_per_s"] = double(theState.iterations()) * cFrames / theSeconds;
}
BENCHMARK(BM_DecodeAndScaleInOrder)->Args({1920, 1080})->Args({640, 360})->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// A dialog preview scrubbing back and forth over ten frames late in a group of pictures,
// with the default cache and with none.
void BM_Scrub(benchmark::State& theState)
{
    World theWorld(640, 360);
    const std::vector<SInt32> thePath = {30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 38, 37, 36, 35, 34, 33, 32, 31, 30};
    double theCached = 0;
    double theUncached = 0;
    SInt64 theRequests = 0;
    for (auto _ : theState) {
        for (bool theCaching : {false, true}) {
            auto theSource = OpenOrDie(Clips::Get().a);
            if (!theCaching) theSource->SetCacheLimits(1, 1);
            Clock::time_point theStart = Clock::now();
            for (int theSweep = 0; theSweep < 3; ++theSweep) {
                for (SInt32 theFrame : thePath) Draw(*theSource, theFrame, theWorld.world);
            }
            double theElapsed = std::chrono::duration<double>(Clock::now() - theStart).count();
            (theCaching ? theCached : theUncached) += theElapsed;
        }
        theRequests += 3 * SInt64(thePath.size());
        theState.SetIterationTime(theCached);
    }
    theState.counters["cached_ms_per_frame"] = theCached * 1e3 / double(theRequests);
    theState.counters["uncached_ms_per_frame"] = theUncached * 1e3 / double(theRequests);
    theState.counters["cache_speedup"] = theUncached / theCached;
}
BENCHMARK(BM_Scrub)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// A cross dissolve's worth of work for every output frame: both clips decoded at 1080p, the
// sound mixed, H.264 and AAC encoded. It runs in a fresh process so that the peak resident
// memory is the render's own.
int RenderAlone(const std::string& theA, const std::string& theB, const std::string& theOutput)
{
    auto theClipA = OpenOrDie(theA);
    auto theClipB = OpenOrDie(theB);
    video::MovieSettings theSettings;
    theSettings.width = 1920;
    theSettings.height = 1080;
    theSettings.rate = theClipA->Info().rate;
    theSettings.withAudio = true;
    std::string theError;
    auto theWriter = video::MovieWriter::Create(theOutput, theSettings, theError);
    World theFrameA(1920, 1080);
    World theFrameB(1920, 1080);
    video::AudioBlock theSoundA, theSoundB, theMix;
    bool theOk = theWriter != nullptr;
    for (SInt32 theFrame = 0; theOk && theFrame < cFrames; ++theFrame) {
        SInt32 theLevel = video::cUnityLevel * theFrame / cFrames;
        theOk = theClipA->DrawFrame(theFrame, theFrameA.world, theError) &&
                theClipB->DrawFrame(theFrame, theFrameB.world, theError) &&
                theClipA->GetFrameAudio(theFrame, theSoundA, theError) &&
                theClipB->GetFrameAudio(theFrame, theSoundB, theError) &&
                video::MixFrameAudio(theSoundA, video::cUnityLevel - theLevel, theSoundB, theLevel,
                                     video::AudioSamplesInFrame(theFrame, theSettings.rate), theMix, theError) &&
                theWriter->AddFrame(theFrame % 2 ? theFrameA.world : theFrameB.world, &theMix, theError);
    }
    if (theOk) theOk = theWriter->Finish(theError);
    if (!theOk) std::fprintf(stderr, "%s\n", theError.c_str());
    // The kernel's high-water mark of this program's own memory: the rusage of a spawned child
    // also counts the parent's, which it shared until exec.
    std::FILE* theStatus = std::fopen("/proc/self/status", "r");
    char theLine[256];
    while (theStatus && std::fgets(theLine, sizeof theLine, theStatus)) {
        if (std::strncmp(theLine, "VmHWM:", 6) == 0) std::fputs(theLine + 6, stdout);
    }
    if (theStatus) std::fclose(theStatus);
    return theOk ? 0 : 1;
}

void BM_Render1080p(benchmark::State& theState)
{
    const Clips& theClips = Clips::Get();
    long thePeakKilobytes = 0;
    double theSeconds = 0;
    for (auto _ : theState) {
        std::string theCommand = std::filesystem::read_symlink("/proc/self/exe").string() + " --render " + theClips.a + " " + theClips.b + " " + theClips.folder + "/render.mp4";
        Clock::time_point theStart = Clock::now();
        std::FILE* theChild = popen(theCommand.c_str(), "r");
        long thePeak = 0;
        if (!theChild || std::fscanf(theChild, "%ld", &thePeak) != 1 || pclose(theChild) != 0) {
            theState.SkipWithError("the render failed");
            return;
        }
        double theElapsed = std::chrono::duration<double>(Clock::now() - theStart).count();
        theState.SetIterationTime(theElapsed);
        theSeconds += theElapsed;
        thePeakKilobytes = std::max(thePeakKilobytes, thePeak);
    }
    theState.counters["peak_MB"] = double(thePeakKilobytes) / 1024.0;
    theState.counters["frames_per_s"] = double(theState.iterations()) * cFrames / theSeconds;
}
BENCHMARK(BM_Render1080p)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--render") return RenderAlone(argv[2], argv[3], argv[4]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
