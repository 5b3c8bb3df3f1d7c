#include "pixeleffect.h"

#include "pixellib.h"
#include "referencekernels.h"
#include "testbuffers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace testing_support;

namespace {

constexpr UInt32 cOld = 0x11A0A0A0;  // alpha 0x11 shows where alpha is kept
constexpr UInt32 cNew = 0x22505050;
constexpr UInt32 cFill = 0xFF0000FF; // the default fill colour, blue, with alpha 255

void SetThreshold(GWorldPtr theMap, int theRow, int theColumn, UInt16 theThreshold)
{
    const intRec theCell{theThreshold, 0};
    std::memcpy(PixelAt(theMap, theRow, theColumn), &theCell, sizeof theCell);
}

UInt16 Threshold(GWorldPtr theMap, int theRow, int theColumn)
{
    intRec theCell;
    std::memcpy(&theCell, PixelAt(theMap, theRow, theColumn), sizeof theCell);
    return theCell.num1;
}

// A transition on small buffers: the destination holds the old picture (the new one for In),
// the source the new one, and the map is given cell by cell.
struct Scene {
    pluginDataRec config{};
    GWorldOwner dest, source;

    Scene(int theWidth, int theHeight, const std::vector<UInt16>& theThresholds)
    {
        ResetConfig(&config, true);
        dest = MakeGWorld(theWidth, theHeight);
        source = MakeGWorld(theWidth, theHeight);
        config.theMask = MakeGWorld(theWidth, theHeight).release();
        for (int i = 0; i < theWidth * theHeight; ++i)
            SetThreshold(config.theMask, i / theWidth, i % theWidth, theThresholds[i]);
    }
    ~Scene() { ShutdownPixelEffect(&config); }

    std::vector<UInt32> Render(SInt16 theWhich, SInt32 theFrame, Rect theActive = Rect{0, 0, 32767, 32767})
    {
        config.which = theWhich;
        FillColor(dest.get(), theWhich == 2 ? cNew : cOld);
        FillColor(source.get(), cNew);
        ThePixelEffect(source.get(), dest.get(), theActive, true, &config, theFrame, 4);
        return Pixels(dest.get());
    }
};

} // namespace

TEST(PixelEffect, WorkedExampleAtFrameTwo)
{
    Scene theScene(4, 2, {1, 3, 2, 4, 4, 1, 2, 3});
    const UInt32 O = cOld, N = cNew, F = cFill;
    const UInt32 I = cNew | 0xFF000000; // In forces alpha on the picture too
    const UInt32 L = cOld | 0xFF000000; // and so does Out
    EXPECT_EQ(theScene.Render(3, 2), (std::vector<UInt32>{N, O, N, O, O, N, N, O}));
    EXPECT_EQ(theScene.Render(2, 2), (std::vector<UInt32>{I, F, I, F, F, I, I, F}));
    EXPECT_EQ(theScene.Render(1, 2), (std::vector<UInt32>{F, L, L, L, L, F, L, L}));
}

TEST(PixelEffect, FrameNumberEdges)
{
    const UInt32 O = cOld, N = cNew, F = cFill, I = cNew | 0xFF000000, L = cOld | 0xFF000000;
    Scene theScene(4, 1, {1, 2, 3, 4}); // frame count 4
    struct Case {
        SInt32 frame;
        std::vector<UInt32> cross, in, out;
    } theCases[] = {
        {-5, {O, O, O, O}, {F, F, F, F}, {L, L, L, L}},
        {0, {O, O, O, O}, {F, F, F, F}, {L, L, L, L}},
        {1, {N, O, O, O}, {I, F, F, F}, {L, L, L, L}},
        {4, {N, N, N, N}, {I, I, I, I}, {F, F, F, L}},
        {5, {N, N, N, N}, {I, I, I, I}, {F, F, F, F}},
        {1 << 30, {N, N, N, N}, {I, I, I, I}, {F, F, F, F}},
    };
    for (const Case& theCase : theCases) {
        SCOPED_TRACE(theCase.frame);
        EXPECT_EQ(theScene.Render(3, theCase.frame), theCase.cross);
        EXPECT_EQ(theScene.Render(2, theCase.frame), theCase.in);
        EXPECT_EQ(theScene.Render(1, theCase.frame), theCase.out);
    }
}

