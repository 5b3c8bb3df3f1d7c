// Small helpers for tests that build buffers and look at their pixels.
#pragma once

#include "QuickDraw.h"

#include <cstring>
#include <memory>
#include <vector>

namespace testing_support {

struct GWorldDeleter {
    void operator()(OpaqueGrafPort* theGW) const { DisposeGWorld(theGW); }
};
using GWorldOwner = std::unique_ptr<OpaqueGrafPort, GWorldDeleter>;

inline GWorldOwner MakeGWorld(int theWidth, int theHeight)
{
    Rect theBounds{0, 0, static_cast<SInt16>(theHeight), static_cast<SInt16>(theWidth)};
    GWorldPtr theGW = nullptr;
    NewGWorld(&theGW, 32, &theBounds, nullptr, nullptr, 0);
    return GWorldOwner(theGW);
}

inline UInt8* PixelAt(GWorldPtr theGW, int theRow, int theColumn)
{
    PixMapHandle thePixMap = GetGWorldPixMap(theGW);
    return reinterpret_cast<UInt8*>(GetPixBaseAddr(thePixMap)) + theRow * GetPixRowBytes(thePixMap) + 4 * theColumn;
}

// A pixel as 0xAARRGGBB, read byte by byte so that it means the same on every processor.
inline UInt32 ReadARGB(GWorldPtr theGW, int theRow, int theColumn)
{
    const UInt8* p = PixelAt(theGW, theRow, theColumn);
    return UInt32(p[0]) << 24 | UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
}

inline void WriteARGB(GWorldPtr theGW, int theRow, int theColumn, UInt32 theARGB)
{
    UInt8* p = PixelAt(theGW, theRow, theColumn);
    p[0] = UInt8(theARGB >> 24);
    p[1] = UInt8(theARGB >> 16);
    p[2] = UInt8(theARGB >> 8);
    p[3] = UInt8(theARGB);
}

inline int Width(GWorldPtr theGW)
{
    Rect theBounds;
    GetPortBounds(theGW, &theBounds);
    return theBounds.right;
}

inline int Height(GWorldPtr theGW)
{
    Rect theBounds;
    GetPortBounds(theGW, &theBounds);
    return theBounds.bottom;
}

// Fills every pixel with theFunction(row, column).
template <typename F>
void Fill(GWorldPtr theGW, F theFunction)
{
    for (int r = 0; r < Height(theGW); ++r)
        for (int c = 0; c < Width(theGW); ++c) WriteARGB(theGW, r, c, theFunction(r, c));
}

inline void FillColor(GWorldPtr theGW, UInt32 theARGB)
{
    Fill(theGW, [&](int, int) { return theARGB; });
}

// All pixels row by row, for whole-buffer comparisons.
inline std::vector<UInt32> Pixels(GWorldPtr theGW)
{
    std::vector<UInt32> thePixels;
    for (int r = 0; r < Height(theGW); ++r)
        for (int c = 0; c < Width(theGW); ++c) thePixels.push_back(ReadARGB(theGW, r, c));
    return thePixels;
}

}
