#include "iMovieGlue.h"

SInt16 GetFrameIntoGW(GWorldPtr theGW, HYPluginParams* params, SInt32 frameIndex, SInt32)
{
    Rect theBounds;
    GetPortBounds(theGW, &theBounds);
    const SInt16 theWidth = static_cast<SInt16>(theBounds.right - theBounds.left);
    const SInt16 theHeight = static_cast<SInt16>(theBounds.bottom - theBounds.top);
    frameIndex += params->startFrame;
    if (frameIndex < 0) return -1;
    const HYRefDVQuality theQuality = params->proxyOnly && theHeight <= 259 ? kDVLowQuality : kDVHighQuality;

    GWorldPtr theClip = nullptr;
    SInt16 theVolume = 0;
    HYFrameCookie theCookie = nullptr;
    HYPluginResult theResult = params->procs->GetFrame(params->instance, frameIndex, &theClip, theWidth, theHeight,
                                                       theQuality, &theVolume, &theCookie);
    if (theResult == kPluginOK && theClip) {
        PixMapHandle thePixMap = GetGWorldPixMap(theClip);
        const GWorldFlags theState = GetPixelsState(thePixMap);
        LockPixels(thePixMap);
        Rect theClipBounds;
        GetPortBounds(theClip, &theClipBounds);
        CopyBits(GetPortBitMapForCopyBits(theClip), GetPortBitMapForCopyBits(theGW), &theClipBounds, &theBounds, srcCopy,
                 nullptr);
        SetPixelsState(thePixMap, theState);
        theResult = params->procs->ReleaseFrame(params->instance, theCookie);
    }
    return theResult;
}
