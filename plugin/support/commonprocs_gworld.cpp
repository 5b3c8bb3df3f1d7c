#include "commonprocs.h"

Rect GetPortRect(CGrafPtr thePort)
{
    Rect theRect;
    GetPortBounds(thePort, &theRect);
    return theRect;
}

void GetDims(const Rect& theRect, SInt32* wid, SInt32* hig)
{
    *wid = theRect.right - theRect.left;
    *hig = theRect.bottom - theRect.top;
}

RGBColor SetRGBColor(UInt16 r, UInt16 g, UInt16 b)
{
    return RGBColor{r, g, b};
}

void LockGWorld(GWorldPtr theGW)
{
    if (!theGW) return;
    PixMapHandle thePixMap = GetGWorldPixMap(theGW);
    (void)GetPixelsState(thePixMap);
    LockPixels(thePixMap);
}

GWorldPtr AllocateRectGWorld(const Rect& theRect)
{
    Rect theBounds = theRect;
    OffsetRect(&theBounds, static_cast<SInt16>(-theRect.left), static_cast<SInt16>(-theRect.top));
    GWorldPtr theGW = nullptr;
    (void)NewGWorld(&theGW, 32, &theBounds, nullptr, nullptr, 0);
    LockGWorld(theGW);
    return theGW;
}

void Source2Target(GWorldPtr theSource, GWorldPtr theTarget)
{
    if (!theSource || !theTarget) return;
    // Black on white, so that the copy does not colourise the pixels.
    RGBColor theBlack = SetRGBColor(0, 0, 0);
    RGBColor theWhite = SetRGBColor(0xFFFF, 0xFFFF, 0xFFFF);
    RGBForeColor(&theBlack);
    RGBBackColor(&theWhite);
    Rect theSourceRect = GetPortRect(theSource);
    Rect theTargetRect = GetPortRect(theTarget);
    CopyBits(GetPortBitMapForCopyBits(theSource), GetPortBitMapForCopyBits(theTarget), &theSourceRect, &theTargetRect,
             srcCopy, nullptr);
}

void GetPixInfoFromGWorld(GWorldPtr theGW, Ptr* pixBaseAddress, SInt32* pixRowBytes, Rect* theFrame,
                          GWorldFlags* pixFlags)
{
    PixMapHandle thePixMap = GetGWorldPixMap(theGW);
    *pixFlags = GetPixelsState(thePixMap);
    LockPixels(thePixMap);
    *pixBaseAddress = GetPixBaseAddr(thePixMap);
    *pixRowBytes = GetPixRowBytes(thePixMap);
    GetPortBounds(theGW, theFrame);
}
