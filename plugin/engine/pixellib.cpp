#include "pixellib.h"

#include <cmath>
#include <cstdlib>

pixRec LongInt2PixRec(SInt32 theLong)
{
    return pixRec{0, static_cast<UInt8>(theLong >> 16), static_cast<UInt8>(theLong >> 8), static_cast<UInt8>(theLong)};
}

SInt32 PixRec2LongInt(pixRec thePixRec)
{
    return thePixRec.red * 65536 + thePixRec.green * 256 + thePixRec.blue;
}

SInt32 RGBColor2LongInt(RGBColor theColor)
{
    return (theColor.red >> 8) * 65536 + (theColor.green >> 8) * 256 + (theColor.blue >> 8);
}

RGBColor LongInt2RGBColor(SInt32 theLong)
{
    return RGBColor{static_cast<UInt16>(((theLong >> 16) & 255) * 256), static_cast<UInt16>(((theLong >> 8) & 255) * 256),
                    static_cast<UInt16>((theLong & 255) * 256)};
}

Rect KeepPropsWithFixedHorizontal(const Rect& inOriginal, const Rect& inNewSize)
{
    double theDeltaX = inOriginal.right - inOriginal.left;
    double theDeltaY = inOriginal.bottom - inOriginal.top;
    double theNewX = inNewSize.right - inNewSize.left;
    Rect theResult = inNewSize;
    if (theDeltaX == 0) return theResult;
    double theProportion = theDeltaX / theDeltaY;
    double theNewY = theNewX / theProportion;
    theResult.bottom = static_cast<SInt16>(inNewSize.top + static_cast<SInt32>(std::trunc(theNewY + 0.5)));
    return theResult;
}

Rect KeepPropsWithFixedVertical(const Rect& inOriginal, const Rect& inNewSize)
{
    double theDeltaX = inOriginal.right - inOriginal.left;
    double theDeltaY = inOriginal.bottom - inOriginal.top;
    double theNewY = inNewSize.bottom - inNewSize.top;
    Rect theResult = inNewSize;
    if (theDeltaY == 0) return theResult;
    double theProportion = theDeltaX / theDeltaY;
    double theNewX = theProportion * theNewY;
    theResult.right = static_cast<SInt16>(inNewSize.left + static_cast<SInt32>(std::trunc(theNewX + 0.5)));
    return theResult;
}

Rect CalcProportionalRectForFrame(const Rect& inRect, const Rect& inFrame)
{
    SInt16 theImageWidth = static_cast<SInt16>(inRect.right - inRect.left);
    SInt16 theImageHeight = static_cast<SInt16>(inRect.bottom - inRect.top);
    Rect theImageBounds{0, 0, theImageHeight, theImageWidth};
    SInt16 theWidth = static_cast<SInt16>(inFrame.right - inFrame.left);
    SInt16 theHeight = static_cast<SInt16>(inFrame.bottom - inFrame.top);
    Rect theNewBounds{0, 0, theHeight, theWidth};
    if (theWidth > theHeight) {
        return theImageWidth > theImageHeight ? KeepPropsWithFixedHorizontal(theImageBounds, theNewBounds)
                                              : KeepPropsWithFixedVertical(theImageBounds, theNewBounds);
    }
    return theImageHeight > theImageWidth ? KeepPropsWithFixedVertical(theImageBounds, theNewBounds)
                                          : KeepPropsWithFixedHorizontal(theImageBounds, theNewBounds);
}

double RandomPercent()
{
    return std::abs(static_cast<int>(Random())) / 32767.0;
}

SInt16 Rnd(SInt16 x)
{
    SInt32 theValue = static_cast<SInt32>(std::trunc(RandomPercent() * x)) + 1;
    return static_cast<SInt16>(theValue > x ? x : theValue);
}