TEST(PixelEffect, RegionLimitsTheDissolveAndCrossCopiesTheRest)
{
    const UInt32 O = cOld, N = cNew, F = cFill, I = cNew | 0xFF000000;
    Scene theScene(4, 2, {9, 9, 9, 9, 9, 9, 9, 9});
    Rect theMiddle{0, 1, 1, 3}; // top row, columns 1 and 2
    EXPECT_EQ(theScene.Render(3, 0, theMiddle), (std::vector<UInt32>{N, O, O, N, N, N, N, N}));
    EXPECT_EQ(theScene.Render(2, 0, theMiddle), (std::vector<UInt32>{cNew, F, F, cNew, cNew, cNew, cNew, cNew}));
    EXPECT_EQ(theScene.Render(2, 9, theMiddle), (std::vector<UInt32>{cNew, I, I, cNew, cNew, cNew, cNew, cNew}));
    EXPECT_EQ(theScene.Render(1, 10, theMiddle), (std::vector<UInt32>{O, F, F, O, O, O, O, O}));

    for (Rect theEmpty : {Rect{0, 2, 2, 2}, Rect{1, 0, 1, 4}, Rect{5, 5, 9, 9}, Rect{-9, -9, -1, -1}}) {
        EXPECT_EQ(theScene.Render(3, 0, theEmpty), std::vector<UInt32>(8, N));
        EXPECT_EQ(theScene.Render(1, 10, theEmpty), std::vector<UInt32>(8, O));
        EXPECT_EQ(theScene.Render(2, 0, theEmpty), std::vector<UInt32>(8, cNew));
    }
}

TEST(PixelEffect, MismatchedBuffersLeaveTheFrameUntouched)
{
    Scene theScene(4, 2, {1, 1, 1, 1, 1, 1, 1, 1});
    theScene.config.which = 3;
    GWorldOwner theNarrow = MakeGWorld(3, 2);
    FillColor(theScene.dest.get(), cOld);
    FillColor(theNarrow.get(), cNew);
    ThePixelEffect(theNarrow.get(), theScene.dest.get(), Rect{0, 0, 2, 4}, true, &theScene.config, 3, 4);
    EXPECT_EQ(Pixels(theScene.dest.get()), std::vector<UInt32>(8, cOld));

    // A destination or old picture smaller than the pass is never written past its end.
    GWorldOwner theSmallDest = MakeGWorld(2, 1);
    FillColor(theSmallDest.get(), cOld);
    FillColor(theScene.source.get(), cNew);
    CrossFXPixel(theScene.dest.get(), theScene.source.get(), theSmallDest.get(), Rect{0, 0, 2, 4}, true,
                 &theScene.config, 3, 4);
    EXPECT_EQ(Pixels(theSmallDest.get()), std::vector<UInt32>(2, cOld));
    FillColor(theScene.dest.get(), cOld);
    CrossFXPixel(theSmallDest.get(), theScene.source.get(), theScene.dest.get(), Rect{0, 0, 2, 4}, true,
                 &theScene.config, 3, 4);
    EXPECT_EQ(Pixels(theScene.dest.get()), std::vector<UInt32>(8, cOld));
}

TEST(PixelEffect, NoMapOrNoBufferDrawsNothing)
{
    Scene theScene(4, 2, std::vector<UInt16>(8, 1));
    ShutdownPixelEffect(&theScene.config);
    EXPECT_EQ(theScene.config.theMask, nullptr);
    EXPECT_EQ(theScene.Render(3, 3), std::vector<UInt32>(8, cOld));
    theScene.config.which = 3;
    ThePixelEffect(nullptr, theScene.dest.get(), Rect{0, 0, 2, 4}, true, &theScene.config, 3, 4);
    ThePixelEffect(theScene.source.get(), nullptr, Rect{0, 0, 2, 4}, true, &theScene.config, 3, 4);
    EXPECT_EQ(Pixels(theScene.dest.get()), std::vector<UInt32>(8, cOld));
}

TEST(PixelEffect, InvalidTransitionDrawsOnlyTheErrorText)
{
    Scene theScene(400, 40, std::vector<UInt16>(400 * 40, 1));
    for (SInt16 theWhich : {0, 4}) {
        std::vector<UInt32> thePixels = theScene.Render(theWhich, 3);
        int theChanged = 0;
        for (UInt32 thePixel : thePixels) theChanged += thePixel != cOld;
        EXPECT_GT(theChanged, 0);
        for (int r = 25; r < 40; ++r) // below the text's baseline and descenders nothing changes
            for (int c = 0; c < 400; ++c) ASSERT_EQ(ReadARGB(theScene.dest.get(), r, c), cOld);
    }
}

TEST(PixelEffect, CurrentPortIsRestored)
{
    Scene theScene(4, 2, std::vector<UInt16>(8, 1));
    GWorldOwner theOther = MakeGWorld(1, 1);
    SetGWorld(theOther.get(), nullptr);
    theScene.Render(3, 1);
    CGrafPtr thePort;
    GDHandle theDevice;
    GetGWorld(&thePort, &theDevice);
    EXPECT_EQ(thePort, theOther.get());
    SetGWorld(nullptr, nullptr);
}

