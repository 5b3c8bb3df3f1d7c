#include "MacMemory.h"
#include "grafport.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quickdraw_internal {

namespace {
// Rows are padded to whole 32-byte lines, so code that assumes rowBytes == 4 * width shows up.
constexpr SInt32 cRowAlignment = 32;

CGrafPtr NewPort(SInt16 theWidth, SInt16 theHeight, Ptr thePixels, SInt32 theRowBytes, OSType theFormat,
                 bool theBorrowed)
{
    CGrafPtr thePort = static_cast<CGrafPtr>(static_cast<void*>(NewPtrClear(sizeof(OpaqueGrafPort))));
    PixMapHandle thePixMap =
        thePort ? reinterpret_cast<PixMapHandle>(NewHandleClear(sizeof(PixMapStorage))) : nullptr;
    if (!thePixMap) {
        DisposePtr(reinterpret_cast<Ptr>(thePort));
        return nullptr;
    }
    PixMap* thePixMapRecord = *thePixMap;
    thePixMapRecord->baseAddr = thePixels;
    thePixMapRecord->rowBytes = theRowBytes;
    thePixMapRecord->bounds = Rect{0, 0, theHeight, theWidth};
    thePixMapRecord->pixelSize = 32;
    thePixMapRecord->cmpCount = 3;
    thePixMapRecord->cmpSize = 8;
    thePixMapRecord->pixelFormat = theFormat;
    StorageOf(thePixMap)->borrowedPixels = theBorrowed;

    thePort->magic = cPortMagic;
    thePort->pixMap = thePixMap;
    thePort->foreColor = RGBColor{0, 0, 0};
    thePort->backColor = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    thePort->penLocation = Point{0, 0};
    thePort->penSize = Point{1, 1};
    thePort->penMode = patCopy;
    thePort->textFont = systemFont;
    thePort->textSize = 12;
    thePort->textFace = normal;
    thePort->clip = Rect{-32767, -32767, 32767, 32767};
    thePort->owner = nullptr;
    return thePort;
}

} // namespace

CGrafPtr NewPortWithPixels(SInt16 theWidth, SInt16 theHeight)
{
    if (theWidth < 0 || theHeight < 0) return nullptr;
    SInt32 theRowBytes = (theWidth * 4 + cRowAlignment - 1) / cRowAlignment * cRowAlignment;
    // A Size has 32 bits on 32-bit processors, too few for the largest buffers.
    const long long theBytes = static_cast<long long>(theRowBytes) * theHeight;
    if (theBytes > LONG_MAX) return nullptr;
    Ptr thePixels = NewPtrClear(static_cast<Size>(theBytes));
    if (!thePixels) return nullptr;
    CGrafPtr thePort = NewPort(theWidth, theHeight, thePixels, theRowBytes, k32ARGBPixelFormat, false);
    if (!thePort) DisposePtr(thePixels);
    return thePort;
}

void DisposePort(CGrafPtr thePort)
{
    if (!thePort) return;
    CheckedPort(thePort);
    if (CurrentPort() == thePort) SetGWorld(nullptr, nullptr);
    if (!StorageOf(thePort->pixMap)->borrowedPixels) DisposePtr((*thePort->pixMap)->baseAddr);
    DisposeHandle(reinterpret_cast<Handle>(thePort->pixMap));
    thePort->magic = 0;
    DisposePtr(reinterpret_cast<Ptr>(thePort));
}

CGrafPtr CheckedPort(CGrafPtr thePort)
{
    if (thePort && thePort->magic != cPortMagic) {
        std::fprintf(stderr, "QuickDraw: %p is not a port\n", static_cast<void*>(thePort));
        std::abort();
    }
    return thePort;
}

} // namespace quickdraw_internal

using namespace quickdraw_internal;

extern "C" {

OSErr NewGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect, void*, GDHandle, GWorldFlags)
{
    *offscreenGWorld = nullptr;
    if (pixelDepth != 32 && pixelDepth != 0) return paramErr;
    SInt32 theWidth = SInt32(boundsRect->right) - boundsRect->left;
    SInt32 theHeight = SInt32(boundsRect->bottom) - boundsRect->top;
    if (theWidth < 0 || theHeight < 0 || theWidth > 32767 || theHeight > 32767) return paramErr;
    *offscreenGWorld = NewPortWithPixels(static_cast<SInt16>(theWidth), static_cast<SInt16>(theHeight));
    return *offscreenGWorld ? OSErr(noErr) : OSErr(qdNoMemoryErr);
}

OSErr NewGWorldFromPtr(GWorldPtr* offscreenGWorld, OSType pixelFormat, const Rect* boundsRect, void*, GDHandle,
                       GWorldFlags, Ptr newBuffer, SInt32 rowBytes)
{
    *offscreenGWorld = nullptr;
    if (pixelFormat != k32ARGBPixelFormat && pixelFormat != k32RGBAPixelFormat) return paramErr;
    SInt32 theWidth = SInt32(boundsRect->right) - boundsRect->left;
    SInt32 theHeight = SInt32(boundsRect->bottom) - boundsRect->top;
    if (theWidth < 0 || theHeight < 0 || theWidth > 32767 || theHeight > 32767) return paramErr;
    if (!newBuffer || rowBytes < theWidth * 4) return paramErr;
    *offscreenGWorld = NewPort(static_cast<SInt16>(theWidth), static_cast<SInt16>(theHeight), newBuffer, rowBytes,
                               pixelFormat, true);
    return *offscreenGWorld ? OSErr(noErr) : OSErr(qdNoMemoryErr);
}

void DisposeGWorld(GWorldPtr offscreenGWorld)
{
    DisposePort(offscreenGWorld);
}

PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld)
{
    return offscreenGWorld ? CheckedPort(offscreenGWorld)->pixMap : nullptr;
}

PixMapHandle GetPortPixMap(CGrafPtr port)
{
    return GetGWorldPixMap(port);
}

Ptr GetPixBaseAddr(PixMapHandle pm)
{
    return pm ? (*pm)->baseAddr : nullptr;
}

SInt32 GetPixRowBytes(PixMapHandle pm)
{
    return pm ? (*pm)->rowBytes : 0;
}

Rect* GetPixBounds(PixMapHandle pm, Rect* bounds)
{
    *bounds = pm ? (*pm)->bounds : Rect{0, 0, 0, 0};
    return bounds;
}

SInt16 GetPixDepth(PixMapHandle pm)
{
    return pm ? (*pm)->pixelSize : 0;
}

// Pixel memory never moves here, so the lock state is only recorded, as callers expect.
GWorldFlags GetPixelsState(PixMapHandle pm)
{
    return pm ? StorageOf(pm)->pixelsState : 0;
}

void SetPixelsState(PixMapHandle pm, GWorldFlags state)
{
    if (pm) StorageOf(pm)->pixelsState = state;
}

Boolean LockPixels(PixMapHandle pm)
{
    if (!pm) return false;
    StorageOf(pm)->pixelsState |= pixelsLocked;
    return true;
}

void UnlockPixels(PixMapHandle pm)
{
    if (pm) StorageOf(pm)->pixelsState &= ~GWorldFlags(pixelsLocked);
}

Rect* GetPortBounds(CGrafPtr port, Rect* rect)
{
    return GetPixBounds(GetGWorldPixMap(port), rect);
}

const BitMap* GetPortBitMapForCopyBits(CGrafPtr port)
{
    PixMapHandle thePixMap = GetGWorldPixMap(port);
    return thePixMap ? reinterpret_cast<const BitMap*>(*thePixMap) : nullptr;
}

} // extern "C"
