// Regions as fractions of a frame, and their conversion to and from pixel rectangles.
#pragma once

#include "QuickDraw.h"

struct relRect {
    double left;
    double right;
    double top;
    double bottom;
};

struct relPoint {
    double horiz;
    double vert;
};

void InitRelRect(relRect* theRel);
// Truncates toward zero; results beyond the 16-bit range saturate, a NaN fraction gives the frame's own edge.
Rect Rel2Rect(const relRect& theRel, const Rect& theFrame);
relRect Rect2Rel(const Rect& theRect, const Rect& theFrame);
