#include "drawingfixture.h"

#include <functional>
#include <numbers>

namespace {

// Ink of a black-on-white drawing: 0 for white, 1 for black.
double InkOf(UInt32 thePixel)
{
    return (255 - (thePixel >> 8 & 0xFF)) / 255.0;
}

} // namespace

using ShapesTest = DrawingTest;

TEST_F(ShapesTest, PaintRectFillsUpToButNotIncludingRightAndBottom)
{
    const Rect theRect{10, 20, 30, 40};
    PaintRect(&theRect);
    const struct {
        int h, v;
        UInt32 pixel;
    } theCases[] = {{20, 10, cBlackPixel}, {39, 29, cBlackPixel}, {30, 20, cBlackPixel}, {40, 29, cWhitePixel},
                    {39, 30, cWhitePixel}, {19, 10, cWhitePixel}, {20, 9, cWhitePixel}};
    for (const auto& c : theCases) EXPECT_EQ(Pixel(c.h, c.v), c.pixel) << c.h << "," << c.v;
}

TEST_F(ShapesTest, FrameRectDrawsThePenInsideTheRectangle)
{
    const Rect theRect{10, 10, 30, 40};
    PenSize(2, 3);
    FrameRect(&theRect);
    const struct {
        int h, v;
        UInt32 pixel;
    } theCases[] = {{10, 10, cBlackPixel}, {11, 12, cBlackPixel}, {12, 13, cWhitePixel}, {38, 20, cBlackPixel},
                    {37, 20, cWhitePixel}, {20, 27, cBlackPixel}, {20, 26, cWhitePixel}, {39, 29, cBlackPixel},
                    {40, 29, cWhitePixel}, {9, 10, cWhitePixel}};
    for (const auto& c : theCases) EXPECT_EQ(Pixel(c.h, c.v), c.pixel) << c.h << "," << c.v << Picture();
}

TEST_F(ShapesTest, PenSizeZeroDrawsNoFrameAndNoLine)
{
    const Rect theRect{10, 10, 30, 40};
    const UInt32 theBlank = Checksum();
    PenSize(0, 2);
    FrameRect(&theRect);
    FrameOval(&theRect);
    MoveTo(0, 0);
    LineTo(40, 40);
    EXPECT_EQ(Checksum(), theBlank);
    Point thePen;
    GetPen(&thePen);
    EXPECT_EQ(thePen.h, 40);
    EXPECT_EQ(thePen.v, 40);
}

TEST_F(ShapesTest, EraseUsesTheBackgroundColourWhateverThePenMode)
{
    const Rect theRect{5, 5, 20, 20};
    RGBBackColor(&cBlue);
    PenMode(patXor);
    EraseRect(&theRect);
    EraseOval(&theRect);
    EXPECT_EQ(Pixel(5, 5), cBluePixel);
    EXPECT_EQ(Pixel(12, 12), cBluePixel);
    EXPECT_EQ(Pixel(20, 20), cWhitePixel);
}

TEST_F(ShapesTest, PenModesPaintForeBackOrInvert)
{
    const Rect theRect{0, 0, 4, 4};
    const struct {
        SInt16 mode;
        UInt32 pixel;
    } theCases[] = {{patCopy, cRedPixel}, {srcCopy, cRedPixel}, {patOr, cRedPixel}, {srcOr, cRedPixel},
                    {patBic, cBluePixel}, {patXor, cBlackPixel}, {srcXor, cBlackPixel}};
    for (const auto& c : theCases) {
        RGBBackColor(&cWhite);
        EraseRect(&theRect);
        RGBForeColor(&cRed);
        RGBBackColor(&cBlue);
        PenMode(c.mode);
        PaintRect(&theRect);
        EXPECT_EQ(Pixel(1, 1), c.pixel) << "mode " << c.mode;
    }
}

TEST_F(ShapesTest, InvertFlipsColourBitsAndKeepsAlpha)
{
    UInt8* thePixel = PixelBytes(3, 3);
    thePixel[0] = 0x40;
    thePixel[1] = 0x12;
    thePixel[2] = 0x34;
    thePixel[3] = 0x56;
    const Rect theRect{0, 0, 8, 8};
    InvertRect(&theRect);
    EXPECT_EQ(Pixel(3, 3), 0x40EDCBA9u);
    EXPECT_EQ(Pixel(0, 0), cBlackPixel);
    InvertOval(&theRect);
    EXPECT_EQ(Pixel(3, 3), 0x40123456u);
    EXPECT_EQ(Pixel(0, 0), cBlackPixel) << "corner outside the oval";
}

