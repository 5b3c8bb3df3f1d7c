#include "lineEffect.h"

#include "CGglue.h"
#include "commonprocs.h"

void RenderLineArt(pluginDataPtr theConfig)
{
    Assert(theConfig, PSTR("nil config on RenderLineArt"));
    if (theConfig->theRendered) {
        CGImageRelease(theConfig->theRendered);
        theConfig->theRendered = nullptr;
    }
    if (!theConfig->theOriginalImage) return;

    SInt32 theWidth, theHeight;
    GetImageDims(theConfig->theOriginalImage, &theWidth, &theHeight);
    Rect theRect;
    SetRect(&theRect, 0, 0, static_cast<SInt16>(theWidth), static_cast<SInt16>(theHeight));
    GWorldPtr theGW = AllocateRectGWorld(theRect);
    if (!theGW) return;
    DrawCGImageInQDRect(theGW, theConfig->theOriginalImage, theRect, 0.0f, true);
    theConfig->theRendered = GWorld2CGImage(theGW);
    DisposeGWorld(theGW);
}
