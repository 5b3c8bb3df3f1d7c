#include "QuickDraw.h"

#include "testbuffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

using namespace testing_support;

TEST(GWorld, BoundsStartAtTheOriginAndRowsArePadded)
{
    Rect theRect{10, 20, 13, 27};
    GWorldPtr theGW = nullptr;
    ASSERT_EQ(NewGWorld(&theGW, 32, &theRect, nullptr, nullptr, 0), noErr);
    GWorldOwner theOwner(theGW);
    Rect theBounds;
    GetPortBounds(theGW, &theBounds);
    EXPECT_EQ(theBounds.top, 0);
    EXPECT_EQ(theBounds.left, 0);
    EXPECT_EQ(theBounds.bottom, 3);
    EXPECT_EQ(theBounds.right, 7);
    PixMapHandle thePixMap = GetGWorldPixMap(theGW);
    EXPECT_GT(GetPixRowBytes(thePixMap), 28);
    EXPECT_EQ(GetPixDepth(thePixMap), 32);
    EXPECT_EQ(GetPortBitMapForCopyBits(theGW)->baseAddr, GetPixBaseAddr(thePixMap));
}

TEST(GWorld, ImpossibleSizesFail)
{
    GWorldPtr theGW = reinterpret_cast<GWorldPtr>(1);
    Rect theRect{0, 0, -1, 5};
    EXPECT_NE(NewGWorld(&theGW, 32, &theRect, nullptr, nullptr, 0), noErr);
    EXPECT_EQ(theGW, nullptr);
}

TEST(GWorld, BufferOverCallerMemoryUsesItAndLeavesItToTheCaller)
{
    std::vector<UInt32> theMemory(3 * 6, 0x01020304); // 5 pixels a row, one word of padding
    GWorldPtr theGW = nullptr;
    Rect theRect{2, 3, 5, 8};
    ASSERT_EQ(NewGWorldFromPtr(&theGW, k32RGBAPixelFormat, &theRect, nullptr, nullptr, 0,
                               reinterpret_cast<Ptr>(theMemory.data()), 24),
              noErr);
    PixMapHandle thePixMap = GetGWorldPixMap(theGW);
    EXPECT_EQ(GetPixBaseAddr(thePixMap), reinterpret_cast<Ptr>(theMemory.data()));
    EXPECT_EQ(GetPixRowBytes(thePixMap), 24);
    EXPECT_EQ((*thePixMap)->pixelFormat, k32RGBAPixelFormat);
    Rect theBounds;
    GetPortBounds(theGW, &theBounds);
    EXPECT_TRUE(theBounds.top == 0 && theBounds.left == 0 && theBounds.bottom == 3 && theBounds.right == 5);
    DisposeGWorld(theGW); // the memory checker reports a release of memory the port does not own
    EXPECT_EQ(theMemory[17], 0x01020304u);

    EXPECT_EQ((*GetGWorldPixMap(MakeGWorld(1, 1).get()))->pixelFormat, k32ARGBPixelFormat);

    struct Case {
        OSType format;
        Rect bounds;
        bool buffer;
        SInt32 rowBytes;
    } theBadCases[] = {
        {FOUR_CHAR_CODE("BGRA"), theRect, true, 24}, // a byte order nothing here handles
        {k32ARGBPixelFormat, theRect, false, 24},
        {k32ARGBPixelFormat, theRect, true, 19}, // rows shorter than five pixels
        {k32ARGBPixelFormat, Rect{0, 0, -1, 5}, true, 24},
    };
    for (const Case& theCase : theBadCases) {
        theGW = reinterpret_cast<GWorldPtr>(1);
        Ptr theBuffer = theCase.buffer ? reinterpret_cast<Ptr>(theMemory.data()) : nullptr;
        EXPECT_EQ(NewGWorldFromPtr(&theGW, theCase.format, &theCase.bounds, nullptr, nullptr, 0, theBuffer,
                                   theCase.rowBytes),
                  paramErr);
        EXPECT_EQ(theGW, nullptr);
    }
}