// Drawing in patXor twice restores the image only when every pixel is inverted at most once per call.
TEST_F(ShapesTest, XorDrawingTwiceRestoresTheImage)
{
    const Rect theShape{6, 4, 40, 58};
    const Rect theStripe{0, 20, 48, 30};
    const std::pair<const char*, std::function<void()>> theCalls[] = {
        {"FrameRect", [&] { FrameRect(&theShape); }},
        {"PaintRect", [&] { PaintRect(&theShape); }},
        {"FrameOval", [&] { FrameOval(&theShape); }},
        {"PaintOval", [&] { PaintOval(&theShape); }},
        {"FrameRoundRect", [&] { FrameRoundRect(&theShape, 20, 12); }},
        {"PaintRoundRect", [&] { PaintRoundRect(&theShape, 20, 12); }},
        {"LineTo", [&] { MoveTo(2, 40); LineTo(60, 3); }},
    };
    RGBForeColor(&cRed);
    PaintRect(&theStripe);
    const UInt32 theBefore = Checksum();
    for (const auto& [theName, theCall] : theCalls) {
        PenMode(patXor);
        PenSize(3, 2);
        theCall();
        EXPECT_NE(Checksum(), theBefore) << theName;
        theCall();
        EXPECT_EQ(Checksum(), theBefore) << theName << Picture();
    }
}

// On white, inverting with patXor gives black exactly where patCopy paints black.
TEST_F(ShapesTest, XorLinesAndFramesCoverWhatCopyCovers)
{
    const Rect theShape{6, 4, 40, 58};
    const std::pair<const char*, std::function<void()>> theCalls[] = {
        {"FrameRect", [&] { FrameRect(&theShape); }},
        {"steep LineTo", [&] { MoveTo(10, 2); LineTo(20, 44); }},
        {"shallow LineTo", [&] { MoveTo(60, 30); LineTo(1, 20); }},
    };
    for (const auto& [theName, theCall] : theCalls) {
        const Rect theAll{0, 0, 48, 64};
        EraseRect(&theAll);
        PenSize(4, 3);
        PenMode(patCopy);
        theCall();
        const UInt32 theCopied = Checksum();
        const std::string theCopiedPicture = Picture();
        EraseRect(&theAll);
        PenMode(patXor);
        theCall();
        EXPECT_EQ(Checksum(), theCopied) << theName << theCopiedPicture << Picture();
    }
}

TEST_F(ShapesTest, LineToDrawsBothEndsWithThePenBelowAndRight)
{
    PenSize(3, 2);
    MoveTo(5, 5);
    LineTo(20, 5);
    Point thePen;
    GetPen(&thePen);
    EXPECT_EQ(thePen.h, 20);
    EXPECT_EQ(thePen.v, 5);
    for (int h = 5; h <= 22; ++h) {
        EXPECT_EQ(Pixel(h, 5), cBlackPixel) << h;
        EXPECT_EQ(Pixel(h, 6), cBlackPixel) << h;
    }
    EXPECT_EQ(Pixel(4, 5), cWhitePixel);
    EXPECT_EQ(Pixel(23, 5), cWhitePixel);
    EXPECT_EQ(Pixel(10, 7), cWhitePixel);

    PenNormal();
    MoveTo(30, 10);
    LineTo(40, 20);
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(Pixel(30 + i, 10 + i), cBlackPixel) << i;
    EXPECT_EQ(Pixel(31, 10), cWhitePixel);
    EXPECT_EQ(Pixel(41, 21), cWhitePixel);
}

TEST_F(ShapesTest, OvalsAreSymmetricAndHaveTheEllipsesArea)
{
    const Rect theRect{8, 8, 40, 56}; // 48 x 32, centred on the port
    const struct {
        const char* name;
        std::function<void()> draw;
        double area;
    } theCases[] = {
        {"PaintOval", [&] { PaintOval(&theRect); }, std::numbers::pi * 24 * 16},
        {"FrameOval", [&] { FrameOval(&theRect); }, std::numbers::pi * (24 * 16 - 23 * 15)},
        {"PaintRoundRect", [&] { PaintRoundRect(&theRect, 20, 12); }, 48 * 32 - (4 - std::numbers::pi) * 10 * 6},
        {"FrameRoundRect", [&] { PenSize(2, 2); FrameRoundRect(&theRect, 20, 12); },
         (48 * 32 - (4 - std::numbers::pi) * 10 * 6) - (44 * 28 - (4 - std::numbers::pi) * 8 * 4)},
    };
    for (const auto& c : theCases) {
        const Rect theAll{0, 0, 48, 64};
        EraseRect(&theAll);
        PenNormal();
        c.draw();
        double theInk = 0;
        for (int v = 0; v < 48; ++v) {
            for (int h = 0; h < 64; ++h) {
                theInk += InkOf(Pixel(h, v));
                ASSERT_EQ(Pixel(h, v), Pixel(63 - h, v)) << c.name << " at " << h << "," << v << Picture();
                ASSERT_EQ(Pixel(h, v), Pixel(h, 47 - v)) << c.name << " at " << h << "," << v << Picture();
                if (!PtInRect(Point{SInt16(v), SInt16(h)}, &theRect)) {
                    ASSERT_EQ(Pixel(h, v), cWhitePixel) << c.name;
                }
            }
        }
        EXPECT_NEAR(theInk, c.area, 0.5) << c.name; // anti-aliased edges add up to the exact area
    }
}