// A frame in red, green, blue, alpha order, as other programs hand them over, wrapped without copying.
struct RgbaFrame {
    std::vector<UInt8> bytes;
    GWorldOwner world;

    RgbaFrame(GWorldPtr theArgb) : bytes(4 * Width(theArgb) * Height(theArgb))
    {
        const int w = Width(theArgb);
        for (int i = 0; i < w * Height(theArgb); ++i) {
            const UInt32 thePixel = ReadARGB(theArgb, i / w, i % w);
            const UInt8 theOrdered[4] = {UInt8(thePixel >> 16), UInt8(thePixel >> 8), UInt8(thePixel),
                                         UInt8(thePixel >> 24)};
            std::memcpy(&bytes[4 * i], theOrdered, 4);
        }
        Rect theBounds{0, 0, SInt16(Height(theArgb)), SInt16(w)};
        GWorldPtr theGW = nullptr;
        NewGWorldFromPtr(&theGW, k32RGBAPixelFormat, &theBounds, nullptr, nullptr, 0,
                         reinterpret_cast<Ptr>(bytes.data()), 4 * w);
        world.reset(theGW);
    }

    // Back as 0xAARRGGBB values, to compare with an alpha-first frame.
    std::vector<UInt32> Pixels() const
    {
        std::vector<UInt32> thePixels;
        for (size_t i = 0; i < bytes.size(); i += 4)
            thePixels.push_back(UInt32(bytes[i + 3]) << 24 | UInt32(bytes[i]) << 16 | UInt32(bytes[i + 1]) << 8 |
                                bytes[i + 2]);
        return thePixels;
    }
};

TEST(PixelEffect, RgbaFramesGiveTheSamePicturesAsAlphaFirstFrames)
{
    std::mt19937 theGenerator(11);
    const int w = 23, h = 5;
    pluginDataRec theConfig{};
    ResetConfig(&theConfig, true);
    theConfig.colors[1] = RGBColor{0x1234, 0xABCD, 0x7F00};
    InitPixelEffect(&theConfig, 9, w, h);
    GWorldOwner theOld = MakeGWorld(w, h), theNew = MakeGWorld(w, h), theDest = MakeGWorld(w, h);
    Fill(theOld.get(), [&](int, int) { return UInt32(theGenerator()); });
    Fill(theNew.get(), [&](int, int) { return UInt32(theGenerator()); });
    const Rect theActive{1, 2, 4, 20};
    for (SInt16 theWhich : {1, 2, 3}) {
        for (SInt32 theFrame : {0, 4, 10}) {
            SCOPED_TRACE(testing::Message() << "which " << theWhich << " frame " << theFrame);
            theConfig.which = theWhich;
            Fill(theDest.get(), [&](int r, int c) { return ReadARGB(theOld.get(), r, c); });
            RgbaFrame theRgbaDest(theDest.get()), theRgbaNew(theNew.get());
            ThePixelEffect(theNew.get(), theDest.get(), theActive, true, &theConfig, theFrame, 9);
            ThePixelEffect(theRgbaNew.world.get(), theRgbaDest.world.get(), theActive, true, &theConfig, theFrame, 9);
            EXPECT_EQ(theRgbaDest.Pixels(), Pixels(theDest.get()));
        }
    }

    // Whole pixels never move between frames of different byte orders.
    theConfig.which = 3;
    RgbaFrame theRgbaDest(theOld.get());
    const std::vector<UInt8> theBefore = theRgbaDest.bytes;
    ThePixelEffect(theNew.get(), theRgbaDest.world.get(), theActive, true, &theConfig, 10, 9);
    EXPECT_EQ(theRgbaDest.bytes, theBefore);
    ShutdownPixelEffect(&theConfig);
}