TEST(GWorld, PixelStateIsRecordedAndRestored)
{
    GWorldOwner theGW = MakeGWorld(2, 2);
    PixMapHandle thePixMap = GetGWorldPixMap(theGW.get());
    GWorldFlags theState = GetPixelsState(thePixMap);
    EXPECT_FALSE(theState & pixelsLocked);
    LockPixels(thePixMap);
    EXPECT_TRUE(GetPixelsState(thePixMap) & pixelsLocked);
    SetPixelsState(thePixMap, theState);
    EXPECT_EQ(GetPixelsState(thePixMap), theState);
}

TEST(CopyBits, SameSizeCopiesExactlyAndClipsToTheDestination)
{
    GWorldOwner theSource = MakeGWorld(5, 4), theDest = MakeGWorld(5, 4);
    Fill(theSource.get(), [](int r, int c) { return 0x01000000u * (r + 1) + 0x10u * c + 3; });
    FillColor(theDest.get(), 0);
    Rect theSourceRect{0, 0, 4, 5}, theDestRect{2, 3, 6, 8}; // hangs over the bottom right
    CopyBits(GetPortBitMapForCopyBits(theSource.get()), GetPortBitMapForCopyBits(theDest.get()), &theSourceRect,
             &theDestRect, srcCopy, nullptr);
    EXPECT_EQ(ReadARGB(theDest.get(), 2, 3), ReadARGB(theSource.get(), 0, 0));
    EXPECT_EQ(ReadARGB(theDest.get(), 3, 4), ReadARGB(theSource.get(), 1, 1));
    EXPECT_EQ(ReadARGB(theDest.get(), 1, 3), 0u);
    EXPECT_EQ(ReadARGB(theDest.get(), 2, 2), 0u);
}

TEST(CopyBits, ScalingKeepsFlatColoursFlatToTheEdges)
{
    for (auto [w, h] : {std::pair{37, 23}, {300, 200}, {7, 5}}) {
        GWorldOwner theSource = MakeGWorld(100, 60), theDest = MakeGWorld(w, h);
        FillColor(theSource.get(), 0xFF336699);
        Rect theSourceRect{0, 0, 60, 100}, theDestRect{0, 0, SInt16(h), SInt16(w)};
        CopyBits(GetPortBitMapForCopyBits(theSource.get()), GetPortBitMapForCopyBits(theDest.get()), &theSourceRect,
                 &theDestRect, srcCopy, nullptr);
        EXPECT_EQ(Pixels(theDest.get()), std::vector<UInt32>(size_t(w) * h, 0xFF336699u)) << w << "x" << h;
    }
}

TEST(CopyBits, DownscalingAveragesAndUpscalingInterpolates)
{
    GWorldOwner theSource = MakeGWorld(2, 1), theOne = MakeGWorld(1, 1), theWide = MakeGWorld(4, 1);
    WriteARGB(theSource.get(), 0, 0, 0xFF000000);
    WriteARGB(theSource.get(), 0, 1, 0xFFC8C8C8);
    Rect theSourceRect{0, 0, 1, 2}, theOneRect{0, 0, 1, 1}, theWideRect{0, 0, 1, 4};
    CopyBits(GetPortBitMapForCopyBits(theSource.get()), GetPortBitMapForCopyBits(theOne.get()), &theSourceRect,
             &theOneRect, srcCopy, nullptr);
    EXPECT_EQ(ReadARGB(theOne.get(), 0, 0), 0xFF646464u);
    CopyBits(GetPortBitMapForCopyBits(theSource.get()), GetPortBitMapForCopyBits(theWide.get()), &theSourceRect,
             &theWideRect, srcCopy, nullptr);
    EXPECT_EQ(Pixels(theWide.get()), (std::vector<UInt32>{0xFF000000u, 0xFF323232u, 0xFF969696u, 0xFFC8C8C8u}));
}

