#include "drawingfixture.h"

#include <cstring>

namespace {

struct PString {
    explicit PString(const char* theText)
    {
        bytes[0] = static_cast<unsigned char>(std::strlen(theText));
        std::memcpy(bytes + 1, theText, bytes[0]);
    }
    operator ConstStr255Param() const { return bytes; }
    unsigned char bytes[256];
};

} // namespace

using TextTest = DrawingTest;

TEST_F(TextTest, PenAdvancesByTheStringWidth)
{
    const PString theText("Cancel \x8A\xA7 OK");
    const SInt16 theSizes[] = {9, 10, 12, 14, 18, 24};
    for (Style theFace : {Style(normal), Style(bold)}) {
        for (SInt16 theSize : theSizes) {
            TextSize(theSize);
            TextFace(theFace);
            const SInt16 theWidth = StringWidth(theText);
            EXPECT_GT(theWidth, theSize * 3) << theSize;
            MoveTo(-5, 20);
            DrawString(theText);
            Point thePen;
            GetPen(&thePen);
            EXPECT_EQ(thePen.h, -5 + theWidth) << theSize;
            EXPECT_EQ(thePen.v, 20);

            EXPECT_EQ(TextWidth("xxCancel", 2, 6), StringWidth(PString("Cancel")));
            MoveTo(0, 20);
            DrawText("xxCancel", 2, 6);
            DrawChar('!');
            GetPen(&thePen);
            EXPECT_EQ(thePen.h, StringWidth(PString("Cancel!")));
        }
    }
}

TEST_F(TextTest, SizeFaceAndFontChooseTheBakedGlyphs)
{
    const PString theText("Preferences");
    auto theWidthAt = [&](SInt16 theSize, Style theFace, SInt16 theFont) {
        TextFont(theFont);
        TextSize(theSize);
        TextFace(theFace);
        return StringWidth(theText);
    };
    EXPECT_EQ(theWidthAt(0, normal, systemFont), theWidthAt(12, normal, systemFont)) << "size 0 means 12";
    EXPECT_EQ(theWidthAt(12, normal, kFontIDGeneva), theWidthAt(12, normal, applFont)) << "one face for every font";
    EXPECT_EQ(theWidthAt(100, normal, 0), theWidthAt(24, normal, 0)) << "nearest baked size";
    EXPECT_EQ(theWidthAt(1, normal, 0), theWidthAt(9, normal, 0)) << "nearest baked size";
    EXPECT_GT(theWidthAt(12, bold, 0), theWidthAt(12, normal, 0));
    EXPECT_GT(theWidthAt(13, normal, 0), theWidthAt(11, normal, 0));
    EXPECT_EQ(theWidthAt(12, bold | italic, 0), theWidthAt(12, bold, 0));

    FontInfo theSmall, theLarge;
    TextSize(9);
    GetFontInfo(&theSmall);
    TextSize(24);
    GetFontInfo(&theLarge);
    EXPECT_GE(theSmall.ascent, 7);
    EXPECT_GE(theSmall.descent, 2);
    EXPECT_GT(theLarge.ascent, theSmall.ascent);
    EXPECT_GT(theLarge.descent, theSmall.descent);
    EXPECT_GE(theLarge.leading, 0);
    EXPECT_GE(theLarge.widMax, theWidthAt(24, normal, 0) / SInt16(std::strlen("Preferences")));
}

TEST_F(TextTest, ControlCharactersHaveNoWidth)
{
    EXPECT_EQ(StringWidth(PString("\x01\x09\x1F")), 0);
    EXPECT_EQ(StringWidth(PString("a\x0D" "b")), StringWidth(PString("ab")));
    EXPECT_EQ(TextWidth("abc", 0, 0), 0);
    EXPECT_EQ(TextWidth("abc", 0, -3), 0);
}

// Black text on white blends grey; red on white keeps red at full and lowers green and blue equally.
TEST_F(TextTest, GlyphsBlendTheForegroundColourBetweenAscentAndDescent)
{
    RGBForeColor(&cRed);
    TextSize(12);
    const PString theText("HIJ Wg\xA7");
    MoveTo(10, 25);
    DrawString(theText);
    FontInfo theInfo;
    GetFontInfo(&theInfo);
    int theChanged = 0, theFull = 0;
    for (int v = 0; v < 48; ++v) {
        for (int h = 0; h < 64; ++h) {
            const UInt32 thePixel = Pixel(h, v);
            if (thePixel == cWhitePixel) continue;
            ++theChanged;
            theFull += thePixel == cRedPixel;
            EXPECT_EQ(thePixel >> 16, 0xFFFFu) << "alpha 255, red full at " << h << "," << v;
            EXPECT_EQ(thePixel >> 8 & 0xFF, thePixel & 0xFF) << h << "," << v;
            EXPECT_GE(v, 25 - theInfo.ascent);
            EXPECT_LT(v, 25 + theInfo.descent);
            EXPECT_GE(h, 10);
            EXPECT_LT(h, 10 + StringWidth(theText));
        }
    }
    EXPECT_GT(theChanged, 60) << Picture();
    EXPECT_GE(theFull, 5) << Picture();
}

TEST_F(TextTest, TextIsClippedToTheClipRectAndThePort)
{
    const Rect theClip{10, 20, 30, 40};
    ClipRect(&theClip);
    TextSize(24);
    MoveTo(-30, 30);
    DrawString(PString("MWMWMWMWMW"));
    MoveTo(50, 60); // below and right of the port: nothing written, no fault under ASan
    DrawString(PString("MWMW"));
    int theInside = 0;
    for (int v = 0; v < 48; ++v) {
        for (int h = 0; h < 64; ++h) {
            if (Pixel(h, v) == cWhitePixel) continue;
            ASSERT_TRUE(h >= 20 && h < 40 && v >= 10 && v < 30) << h << "," << v << Picture();
            ++theInside;
        }
    }
    EXPECT_GT(theInside, 50);

    const Rect theWide{-100, -100, 100, 100};
    ClipRect(&theWide);
    MoveTo(50, 50);
    DrawString(PString("gjpqy"));
    MoveTo(-10, 10);
    DrawString(PString("MW"));
}

// The same picture on every target: the glyphs are bytes baked on the build machine.
TEST_F(TextTest, TextDrawsTheSamePixelsOnEveryTarget)
{
    const RGBColor theInk{0x2000, 0x4000, 0xA000};
    RGBForeColor(&theInk);
    const SInt16 theSizes[] = {9, 10, 11, 12, 13, 14, 18, 24};
    int v = 8;
    for (SInt16 theSize : theSizes) {
        TextSize(theSize);
        TextFace(theSize % 2 ? bold : normal);
        MoveTo(1, v);
        DrawString(PString("Ag\xA7\x8A\xD0"));
        v += theSize / 2 + 1;
    }
    EXPECT_EQ(Checksum(), 4005268368u) << Picture();
}