TEST_F(ShapesTest, OvalsAndRoundRectsLeaveCornersAndFillTheMiddle)
{
    const Rect theRect{8, 8, 40, 56};
    PaintOval(&theRect);
    EXPECT_EQ(Pixel(8, 8), cWhitePixel);
    EXPECT_EQ(Pixel(32, 24), cBlackPixel);
    EXPECT_GT(InkOf(Pixel(32, 8)), 0.9) << "top of the oval touches the rectangle";
    EXPECT_GT(InkOf(Pixel(8, 23)), 0.9) << "left of the oval touches the rectangle";

    const Rect theAll{0, 0, 48, 64};
    EraseRect(&theAll);
    FrameRoundRect(&theRect, 16, 16);
    EXPECT_EQ(Pixel(8, 8), cWhitePixel);
    EXPECT_EQ(Pixel(32, 8), cBlackPixel);
    EXPECT_EQ(Pixel(8, 24), cBlackPixel);
    EXPECT_EQ(Pixel(55, 24), cBlackPixel);
    EXPECT_EQ(Pixel(32, 24), cWhitePixel);
    EXPECT_EQ(Pixel(32, 9), cWhitePixel);
}

TEST_F(ShapesTest, DrawingStaysInsideTheClipAndThePort)
{
    const Rect theClip{10, 12, 20, 30};
    ClipRect(&theClip);
    const Rect theHuge{-200, -300, 300, 400};
    PaintRect(&theHuge);
    FrameOval(&theHuge);
    PenSize(6, 6);
    MoveTo(-1000, -1000);
    LineTo(1000, 1000);
    for (int v = 0; v < 48; ++v) {
        for (int h = 0; h < 64; ++h) {
            const bool theInside = h >= 12 && h < 30 && v >= 10 && v < 20;
            ASSERT_EQ(Pixel(h, v), theInside ? cBlackPixel : cWhitePixel) << h << "," << v << Picture();
        }
    }

    // A clip reaching past the port still stops at the port's edges (a fault shows under ASan).
    const Rect theWide{-100, -100, 100, 100};
    ClipRect(&theWide);
    RGBForeColor(&cRed);
    PaintOval(&theHuge);
    FrameRoundRect(&theHuge, 500, 300);
    MoveTo(-50, 47);
    LineTo(80, 47);
    EXPECT_EQ(Pixel(0, 0), cRedPixel);
    EXPECT_EQ(Pixel(63, 47), cRedPixel);
}

TEST_F(ShapesTest, EmptyAndInsideOutRectanglesDrawNothing)
{
    const UInt32 theBlank = Checksum();
    const Rect theRects[] = {{10, 10, 10, 30}, {10, 30, 20, 10}, {30, 10, 10, 20}};
    for (const Rect& r : theRects) {
        PaintRect(&r);
        FrameRect(&r);
        PaintOval(&r);
        InvertOval(&r);
        PaintRoundRect(&r, 8, 8);
    }
    EXPECT_EQ(Checksum(), theBlank);
}

// The same picture on every target: integer arithmetic only, byte order independent.
TEST_F(ShapesTest, ShapesDrawTheSamePixelsOnEveryTarget)
{
    const Rect theOval{3, 5, 31, 44};
    const Rect theRound{20, 20, 46, 62};
    const Rect theBox{2, 40, 14, 60};
    RGBForeColor(&cRed);
    PaintOval(&theOval);
    RGBForeColor(&cBlue);
    PenSize(2, 1);
    FrameRoundRect(&theRound, 14, 9);
    const RGBColor theGreen{0x8000, 0xC000, 0x4000};
    RGBBackColor(&theGreen);
    EraseOval(&theBox);
    PenMode(patXor);
    FrameOval(&theRound);
    PenNormal();
    RGBForeColor(&cBlack);
    MoveTo(0, 47);
    LineTo(63, 0);
    InvertRect(&theBox);
    EXPECT_EQ(Checksum(), 3471074038u) << Picture();
}
