#include "pixellib.h"

#include <gtest/gtest.h>

namespace {

// A seed whose next Random() value has these low 16 bits, so tests can choose what the
// generator gives without replacing it.
SInt32 SeedGiving(UInt16 theLowBits)
{
    const UInt64 M = 0x7FFFFFFF;
    UInt64 theInverse = 1, theBase = 16807, theExponent = M - 2;
    while (theExponent) {
        if (theExponent & 1) theInverse = theInverse * theBase % M;
        theBase = theBase * theBase % M;
        theExponent >>= 1;
    }
    UInt64 theNext = (UInt64(1) << 16) | theLowBits;
    return SInt32(theNext * theInverse % M);
}

double PercentFor(UInt16 theLowBits)
{
    SetQDGlobalsRandomSeed(SeedGiving(theLowBits));
    return RandomPercent();
}

SInt16 RndFor(UInt16 theLowBits, SInt16 x)
{
    SetQDGlobalsRandomSeed(SeedGiving(theLowBits));
    return Rnd(x);
}

} // namespace

TEST(RandomPercent, CoversZeroToOneInclusive)
{
    EXPECT_EQ(PercentFor(0), 0.0);
    EXPECT_EQ(PercentFor(0x8000), 0.0); // -32768 is given as 0
    EXPECT_EQ(PercentFor(32767), 1.0);
    EXPECT_EQ(PercentFor(UInt16(-32767)), 1.0);
    EXPECT_DOUBLE_EQ(PercentFor(UInt16(-100)), 100 / 32767.0);
}

TEST(Rnd, StaysWithinOneToX)
{
    struct Case {
        UInt16 random;
        SInt16 x;
        SInt16 expected;
    } theCases[] = {
        {0, 1, 1},      {32767, 1, 1},      {0, 0, 0},       {32767, 0, 0},
        {0, 10, 1},     {32767, 10, 10},    {29491, 10, 10}, // trunc(0.9 * 10) + 1 = 10
        {29490, 10, 9}, {16384, 32000, 16001}, {32767, 32000, 32000},
    };
    for (const Case& theCase : theCases)
        EXPECT_EQ(RndFor(theCase.random, theCase.x), theCase.expected) << theCase.random << " " << theCase.x;
}

TEST(ColorConversions, PackAndUnpack)
{
    pixRec thePixel{7, 255, 0x80, 1};
    EXPECT_EQ(PixRec2LongInt(thePixel), 0xFF8001);
    RGBColor theColor = LongInt2RGBColor(PixRec2LongInt(thePixel));
    EXPECT_EQ(theColor.red, 65280);
    EXPECT_EQ(theColor.green, 0x8000);
    EXPECT_EQ(theColor.blue, 256);
    EXPECT_EQ(RGBColor2LongInt(RGBColor{65535, 0x12FF, 0x00FF}), 0xFF1200);
    pixRec theBack = LongInt2PixRec(0x123456);
    EXPECT_EQ(theBack.alpha, 0);
    EXPECT_EQ(theBack.red, 0x12);
    EXPECT_EQ(theBack.green, 0x34);
    EXPECT_EQ(theBack.blue, 0x56);
}

TEST(ProportionalFitting, KeepsTheOriginalsAspect)
{
    Rect theResult = KeepPropsWithFixedHorizontal(Rect{0, 0, 480, 640}, Rect{10, 0, 99, 720});
    EXPECT_EQ(theResult.bottom, 10 + 540);
    EXPECT_EQ(theResult.right, 720);
    theResult = KeepPropsWithFixedVertical(Rect{0, 0, 480, 640}, Rect{0, 5, 300, 7});
    EXPECT_EQ(theResult.right, 5 + 400);
    // A zero-sized original leaves the new size as it is.
    theResult = KeepPropsWithFixedHorizontal(Rect{0, 0, 10, 0}, Rect{1, 2, 3, 4});
    EXPECT_EQ(theResult.bottom, 3);
}

TEST(ProportionalFitting, FitsOnTheFramesDominantSide)
{
    struct Case {
        Rect image, frame;
        SInt16 bottom, right;
    } theCases[] = {
        {{0, 0, 100, 100}, {0, 0, 480, 720}, 480, 480},  // square in landscape: vertical branch
        {{0, 0, 480, 640}, {0, 0, 480, 720}, 540, 720},  // taller than the frame
        {{0, 0, 200, 100}, {0, 0, 480, 720}, 480, 240},
        {{0, 0, 100, 200}, {0, 0, 720, 480}, 240, 480},  // portrait frame, wide image
        {{0, 0, 200, 100}, {0, 0, 720, 480}, 720, 360},
    };
    for (const Case& theCase : theCases) {
        Rect theResult = CalcProportionalRectForFrame(theCase.image, theCase.frame);
        EXPECT_EQ(theResult.top, 0);
        EXPECT_EQ(theResult.left, 0);
        EXPECT_EQ(theResult.bottom, theCase.bottom);
        EXPECT_EQ(theResult.right, theCase.right);
    }
}
