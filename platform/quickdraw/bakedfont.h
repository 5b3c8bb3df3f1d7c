// Internal: the glyphs baked at build time by tools/fontbake (DejaVu Sans, normal and bold).
#pragma once

#include "QuickDraw.h"

namespace quickdraw_internal {

// One character: a width x height coverage bitmap (0 none .. 255 full) at cBakedCoverage + offset,
// whose top-left pixel lies left pixels right of the pen and top pixels above the baseline.
struct BakedGlyph {
    UInt32 offset;
    UInt8 width;
    UInt8 height;
    SInt8 left;
    SInt8 top;
    UInt8 advance;
};

// One size of one face: the glyphs of the Mac Roman bytes cFirstBakedChar..0xFF, in order.
struct BakedFont {
    SInt16 size;
    Style face;
    SInt16 ascent;
    SInt16 descent;
    SInt16 leading;
    SInt16 widMax;
    const BakedGlyph* glyphs;
};

constexpr int cFirstBakedChar = 0x20;

extern const UInt8 cBakedCoverage[];
extern const BakedGlyph cBakedGlyphs[];
extern const BakedFont cBakedFonts[];
extern const int cBakedFontCount;

}
