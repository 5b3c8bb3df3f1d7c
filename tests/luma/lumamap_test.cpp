// A hard luma wipe over the map shows the same new pixels, frame for frame, as the plug-in's
// bridge renders through the engine, for every transition, with and without a region.
#include "LumaMap.h"

#include "DataHandling.h"
#include "EffectBridge.h"
#include "QuickDraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <vector>

namespace {

TEST(LumaLevel, HalfAFrameBeforeTheSwitchAndClampedAtBothEnds)
{
    struct Case {
        SInt32 frame, frames;
        UInt16 level;
    };
    const Case theCases[] = {
        {0, 10, 0},        // new from the start
        {1, 1, 32768},     // a single frame: never new within it
        {1, 2, 16384},     {2, 2, 49152},     {1, 10, 3276},     {25, 25, 64225},
        {26, 25, 65535},   // never within the transition
        {1, 32768, 1},     {32768, 32768, 65535},
    };
    for (const Case& theCase : theCases)
        EXPECT_EQ(LumaLevel(theCase.frame, theCase.frames), theCase.level)
            << "frame " << theCase.frame << " of " << theCase.frames;
}

// One packed pixel of a frame, as the engine writes it.
UInt32 PixelAt(GWorldPtr theGW, int x, int y)
{
    PixMapHandle thePixMap = GetGWorldPixMap(theGW);
    UInt32 thePixel;
    std::memcpy(&thePixel, GetPixBaseAddr(thePixMap) + y * GetPixRowBytes(thePixMap) + 4 * x, 4);
    return thePixel;
}

GWorldPtr FilledFrame(int theWidth, int theHeight, UInt16 theRed, UInt16 theGreen)
{
    Rect theBounds;
    SetRect(&theBounds, 0, 0, SInt16(theWidth), SInt16(theHeight));
    GWorldPtr theGW = nullptr;
    EXPECT_EQ(NewGWorld(&theGW, 32, &theBounds, nullptr, nullptr, 0), noErr);
    SetGWorld(theGW, nullptr);
    RGBColor theColor{theRed, theGreen, 0};
    RGBForeColor(&theColor);
    PaintRect(&theBounds);
    return theGW;
}

struct Transition {
    SInt32 width, height, frames;
    SInt16 which;
    relRect region;
};

void PrintTo(const Transition& theCase, std::ostream* theStream)
{
    *theStream << (theCase.which == 1 ? "out " : theCase.which == 2 ? "in " : "cross ") << theCase.width << "x"
               << theCase.height << ", " << theCase.frames << " frames, region " << theCase.region.left << ","
               << theCase.region.right << "," << theCase.region.top << "," << theCase.region.bottom;
}

class LumaAgainstEngine : public testing::TestWithParam<Transition> {};

TEST_P(LumaAgainstEngine, EveryFrameSwitchesTheSamePixels)
{
    const Transition& theCase = GetParam();
    std::vector<UInt16> theMap;
    const LumaRequest theRequest{theCase.width, theCase.height, theCase.frames, theCase.which, theCase.region};
    ASSERT_TRUE(MakeLumaMap(theRequest, [&](const UInt16* theRow) {
        theMap.insert(theMap.end(), theRow, theRow + theCase.width);
        return true;
    }));

    // The render's map is the first one the process draws.
    SetQDGlobalsRandomSeed(1);
    pluginDataRec theConfig{};
    ResetConfig(&theConfig, true);
    theConfig.startRel = theCase.region;
    GWorldPtr theOld = FilledFrame(theCase.width, theCase.height, 65535, 0);
    GWorldPtr theNew = FilledFrame(theCase.width, theCase.height, 0, 65535);
    GWorldPtr theFrame = FilledFrame(theCase.width, theCase.height, 0, 0);
    const UInt32 theOldPixel = PixelAt(theOld, 0, 0);
    for (SInt32 f = 0; f < theCase.frames; ++f) {
        // As the frame handler hands them over: Out and In work on their clip in the frame,
        // Cross takes the outgoing clip there and the incoming one as the source.
        GWorldPtr theClip = theCase.which == 2 ? theNew : theOld;
        const Rect theBounds = (*GetGWorldPixMap(theClip))->bounds;
        CopyBits(GetPortBitMapForCopyBits(theClip), GetPortBitMapForCopyBits(theFrame), &theBounds, &theBounds, srcCopy,
                 nullptr);
        DoEffect(&theConfig, theNew, theFrame, f, theCase.frames, theCase.which);
        // trunc(65536 x progress), the level a luma wipe has reached on this frame
        const SInt64 theReached = SInt64(65536) * f / theCase.frames;
        SInt64 theMismatches = 0;
        for (int y = 0; y < theCase.height; ++y)
            for (int x = 0; x < theCase.width; ++x) {
                const UInt32 theShown = PixelAt(theFrame, x, y);
                // In's old picture is the fill colour; the others' is the red clip.
                const bool theEngineNew =
                    theCase.which == 2 ? theShown == PixelAt(theNew, 0, 0) : theShown != theOldPixel;
                const bool theWipeNew = theMap[size_t(y) * theCase.width + x] <= theReached;
                theMismatches += theEngineNew != theWipeNew;
            }
        EXPECT_EQ(theMismatches, 0) << "frame " << f;
    }
    DoEffect(&theConfig, theNew, theFrame, theCase.frames, theCase.frames, theCase.which);
    DisposeGWorld(theOld);
    DisposeGWorld(theNew);
    DisposeGWorld(theFrame);
}

constexpr relRect cWhole{0.0, 1.0, 0.0, 1.0};
constexpr relRect cMiddle{0.25, 0.75, 0.125, 0.875};

INSTANTIATE_TEST_SUITE_P(Transitions, LumaAgainstEngine,
                         testing::Values(Transition{64, 48, 1, 3, cWhole}, Transition{64, 48, 2, 3, cWhole},
                                         Transition{64, 48, 2, 1, cWhole}, Transition{322, 186, 25, 3, cMiddle},
                                         Transition{322, 186, 25, 2, cMiddle}, Transition{322, 186, 25, 1, cMiddle},
                                         Transition{130, 70, 66, 1, cWhole}, Transition{40, 30, 250, 2, cWhole}));

} // namespace