TEST(ThresholdMap, HoldsOneToTheCappedCountWithNum1First)
{
    for (SInt32 theCount : {0, 1, 7, 120, 40000}) {
        SCOPED_TRACE(theCount);
        GWorldOwner theMap = MakeGWorld(37, 13);
        SetupRandomDoneFrame(theMap.get(), theCount);
        SInt32 theExpectedMax = std::min(theCount, cMaxThreshold);
        UInt16 theLow = 65535, theHigh = 0;
        for (int r = 0; r < 13; ++r) {
            for (int c = 0; c < 37; ++c) {
                const UInt8* theBytes = PixelAt(theMap.get(), r, c);
                ASSERT_EQ(theBytes[2] | theBytes[3], 0) << "num2 follows num1 and is zero";
                theLow = std::min(theLow, Threshold(theMap.get(), r, c));
                theHigh = std::max(theHigh, Threshold(theMap.get(), r, c));
            }
        }
        EXPECT_GE(theLow, std::min<SInt32>(1, theExpectedMax));
        EXPECT_LE(theHigh, theExpectedMax);
        if (theExpectedMax <= 7) { // 481 cells reach every value
            EXPECT_EQ(theLow, std::min<SInt32>(1, theExpectedMax));
            EXPECT_EQ(theHigh, theExpectedMax);
        }
    }
}

TEST(ThresholdMap, ANewMapReplacesTheOldOneWithAnotherPattern)
{
    pluginDataRec theConfig{};
    ResetConfig(&theConfig, true);
    InitPixelEffect(&theConfig, 100, 64, 8);
    ASSERT_NE(theConfig.theMask, nullptr);
    std::vector<UInt32> theFirst = Pixels(theConfig.theMask);
    InitPixelEffect(&theConfig, 100, 64, 8); // releases the first map (the leak checker would tell)
    EXPECT_NE(Pixels(theConfig.theMask), theFirst);
    EXPECT_EQ(Width(theConfig.theMask), 64);
    EXPECT_EQ(Height(theConfig.theMask), 8);
    ShutdownPixelEffect(&theConfig);
    EXPECT_EQ(theConfig.theMask, nullptr);
    InitPixelEffect(nullptr, 10, 4, 4);
}

TEST(PixelEffect, MatchesTheReferenceOnRandomScenes)
{
    std::mt19937 theGenerator(7);
    auto theRandom = [&](int theLow, int theHigh) { return std::uniform_int_distribution<int>(theLow, theHigh)(theGenerator); };
    for (int theTrial = 0; theTrial < 60; ++theTrial) {
        const int w = theRandom(1, 70), h = theRandom(1, 9);
        const SInt32 theCount = theRandom(0, 3) == 0 ? theRandom(0, 3) : theRandom(4, 40000);
        pluginDataRec theConfig{};
        ResetConfig(&theConfig, true);
        theConfig.colors[1] = RGBColor{UInt16(theRandom(0, 65535)), UInt16(theRandom(0, 65535)), UInt16(theRandom(0, 65535))};
        InitPixelEffect(&theConfig, theCount, SInt16(w), SInt16(h));
        GWorldOwner theOld = MakeGWorld(w, h), theNew = MakeGWorld(w, h), theDest = MakeGWorld(w, h),
                    theExpected = MakeGWorld(w, h);
        Fill(theOld.get(), [&](int, int) { return UInt32(theGenerator()); });
        Fill(theNew.get(), [&](int, int) { return UInt32(theGenerator()); });
        const Rect theActive{SInt16(theRandom(-3, h)), SInt16(theRandom(-3, w)), SInt16(theRandom(-3, h + 3)),
                             SInt16(theRandom(-3, w + 3))};
        const SInt32 theFrame = theRandom(0, 5) == 0 ? theRandom(-2, 2) : theRandom(0, std::min(theCount, 32001) + 1);
        const bool theCopyRest = theRandom(0, 1);
        for (auto [theTransition, theKernel] :
             {std::pair{ReferenceTransition::Cross, &CrossFXPixel}, {ReferenceTransition::In, &InFXPixel},
              {ReferenceTransition::Out, &OutFXPixel}}) {
            Fill(theDest.get(), [&](int r, int c) { return ReadARGB(theOld.get(), r, c); });
            Fill(theExpected.get(), [&](int r, int c) { return ReadARGB(theOld.get(), r, c); });
            theKernel(theDest.get(), theNew.get(), theDest.get(), theActive, theCopyRest, &theConfig, theFrame, theCount);
            ReferenceFXPixel(theTransition, theExpected.get(), theNew.get(), theExpected.get(), theActive, theCopyRest,
                             theConfig, theFrame);
            ASSERT_EQ(Pixels(theDest.get()), Pixels(theExpected.get()))
                << "trial " << theTrial << " transition " << int(theTransition) << " frame " << theFrame;
        }
        // The same frame rendered again over its own result does not change it.
        std::vector<UInt32> theOnce = Pixels(theDest.get());
        OutFXPixel(theDest.get(), theNew.get(), theDest.get(), theActive, theCopyRest, &theConfig, theFrame, theCount);
        EXPECT_EQ(Pixels(theDest.get()), theOnce);
        ShutdownPixelEffect(&theConfig);
    }
}