namespace {

// Each destination pixel's source pixels and shares along one axis, worked out directly in
// floating point: the overlap with its span when shrinking, linear interpolation when
// enlarging; pixels beyond the readable source repeat its edge.
std::vector<std::vector<std::pair<int, double>>> ReferenceTaps(int theSrcStart, int theSrcCount, int theDstCount,
                                                               int theLow, int theHigh)
{
    const double theScale = double(theSrcCount) / theDstCount;
    auto clampIndex = [&](int i) { return std::clamp(i, theLow, theHigh - 1); };
    std::vector<std::vector<std::pair<int, double>>> theTaps(theDstCount);
    for (int d = 0; d < theDstCount; ++d) {
        const double s0 = theSrcStart + d * theScale, s1 = s0 + theScale;
        if (theScale > 1) {
            for (int i = int(std::floor(s0)); i < s1; ++i)
                theTaps[d].emplace_back(clampIndex(i), (std::min(s1, i + 1.0) - std::max(s0, double(i))) / theScale);
        } else {
            const double theCentre = (s0 + s1) / 2 - 0.5, theLow = std::floor(theCentre);
            theTaps[d] = {{clampIndex(int(theLow)), 1 - (theCentre - theLow)}, {clampIndex(int(theLow) + 1), theCentre - theLow}};
        }
    }
    return theTaps;
}

UInt8 MixedByte(UInt32& theSeed)
{
    theSeed = theSeed * 1103515245u + 12345u;
    const UInt32 theValue = theSeed >> 16;
    return theValue % 3 == 0 ? 0 : theValue % 3 == 1 ? 255 : UInt8(theValue >> 2);
}

} // namespace

// Odd sizes and ratios, clipping and sources that reach past their bounds, against the direct
// computation; bytes of 0 and 255 are frequent, where sums that lose track of their sign show.
TEST(CopyBits, ScalingMatchesADirectAreaAverageOrInterpolation)
{
    const struct Case {
        int srcWidth, srcHeight;
        Rect srcRect;
        int dstWidth, dstHeight;
        Rect dstRect;
    } theCases[] = {
        {72, 58, {0, 0, 58, 72}, 30, 24, {0, 0, 24, 30}},     // about 2.4, the PAL preview
        {95, 54, {0, 0, 54, 95}, 38, 22, {0, 0, 22, 38}},     // 2.5 across, 2.45 down
        {40, 30, {0, 0, 30, 40}, 20, 15, {0, 0, 15, 20}},     // halving
        {33, 21, {0, 0, 21, 33}, 11, 7, {0, 0, 7, 11}},       // thirds
        {21, 3, {0, 0, 3, 21}, 9, 2, {0, 0, 2, 9}},           // a last share rounded below nothing
        {7, 5, {0, 0, 5, 7}, 17, 11, {0, 0, 11, 17}},         // enlarging
        {50, 5, {0, 0, 5, 50}, 13, 17, {0, 0, 17, 13}},       // shrinking across, enlarging down
        {64, 48, {3, 5, 40, 60}, 30, 20, {-4, -6, 22, 25}},   // part of the source, clipped destination
        {20, 16, {-3, -2, 18, 23}, 9, 8, {0, 0, 8, 9}},       // a source rectangle past the bounds
        {9, 9, {-1, 0, 8, 9}, 9, 9, {0, 0, 9, 9}},            // same size, shifted off the top
    };
    UInt32 theSeed = 7;
    for (const Case& theCase : theCases) {
        SCOPED_TRACE(testing::Message() << theCase.srcWidth << "x" << theCase.srcHeight << " to " << theCase.dstWidth
                                        << "x" << theCase.dstHeight);
        GWorldOwner theSource = MakeGWorld(theCase.srcWidth, theCase.srcHeight);
        GWorldOwner theDest = MakeGWorld(theCase.dstWidth, theCase.dstHeight);
        for (int r = 0; r < theCase.srcHeight; ++r)
            for (int c = 0; c < theCase.srcWidth * 4; ++c) PixelAt(theSource.get(), r, 0)[c] = MixedByte(theSeed);
        FillColor(theDest.get(), 0x12345678);
        CopyBits(GetPortBitMapForCopyBits(theSource.get()), GetPortBitMapForCopyBits(theDest.get()), &theCase.srcRect,
                 &theCase.dstRect, srcCopy, nullptr);

        const Rect& s = theCase.srcRect;
        const Rect& d = theCase.dstRect;
        const auto theColumns = ReferenceTaps(s.left, s.right - s.left, d.right - d.left, std::max<int>(s.left, 0),
                                              std::min<int>(s.right, theCase.srcWidth));
        const auto theRows = ReferenceTaps(s.top, s.bottom - s.top, d.bottom - d.top, std::max<int>(s.top, 0),
                                           std::min<int>(s.bottom, theCase.srcHeight));
        int theWorst = 0;
        for (int r = 0; r < theCase.dstHeight; ++r) {
            for (int c = 0; c < theCase.dstWidth; ++c) {
                const bool theInside = r >= d.top && r < d.bottom && c >= d.left && c < d.right;
                for (int ch = 0; ch < 4; ++ch) {
                    int theExpected = int((0x12345678u >> (24 - 8 * ch)) & 0xFF);
                    if (theInside) {
                        double theValue = 0;
                        for (auto [theRow, theRowShare] : theRows[r - d.top])
                            for (auto [theColumn, theColumnShare] : theColumns[c - d.left])
                                theValue += theRowShare * theColumnShare * PixelAt(theSource.get(), theRow, theColumn)[ch];
                        theExpected = int(std::lround(theValue));
                    }
                    theWorst = std::max(theWorst, std::abs(PixelAt(theDest.get(), r, c)[ch] - theExpected));
                }
            }
        }
        EXPECT_LE(theWorst, 1);
    }
}

