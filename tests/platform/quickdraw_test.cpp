#include "QuickDraw.h"

#include "testbuffers.h"

#include <gtest/gtest.h>

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