namespace {

// The frame of theFrames on which a luma wipe first shows a pixel of theLevel new, or theFrames.
SInt32 WipeFrame(UInt16 theLevel, SInt32 theFrames)
{
    // trunc(65536 f / theFrames) >= theLevel from f = ceil(theLevel x theFrames / 65536)
    const SInt64 theFrame = (SInt64(theLevel) * theFrames + 65535) / 65536;
    return SInt32(std::min<SInt64>(theFrame, theFrames));
}

std::vector<UInt16> WholeCross(SInt32 theWidth, SInt32 theHeight, SInt32 theFrames)
{
    std::vector<UInt16> theMap;
    const LumaRequest theRequest{theWidth, theHeight, theFrames, 3, {0.0, 1.0, 0.0, 1.0}};
    EXPECT_TRUE(MakeLumaMap(theRequest, [&](const UInt16* theRow) {
        theMap.insert(theMap.end(), theRow, theRow + theWidth);
        return true;
    }));
    return theMap;
}

// The installed maps are made for 32000 frames. Played over a length that divides 32000 they
// are the render's own order at that length; over any other, a pixel switches at most a frame
// away from the render's moment.
TEST(LumaAtAnotherLength, AMapFor32000FramesKeepsTheRendersOrder)
{
    const std::vector<UInt16> theLong = WholeCross(322, 186, 32000);
    const struct {
        SInt32 frames;
        bool exact;
    } theCases[] = {{1, true},   {2, true},    {25, true},  {50, true}, {64, true},
                    {250, true}, {1000, true}, {30, false}, {66, false}, {5000, false}};
    for (const auto& theCase : theCases) {
        const std::vector<UInt16> theExact = WholeCross(322, 186, theCase.frames);
        size_t theOff = 0;
        for (size_t i = 0; i < theLong.size(); ++i) {
            const SInt32 theWipe = WipeFrame(theLong[i], theCase.frames);
            const SInt32 theRender = WipeFrame(theExact[i], theCase.frames);
            ASSERT_LE(std::abs(theWipe - theRender), 1) << "pixel " << i << " at " << theCase.frames << " frames";
            theOff += theWipe != theRender;
        }
        if (theCase.exact) {
            EXPECT_EQ(theOff, 0u) << theCase.frames << " frames";
        }
    }
}

} // namespace
