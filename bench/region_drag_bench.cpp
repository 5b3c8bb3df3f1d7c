// One step of a region drag in the configuration dialog: the corner edit stored into the
// configuration, the preview re-rendered, the control redrawn. Preview frames at NTSC and HD;
// the control shows them scaled down as the dialog does. The step should stay under 3 ms.
#include "CFBundle.h"
#include "PluginWorkspace.h"
#include "callpixelfx.h"
#include "carbonmacros.h"
#include "clipCTRL.h"
#include "commonprocs.h"
#include "pixeleffect.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <string>

namespace {

constexpr SInt32 cFrames = 30;

GWorldPtr MakeFrame(SInt16 theWidth, SInt16 theHeight, UInt8 theSeed)
{
    GWorldPtr theGW = AllocateRectGWorld(Rect{0, 0, theHeight, theWidth});
    PixMapHandle thePixMap = GetGWorldPixMap(theGW);
    std::memset(GetPixBaseAddr(thePixMap), theSeed, size_t(GetPixRowBytes(thePixMap)) * theHeight);
    return theGW;
}

void BM_RegionDragStep(benchmark::State& theState, const char* theWindowName, SInt16 theWidth, SInt16 theHeight)
{
    CFBundleRef theBundle = nullptr;
    const std::string theBundlePath = std::string(GLINT_SOURCE_DIR) + "/tests/dialog/RegionTest.bundle";
    if (GlintRegisterBundle(theBundlePath.c_str(), &theBundle) != noErr || RegisterClipCTRL() != noErr) {
        theState.SkipWithError("cannot load the test bundle");
        return;
    }
    pluginDataRec theConfig{};
    ResetConfig(&theConfig, true);
    theConfig.startRel = relRect{0.25, 0.75, 0.25, 0.75};
    InitPixelEffect(&theConfig, cFrames, theWidth, theHeight);
    WindowRef theWindow = OpenNibWindowFromCFBundle("org.glintweave.regiontest", "regiontest", theWindowName);
    ControlRef theControl = SimpleGetControlByID(theWindow, FOUR_CHAR_CODE("Clip"), 1);
    gConfigWorkspace = pluginWorkSpace{};
    gConfigWorkspace.theConfig = &theConfig;
    gConfigWorkspace.sourceClip = MakeFrame(theWidth, theHeight, 0xC0);
    gConfigWorkspace.theFXClip = MakeFrame(theWidth, theHeight, 0x40);
    gConfigWorkspace.theWindow = theWindow;
    gConfigWorkspace.theFrameCtrl = theControl;
    gConfigWorkspace.activeRel = 1;
    gConfigWorkspace.currFrameIndex = cFrames / 2;
    gConfigWorkspace.maxFrameIndex = cFrames - 1;
    SetGWorld(GetWindowPort(theWindow), nullptr);

    const Rect theBounds = GetControlBox(theControl);
    const Rect theDownRect = Rel2Rect(theConfig.startRel, theBounds);
    const relRect theDownRel = theConfig.startRel;
    const Point theDown{theDownRect.bottom, theDownRect.right};
    SInt16 theStep = 0;
    double theRenderSeconds = 0, theDrawSeconds = 0;
    for (auto _ : theState) {
        theStep = SInt16((theStep + 1) % 20);
        const Point theNew{SInt16(theDown.v + theStep), SInt16(theDown.h + theStep)};
        Rect theRect = theDownRect;
        DragCorner(kClipBottomRightPart, theRect, theDown, theNew, 0, theBounds, theDownRel);
        PutCurrentRel(Rect2Rel(theRect, theBounds));
        // The preview's re-render: the source frame, then the effect over the region.
        const auto theRenderStart = std::chrono::steady_clock::now();
        Source2Target(gConfigWorkspace.sourceClip, gConfigWorkspace.theFXClip);
        Rect theFrame;
        GetPortBounds(gConfigWorkspace.theFXClip, &theFrame);
        PixelDrive(gConfigWorkspace.sourceClip, gConfigWorkspace.theFXClip, Rel2Rect(theConfig.startRel, theFrame),
                   &theConfig, gConfigWorkspace.currFrameIndex, gConfigWorkspace.maxFrameIndex);
        const auto theDrawStart = std::chrono::steady_clock::now();
        DrawFrameContents(theWindow, theBounds);
        benchmark::ClobberMemory();
        const auto theEnd = std::chrono::steady_clock::now();
        theRenderSeconds += std::chrono::duration<double>(theDrawStart - theRenderStart).count();
        theDrawSeconds += std::chrono::duration<double>(theEnd - theDrawStart).count();
    }
    // Shares of the step, in milliseconds a step.
    theState.counters["render_ms"] = theRenderSeconds * 1000 / double(theState.iterations());
    theState.counters["draw_ms"] = theDrawSeconds * 1000 / double(theState.iterations());
    DisposeWindow(theWindow);
    UnregisterClipCTRL();
    DisposeGWorld(gConfigWorkspace.sourceClip);
    DisposeGWorld(gConfigWorkspace.theFXClip);
}

} // namespace

BENCHMARK_CAPTURE(BM_RegionDragStep, NTSC_720x480, "benchNTSC", 720, 480)
    ->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_RegionDragStep, HD_1920x1080, "benchHD", 1920, 1080)
    ->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
