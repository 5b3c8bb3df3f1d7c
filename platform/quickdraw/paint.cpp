#include "paint.h"

#include <algorithm>

namespace quickdraw_internal {

namespace {

// Colours are 16 bits a component; pixels keep the high byte.
void SetColorBytes(const RGBColor& theColor, UInt8* theBytes)
{
    theBytes[0] = static_cast<UInt8>(theColor.red >> 8);
    theBytes[1] = static_cast<UInt8>(theColor.green >> 8);
    theBytes[2] = static_cast<UInt8>(theColor.blue >> 8);
}

inline UInt8 Blend(UInt8 theOver, UInt8 theUnder, unsigned theCoverage)
{
    return static_cast<UInt8>((theOver * theCoverage + theUnder * (255u - theCoverage) + 127u) / 255u);
}

// Pixel bytes in memory order alpha, red, green, blue.
inline void PaintPixel(const Painter& thePainter, UInt8* thePixel, unsigned theCoverage)
{
    if (thePainter.kind == PaintKind::invert) {
        if (theCoverage < 128) return;
        thePixel[1] = static_cast<UInt8>(~thePixel[1]);
        thePixel[2] = static_cast<UInt8>(~thePixel[2]);
        thePixel[3] = static_cast<UInt8>(~thePixel[3]);
        return;
    }
    if (theCoverage == 0) return;
    thePixel[0] = 255;
    for (int c = 0; c < 3; ++c) thePixel[c + 1] = Blend(thePainter.color[c], thePixel[c + 1], theCoverage);
}

} // namespace

bool StartPaint(PaintKind theKind, Painter* thePainter)
{
    CGrafPtr thePort = CurrentPort();
    if (!thePort) return false;
    thePainter->port = thePort;
    thePainter->kind = theKind;
    SetColorBytes(theKind == PaintKind::back ? thePort->backColor : thePort->foreColor, thePainter->color);
    return SectRect(&(*thePort->pixMap)->bounds, &thePort->clip, &thePainter->limit);
}

PaintKind PenPaintKind()
{
    CGrafPtr thePort = CurrentPort();
    switch (thePort ? thePort->penMode : SInt16(patCopy)) {
    case srcXor:
    case patXor:
        return PaintKind::invert;
    case srcBic:
    case patBic:
        return PaintKind::back;
    default:
        return PaintKind::fore;
    }
}

void PaintSpan(const Painter& thePainter, int theRow, int theLeft, int theRight)
{
    const Rect& theLimit = thePainter.limit;
    if (theRow < theLimit.top || theRow >= theLimit.bottom) return;
    theLeft = std::max<int>(theLeft, theLimit.left);
    theRight = std::min<int>(theRight, theLimit.right);
    const Rect& theBounds = (*thePainter.port->pixMap)->bounds;
    for (int h = theLeft; h < theRight; ++h) {
        UInt8* thePixel =
            reinterpret_cast<UInt8*>(PixelAddress(thePainter.port, theRow - theBounds.top, h - theBounds.left));
        PaintPixel(thePainter, thePixel, 255);
    }
}

void PaintCoverage(const Painter& thePainter, int theRow, int theLeft, const UInt8* theCoverage, int theCount)
{
    const Rect& theLimit = thePainter.limit;
    if (theRow < theLimit.top || theRow >= theLimit.bottom) return;
    const int theFirst = std::max(0, theLimit.left - theLeft);
    const int theEnd = std::min(theCount, theLimit.right - theLeft);
    const Rect& theBounds = (*thePainter.port->pixMap)->bounds;
    for (int i = theFirst; i < theEnd; ++i) {
        UInt8* thePixel = reinterpret_cast<UInt8*>(
            PixelAddress(thePainter.port, theRow - theBounds.top, theLeft + i - theBounds.left));
        PaintPixel(thePainter, thePixel, theCoverage[i]);
    }
}

} // namespace quickdraw_internal