// Scaling within one buffer reads every source pixel before it is overwritten.
TEST(CopyBits, ScalingOntoItselfGivesWhatAScaledCopyGives)
{
    const struct {
        Rect source, dest;
    } theCases[] = {{{0, 0, 30, 40}, {5, 7, 20, 27}}, {{2, 3, 12, 15}, {0, 0, 30, 40}}, {{10, 10, 30, 40}, {0, 0, 26, 33}}};
    for (const auto& theCase : theCases) {
        GWorldOwner theGW = MakeGWorld(40, 30), theOriginal = MakeGWorld(40, 30), theExpected = MakeGWorld(40, 30);
        Fill(theGW.get(), [](int r, int c) { return 0xFF000000u | UInt32(r * 8) << 16 | UInt32(c * 6) << 8 | UInt32((r * c) & 0xFF); });
        const Rect theAll{0, 0, 30, 40};
        CopyBits(GetPortBitMapForCopyBits(theGW.get()), GetPortBitMapForCopyBits(theOriginal.get()), &theAll, &theAll,
                 srcCopy, nullptr);
        CopyBits(GetPortBitMapForCopyBits(theGW.get()), GetPortBitMapForCopyBits(theExpected.get()), &theAll, &theAll,
                 srcCopy, nullptr);
        CopyBits(GetPortBitMapForCopyBits(theOriginal.get()), GetPortBitMapForCopyBits(theExpected.get()),
                 &theCase.source, &theCase.dest, srcCopy, nullptr);
        CopyBits(GetPortBitMapForCopyBits(theGW.get()), GetPortBitMapForCopyBits(theGW.get()), &theCase.source,
                 &theCase.dest, srcCopy, nullptr);
        EXPECT_EQ(Pixels(theGW.get()), Pixels(theExpected.get()));
    }
}

TEST(QuickDrawState, PortColoursAndPenBelongToTheCurrentPort)
{
    GWorldOwner theFirst = MakeGWorld(1, 1), theSecond = MakeGWorld(1, 1);
    SetGWorld(theFirst.get(), nullptr);
    RGBColor theRed{65535, 0, 0}, theColor;
    RGBForeColor(&theRed);
    MoveTo(3, 4);
    SetGWorld(theSecond.get(), GetMainDevice());
    GetForeColor(&theColor);
    EXPECT_EQ(theColor.red, 0);
    SetGWorld(theFirst.get(), nullptr);
    GetForeColor(&theColor);
    EXPECT_EQ(theColor.red, 65535);
    Point thePen;
    GetPen(&thePen);
    EXPECT_EQ(thePen.h, 3);
    EXPECT_EQ(thePen.v, 4);
    SetGWorld(nullptr, nullptr);
}

TEST(Rects, Arithmetic)
{
    Rect r;
    SetRect(&r, 1, 2, 11, 22);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 2);
    OffsetRect(&r, -1, 3);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.bottom, 25);
    Rect theOther{0, 5, 100, 6}, theSect;
    EXPECT_TRUE(SectRect(&r, &theOther, &theSect));
    EXPECT_EQ(theSect.left, 5);
    EXPECT_EQ(theSect.top, 5);
    EXPECT_TRUE(PtInRect(Point{5, 0}, &r));
    EXPECT_FALSE(PtInRect(Point{25, 0}, &r));
}
