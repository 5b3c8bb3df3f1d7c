// Text from the baked glyphs: one face in every font number, the nearest baked size, bold or not.
// The pen's v is the baseline; glyph coverage blends the foreground colour over the pixels.
#include "bakedfont.h"
#include "paint.h"

#include <algorithm>
#include <cstdlib>

using namespace quickdraw_internal;

namespace {

constexpr SInt16 cDefaultTextSize = 12;

// The baked font nearest the current port's size and face (the smaller size on a tie).
const BakedFont& CurrentFont()
{
    CGrafPtr thePort = CurrentPort();
    const int theSize = thePort && thePort->textSize != 0 ? thePort->textSize : cDefaultTextSize;
    const Style theFace = thePort && (thePort->textFace & bold) ? bold : normal;
    const BakedFont* theBest = nullptr;
    for (int i = 0; i < cBakedFontCount; ++i) {
        const BakedFont& theFont = cBakedFonts[i];
        if (theFont.face != theFace) continue;
        if (!theBest || std::abs(theFont.size - theSize) < std::abs(theBest->size - theSize)) theBest = &theFont;
    }
    return *theBest;
}

// Control characters have no glyph and no width.
const BakedGlyph* GlyphOf(const BakedFont& theFont, UInt8 theChar)
{
    return theChar < cFirstBakedChar ? nullptr : &theFont.glyphs[theChar - cFirstBakedChar];
}

SInt16 WidthOf(const BakedFont& theFont, const UInt8* theText, int theCount)
{
    int theWidth = 0;
    for (int i = 0; i < theCount; ++i) {
        if (const BakedGlyph* theGlyph = GlyphOf(theFont, theText[i])) theWidth += theGlyph->advance;
    }
    return static_cast<SInt16>(std::min(theWidth, 32767));
}

void DrawGlyph(const Painter& thePainter, const BakedGlyph& theGlyph, int theH, int theV)
{
    const UInt8* theCoverage = cBakedCoverage + theGlyph.offset;
    const int theLeft = theH + theGlyph.left, theTop = theV - theGlyph.top;
    for (int theRow = 0; theRow < theGlyph.height; ++theRow)
        PaintCoverage(thePainter, theTop + theRow, theLeft, theCoverage + theRow * theGlyph.width, theGlyph.width);
}

void DrawBytes(const UInt8* theText, int theCount)
{
    CGrafPtr thePort = CurrentPort();
    if (!thePort || !theText || theCount <= 0) return;
    const BakedFont& theFont = CurrentFont();
    Painter thePainter;
    if (StartPaint(PaintKind::fore, &thePainter)) {
        int theH = thePort->penLocation.h;
        for (int i = 0; i < theCount; ++i) {
            const BakedGlyph* theGlyph = GlyphOf(theFont, theText[i]);
            if (!theGlyph) continue;
            DrawGlyph(thePainter, *theGlyph, theH, thePort->penLocation.v);
            theH += theGlyph->advance;
        }
    }
    Move(WidthOf(theFont, theText, theCount), 0);
}

} // namespace

extern "C" {

void TextFont(SInt16 font)
{
    if (CGrafPtr thePort = CurrentPort()) thePort->textFont = font;
}

void TextSize(SInt16 size)
{
    if (CGrafPtr thePort = CurrentPort()) thePort->textSize = size;
}

void TextFace(Style face)
{
    if (CGrafPtr thePort = CurrentPort()) thePort->textFace = face;
}

void DrawString(ConstStr255Param s)
{
    if (s) DrawBytes(s + 1, s[0]);
}

void DrawText(const void* textBuf, SInt16 firstByte, SInt16 byteCount)
{
    if (textBuf && firstByte >= 0) DrawBytes(static_cast<const UInt8*>(textBuf) + firstByte, byteCount);
}

void DrawChar(SInt16 ch)
{
    const UInt8 theChar = static_cast<UInt8>(ch);
    DrawBytes(&theChar, 1);
}

SInt16 StringWidth(ConstStr255Param s)
{
    return s ? WidthOf(CurrentFont(), s + 1, s[0]) : 0;
}

SInt16 TextWidth(const void* textBuf, SInt16 firstByte, SInt16 byteCount)
{
    if (!textBuf || firstByte < 0 || byteCount <= 0) return 0;
    return WidthOf(CurrentFont(), static_cast<const UInt8*>(textBuf) + firstByte, byteCount);
}

void GetFontInfo(FontInfo* info)
{
    if (!info) return;
    const BakedFont& theFont = CurrentFont();
    *info = FontInfo{theFont.ascent, theFont.descent, theFont.widMax, theFont.leading};
}

} // extern "C"
