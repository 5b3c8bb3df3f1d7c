// Internal: the port record behind CGrafPtr, shared by the QuickDraw and toolbox modules.
#pragma once

#include "QuickDraw.h"

struct OpaqueGrafPort {
    UInt32 magic;
    PixMapHandle pixMap;
    RGBColor foreColor;
    RGBColor backColor;
    Point penLocation;
    Point penSize;
    SInt16 penMode;
    SInt16 textFont;
    SInt16 textSize;
    Style textFace;
    Rect clip;
    void* owner; // the window that owns this port, or null for an offscreen buffer
};

namespace quickdraw_internal {

// What a pixel-map handle holds: the PixMap first, then the lock state of its pixels and
// whether they belong to someone else (NewGWorldFromPtr), so that disposing leaves them alone.
struct PixMapStorage {
    PixMap pixMap;
    GWorldFlags pixelsState;
    bool borrowedPixels;
};

inline PixMapStorage* StorageOf(PixMapHandle thePixMap)
{
    return reinterpret_cast<PixMapStorage*>(*thePixMap);
}

constexpr UInt32 cPortMagic = 0x47726166; // "Graf"

// Makes a port with zeroed pixel memory of the given size; null when memory runs out.
CGrafPtr NewPortWithPixels(SInt16 theWidth, SInt16 theHeight);
void DisposePort(CGrafPtr thePort);
CGrafPtr CheckedPort(CGrafPtr thePort);
CGrafPtr CurrentPort();

// Address of pixel (row, column) of a port, unchecked.
inline UInt32* PixelAddress(CGrafPtr thePort, int theRow, int theColumn)
{
    PixMap* thePixMap = *thePort->pixMap;
    return reinterpret_cast<UInt32*>(thePixMap->baseAddr + static_cast<long>(theRow) * thePixMap->rowBytes) + theColumn;
}

// A colour as a native 32-bit pixel word with alpha 255.
UInt32 PixelFromColor(const RGBColor& theColor);

}
