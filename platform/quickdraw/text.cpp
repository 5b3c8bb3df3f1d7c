// Placeholder text drawing: keeps the pen and text state; glyphs come with the baked font.
#include "grafport.h"

using namespace quickdraw_internal;

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
    Move(StringWidth(s), 0);
}

SInt16 StringWidth(ConstStr255Param s)
{
    return static_cast<SInt16>(s[0] * 7);
}

} // extern "C"
