// Speed of the three dissolves against a plain memory copy of the same frame, in one run.
//
// Traffic counts the bytes a frame pass must move: Cross reads the old picture, the new picture
// and the map and writes the result (16 bytes a pixel); In and Out read the picture and the map
// and write (12 bytes). A memcpy of one frame moves 8 bytes a pixel (read and write).
#include "callpixelfx.h"
#include "commonprocs.h"
#include "pixeleffect.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <map>
#include <vector>

namespace {

struct FrameSize {
    int width, height;
};
constexpr FrameSize cSizes[] = {{720, 480}, {1920, 1080}, {3840, 2160}};
constexpr SInt32 cFrames = 66;

GWorldPtr MakeFrame(int theWidth, int theHeight, UInt8 theSeed)
{
    GWorldPtr theGW = AllocateRectGWorld(Rect{0, 0, SInt16(theHeight), SInt16(theWidth)});
    PixMapHandle thePixMap = GetGWorldPixMap(theGW);
    std::memset(GetPixBaseAddr(thePixMap), theSeed, size_t(GetPixRowBytes(thePixMap)) * theHeight);
    return theGW;
}

void BM_Memcpy(benchmark::State& theState)
{
    const long thePixels = theState.range(0) * theState.range(1);
    std::vector<UInt32> theSource(thePixels, 0x12345678), theDest(thePixels);
    for (auto _ : theState) {
        std::memcpy(theDest.data(), theSource.data(), thePixels * 4);
        benchmark::ClobberMemory();
    }
    theState.counters["traffic"] = benchmark::Counter(double(thePixels) * 8, benchmark::Counter::kIsIterationInvariantRate);
    theState.counters["pixels"] = double(thePixels);
}

void BM_Transition(benchmark::State& theState)
{
    const int theWidth = int(theState.range(0)), theHeight = int(theState.range(1));
    const SInt16 theWhich = SInt16(theState.range(2));
    pluginDataRec theConfig{};
    ResetConfig(&theConfig, true);
    theConfig.which = theWhich;
    InitPixelEffect(&theConfig, cFrames, SInt16(theWidth), SInt16(theHeight));
    GWorldPtr theDest = MakeFrame(theWidth, theHeight, 0x40), theSource = MakeFrame(theWidth, theHeight, 0xC0);
    SInt32 theFrame = 0;
    for (auto _ : theState) {
        DoPixelEffect(theSource, theDest, &theConfig, theFrame, cFrames);
        theFrame = (theFrame + 1) % cFrames;
        benchmark::ClobberMemory();
    }
    const double theBytesPerPixel = theWhich == 3 ? 16 : 12;
    const long thePixels = long(theWidth) * theHeight;
    theState.counters["traffic"] = benchmark::Counter(thePixels * theBytesPerPixel,
                                                      benchmark::Counter::kIsIterationInvariantRate);
    theState.counters["pixels"] = double(thePixels);
    DisposeGWorld(theDest);
    DisposeGWorld(theSource);
    ShutdownPixelEffect(&theConfig);
}

void BM_ThresholdMap(benchmark::State& theState)
{
    const int theWidth = int(theState.range(0)), theHeight = int(theState.range(1));
    GWorldPtr theMap = MakeFrame(theWidth, theHeight, 0);
    for (auto _ : theState) SetupRandomDoneFrame(theMap, cFrames);
    theState.counters["cells"] = benchmark::Counter(double(theWidth) * theHeight,
                                                    benchmark::Counter::kIsIterationInvariantRate);
    DisposeGWorld(theMap);
}

// Adds a summary: ns per pixel, traffic in GB/s and its ratio to memcpy of the same frame size.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& theRuns) override
    {
        ConsoleReporter::ReportRuns(theRuns);
        for (const Run& theRun : theRuns) {
            const std::string theName = theRun.benchmark_name();
            if (theName.rfind("BM_ThresholdMap", 0) == 0) {
                lgLines.push_back(Format("%-32s %8.1f million cells/s", theName.c_str(), theRun.counters.at("cells") / 1e6));
                continue;
            }
            const double theRate = theRun.counters.at("traffic") / 1e9;
            const double theNsPerPixel = theRun.GetAdjustedRealTime() / theRun.counters.at("pixels");
            std::string theSize = theName.substr(theName.find('/') + 1);
            theSize = theSize.substr(0, theSize.find('/', theSize.find('/') + 1));
            if (theName.rfind("BM_Memcpy", 0) == 0) lgMemcpy[theSize] = theRate;
            lgLines.push_back(Format("%-32s %6.3f ns/px %7.1f GB/s %6.2f x memcpy", theName.c_str(), theNsPerPixel,
                                     theRate, theRate / lgMemcpy[theSize]));
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nSummary (BM_Transition/width/height/which: 1 Out, 2 In, 3 Cross):\n");
        for (const std::string& theLine : lgLines) std::printf("  %s\n", theLine.c_str());
    }

private:
    template <typename... Args>
    static std::string Format(const char* theFormat, Args... theArgs)
    {
        char theText[256];
        std::snprintf(theText, sizeof theText, theFormat, theArgs...);
        return theText;
    }
    std::map<std::string, double> lgMemcpy;
    std::vector<std::string> lgLines;
};

} // namespace

int main(int argc, char** argv)
{
    for (const FrameSize& theSize : cSizes) {
        benchmark::RegisterBenchmark("BM_Memcpy", BM_Memcpy)->Args({theSize.width, theSize.height})->UseRealTime();
        for (int theWhich : {3, 2, 1})
            benchmark::RegisterBenchmark("BM_Transition", BM_Transition)
                ->Args({theSize.width, theSize.height, theWhich})
                ->UseRealTime();
    }
    benchmark::RegisterBenchmark("BM_ThresholdMap", BM_ThresholdMap)->Args({1920, 1080})->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    RatioReporter theReporter;
    benchmark::RunSpecifiedBenchmarks(&theReporter);
    benchmark::Shutdown();
    return 0;
}
