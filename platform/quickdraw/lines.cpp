// Lines: the pen rectangle, hanging below and right of the pen, dragged from the pen location to
// the end point; every pixel it touches is drawn once, so patXor lines invert cleanly.
#include "paint.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace quickdraw_internal;

namespace {

// Columns touched by the line's own pixels (Bresenham) on each row from theTop on.
struct RowExtents {
    int top;
    std::vector<int> left;
    std::vector<int> right; // inclusive
};

RowExtents LinePixels(int theFromH, int theFromV, int theToH, int theToV)
{
    RowExtents theRows{std::min(theFromV, theToV), {}, {}};
    const size_t theCount = static_cast<size_t>(std::abs(theToV - theFromV)) + 1;
    theRows.left.assign(theCount, std::max(theFromH, theToH));
    theRows.right.assign(theCount, std::min(theFromH, theToH));
    const int theDeltaH = std::abs(theToH - theFromH), theDeltaV = -std::abs(theToV - theFromV);
    const int theStepH = theFromH < theToH ? 1 : -1, theStepV = theFromV < theToV ? 1 : -1;
    int theError = theDeltaH + theDeltaV, h = theFromH, v = theFromV;
    for (;;) {
        const size_t theIndex = static_cast<size_t>(v - theRows.top);
        theRows.left[theIndex] = std::min(theRows.left[theIndex], h);
        theRows.right[theIndex] = std::max(theRows.right[theIndex], h);
        if (h == theToH && v == theToV) break;
        const int theDouble = 2 * theError;
        if (theDouble >= theDeltaV) {
            theError += theDeltaV;
            h += theStepH;
        }
        if (theDouble <= theDeltaH) {
            theError += theDeltaH;
            v += theStepV;
        }
    }
    return theRows;
}

} // namespace

extern "C" {

void LineTo(SInt16 h, SInt16 v)
{
    CGrafPtr thePort = CurrentPort();
    if (!thePort) return;
    const Point theFrom = thePort->penLocation, thePen = thePort->penSize;
    thePort->penLocation = Point{v, h};
    Painter thePainter;
    if (thePen.h <= 0 || thePen.v <= 0 || !StartPaint(PenPaintKind(), &thePainter)) return;

    const RowExtents theRows = LinePixels(theFrom.h, theFrom.v, h, v);
    const int theLast = theRows.top + static_cast<int>(theRows.left.size()) - 1;
    const int theFirstRow = std::max<int>(theRows.top, thePainter.limit.top);
    const int theEndRow = std::min<int>(theLast + thePen.v, thePainter.limit.bottom);
    for (int theRow = theFirstRow; theRow < theEndRow; ++theRow) {
        // Line rows whose pen rectangle reaches this row; columns run monotonically with rows,
        // so the span's ends come from the window's first and last line rows.
        const size_t theLow = static_cast<size_t>(std::max(theRow - thePen.v + 1, theRows.top) - theRows.top);
        const size_t theHigh = static_cast<size_t>(std::min(theRow, theLast) - theRows.top);
        const int theLeft = std::min(theRows.left[theLow], theRows.left[theHigh]);
        const int theRight = std::max(theRows.right[theLow], theRows.right[theHigh]);
        PaintSpan(thePainter, theRow, theLeft, theRight + thePen.h);
    }
}

} // extern "C"
