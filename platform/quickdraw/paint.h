// Internal: writing the pixels of the current port, for the shape, line and text routines.
#pragma once

#include "grafport.h"

namespace quickdraw_internal {

enum class PaintKind {
    fore,   // the foreground colour, blended by coverage
    back,   // the background colour, blended by coverage
    invert  // the colour bits flipped where coverage is at least half; alpha kept
};

// One drawing call's target: where it may write (the port's bounds within its clip) and what.
struct Painter {
    CGrafPtr port;
    Rect limit;
    PaintKind kind;
    UInt8 color[3]; // red, green, blue
};

// A painter on the current port; false when there is none or its clip leaves nothing to draw.
bool StartPaint(PaintKind theKind, Painter* thePainter);
// What the current port's pen mode does with a solid pattern.
PaintKind PenPaintKind();

// Pixels theLeft .. theRight - 1 of a row at full coverage, clipped to the limit.
void PaintSpan(const Painter& thePainter, int theRow, int theLeft, int theRight);
// theCount pixels of a row from theLeft with coverage 0..255, clipped to the limit.
void PaintCoverage(const Painter& thePainter, int theRow, int theLeft, const UInt8* theCoverage, int theCount);

}
