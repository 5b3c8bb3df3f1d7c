// Pixels, packed colours, proportional fitting and the random numbers of the threshold map.
#pragma once

#include "QuickDraw.h"

// One pixel in memory order on every processor.
struct pixRec {
    UInt8 alpha;
    UInt8 red;
    UInt8 green;
    UInt8 blue;
};

// One threshold-map cell: num1 at the lower address on every processor.
struct intRec {
    UInt16 num1;
    UInt16 num2;
};

static_assert(sizeof(pixRec) == 4 && sizeof(intRec) == 4);

// Packed colour values are 0x00RRGGBB.
pixRec LongInt2PixRec(SInt32 theLong);
SInt32 PixRec2LongInt(pixRec thePixRec);
SInt32 RGBColor2LongInt(RGBColor theColor);
RGBColor LongInt2RGBColor(SInt32 theLong);

Rect KeepPropsWithFixedHorizontal(const Rect& inOriginal, const Rect& inNewSize);
Rect KeepPropsWithFixedVertical(const Rect& inOriginal, const Rect& inNewSize);
Rect CalcProportionalRectForFrame(const Rect& inRect, const Rect& inFrame);

double RandomPercent();
SInt16 Rnd(SInt16 x);
