#include "pixeleffect.h"

#include "commonprocs.h"
#include "pixelkernels.h"
#include "pixellib.h"

#include <algorithm>
#include <cstring>

namespace {

enum class Transition { Cross, In, Out };

struct PixelBuffer {
    Ptr base;
    SInt32 rowBytes;
    Rect bounds;
    GWorldFlags lockState;
    OSType format;

    UInt32* Row(int theRow) const { return reinterpret_cast<UInt32*>(base + static_cast<long>(theRow) * rowBytes); }
};

PixelBuffer TakeBuffer(GWorldPtr theGW)
{
    PixelBuffer theBuffer;
    GetPixInfoFromGWorld(theGW, &theBuffer.base, &theBuffer.rowBytes, &theBuffer.bounds, &theBuffer.lockState);
    theBuffer.format = (*GetGWorldPixMap(theGW))->pixelFormat;
    return theBuffer;
}

void RestoreBuffer(GWorldPtr theGW, const PixelBuffer& theBuffer)
{
    SetPixelsState(GetGWorldPixMap(theGW), theBuffer.lockState);
}

bool CoversPass(const PixelBuffer& theBuffer, const Rect& thePass)
{
    return theBuffer.bounds.right >= thePass.right && theBuffer.bounds.bottom >= thePass.bottom;
}

UInt32 PixelWord(const UInt8 (&theBytes)[4])
{
    UInt32 thePixel;
    std::memcpy(&thePixel, theBytes, sizeof thePixel);
    return thePixel;
}

// The only pixels the kernels make rather than move: the fill pixel and the forced alpha. They
// are built in the destination's byte order, so a frame in red, green, blue, alpha order is
// rendered in place without reordering it.
struct MadePixels {
    UInt32 fill;
    UInt32 alpha;
};

MadePixels MakePixels(const RGBColor& theColor, OSType theFormat)
{
    const UInt8 r = static_cast<UInt8>(theColor.red >> 8), g = static_cast<UInt8>(theColor.green >> 8),
                b = static_cast<UInt8>(theColor.blue >> 8);
    if (theFormat == k32RGBAPixelFormat) return {PixelWord({r, g, b, 255}), PixelWord({0, 0, 0, 255})};
    return {PixelWord({255, r, g, b}), PixelWord({255, 0, 0, 0})};
}

void CopyPixels(const UInt32* theSource, UInt32* theDest, int theCount)
{
    if (theCount > 0 && theSource != theDest) std::memmove(theDest, theSource, 4u * theCount);
}

void RenderPass(Transition theTransition, const PixelBuffer& theLeft, const PixelBuffer& theRight,
                const PixelBuffer& theDest, const PixelBuffer& theMap, const Rect& activeRect, Boolean copyRest,
                const pluginDataRec& theConfig, SInt32 frameNum)
{
    const int theWidth = theRight.bounds.right, theHeight = theRight.bounds.bottom;
    const int theTop = std::clamp<int>(activeRect.top, 0, theHeight);
    const int theBottom = std::clamp<int>(activeRect.bottom, theTop, theHeight);
    const int theLeftEdge = std::clamp<int>(activeRect.left, 0, theWidth);
    const int theRightEdge = std::clamp<int>(activeRect.right, theLeftEdge, theWidth);
    const bool theRegionHasColumns = theRightEdge > theLeftEdge;
    const MadePixels theMade = MakePixels(theConfig.colors[1], theDest.format);

    for (int r = 0; r < theHeight; ++r) {
        const UInt32* theRightRow = theRight.Row(r);
        UInt32* theDestRow = theDest.Row(r);
        if (r < theTop || r >= theBottom || !theRegionHasColumns) {
            if (copyRest) CopyPixels(theRightRow, theDestRow, theWidth);
            continue;
        }
        if (copyRest) {
            CopyPixels(theRightRow, theDestRow, theLeftEdge);
            CopyPixels(theRightRow + theRightEdge, theDestRow + theRightEdge, theWidth - theRightEdge);
        }
        const int n = theRightEdge - theLeftEdge;
        const UInt32* theMapRow = theMap.Row(r) + theLeftEdge;
        switch (theTransition) {
        case Transition::Cross:
            pixelkernels::CrossRow(theLeft.Row(r) + theLeftEdge, theRightRow + theLeftEdge, theMapRow,
                                   theDestRow + theLeftEdge, n, frameNum);
            break;
        case Transition::In:
            pixelkernels::InRow(theRightRow + theLeftEdge, theMapRow, theDestRow + theLeftEdge, n, frameNum,
                                theMade.fill, theMade.alpha);
            break;
        case Transition::Out:
            pixelkernels::OutRow(theLeft.Row(r) + theLeftEdge, theMapRow, theDestRow + theLeftEdge, n, frameNum,
                                 theMade.fill, theMade.alpha);
            break;
        }
    }
}

void RunTransition(Transition theTransition, GWorldPtr sourceLeft, GWorldPtr sourceRight, GWorldPtr dest,
                   const Rect& activeRect, Boolean copyRest, pluginDataPtr theConfig, SInt32 frameNum)
{
    if (!dest) dest = sourceLeft;
    if (!sourceLeft || !sourceRight || !theConfig || !theConfig->theMask) return;

    const PixelBuffer theLeft = TakeBuffer(sourceLeft);
    const PixelBuffer theRight = TakeBuffer(sourceRight);
    const PixelBuffer theDest = TakeBuffer(dest);
    const PixelBuffer theMap = TakeBuffer(theConfig->theMask);

    // The pass covers sourceRight, which must match the map; the other two must hold at least as much,
    // and all three must keep their pixels in the same byte order, since whole pixels move between them.
    const Rect& thePass = theRight.bounds;
    if (thePass.right == theMap.bounds.right && thePass.bottom == theMap.bounds.bottom && CoversPass(theLeft, thePass) &&
        CoversPass(theDest, thePass) && theLeft.format == theDest.format && theRight.format == theDest.format) {
        RenderPass(theTransition, theLeft, theRight, theDest, theMap, activeRect, copyRest, *theConfig, frameNum);
    }

    RestoreBuffer(sourceLeft, theLeft);
    RestoreBuffer(sourceRight, theRight);
    RestoreBuffer(dest, theDest);
    RestoreBuffer(theConfig->theMask, theMap);
}

} // namespace

void InitPixelEffect(pluginDataPtr theConfig, SInt32 maxFrame, SInt16 wid, SInt16 hig)
{
    if (!theConfig) return;
    // A map left from an earlier run belongs to nobody else (copies never share it).
    ShutdownPixelEffect(theConfig);
    Rect theRect;
    SetRect(&theRect, 0, 0, wid, hig);
    theConfig->theMask = AllocateRectGWorld(theRect);
    if (theConfig->theMask) SetupRandomDoneFrame(theConfig->theMask, maxFrame);
}

void ShutdownPixelEffect(pluginDataPtr theConfig)
{
    if (!theConfig || !theConfig->theMask) return;
    DisposeGWorld(theConfig->theMask);
    theConfig->theMask = nullptr;
}

void SetupRandomDoneFrame(GWorldPtr dest, SInt32 totalFrames)
{
    if (!dest) return;
    const PixelBuffer theMap = TakeBuffer(dest);
    const SInt16 theCount = static_cast<SInt16>(std::min(totalFrames, cMaxThreshold));
    for (int r = 0; r < theMap.bounds.bottom; ++r) {
        UInt32* theRow = theMap.Row(r);
        for (int c = 0; c < theMap.bounds.right; ++c) {
            const intRec theCell{static_cast<UInt16>(Rnd(theCount)), 0};
            std::memcpy(&theRow[c], &theCell, sizeof theCell);
        }
    }
    RestoreBuffer(dest, theMap);
}

void CrossFXPixel(GWorldPtr sourceLeft, GWorldPtr sourceRight, GWorldPtr dest, const Rect& activeRect,
                  Boolean copyRest, pluginDataPtr theConfig, SInt32 frameNum, SInt32)
{
    RunTransition(Transition::Cross, sourceLeft, sourceRight, dest, activeRect, copyRest, theConfig, frameNum);
}

void InFXPixel(GWorldPtr sourceLeft, GWorldPtr sourceRight, GWorldPtr dest, const Rect& activeRect, Boolean copyRest,
               pluginDataPtr theConfig, SInt32 frameNum, SInt32)
{
    RunTransition(Transition::In, sourceLeft, sourceRight, dest, activeRect, copyRest, theConfig, frameNum);
}

void OutFXPixel(GWorldPtr sourceLeft, GWorldPtr sourceRight, GWorldPtr dest, const Rect& activeRect,
                Boolean copyRest, pluginDataPtr theConfig, SInt32 frameNum, SInt32)
{
    RunTransition(Transition::Out, sourceLeft, sourceRight, dest, activeRect, copyRest, theConfig, frameNum);
}

void ThePixelEffect(GWorldPtr source, GWorldPtr dest, const Rect& activeRect, Boolean copyRest,
                    pluginDataPtr theConfig, SInt32 currentFrame, SInt32 maxFrame)
{
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    if (dest) SetGWorld(dest, nullptr);

    switch (theConfig ? theConfig->which : 0) {
    case 1:
        OutFXPixel(dest, dest, dest, activeRect, false, theConfig, currentFrame, maxFrame);
        break;
    case 2:
        InFXPixel(dest, dest, dest, activeRect, false, theConfig, currentFrame, maxFrame);
        break;
    case 3:
        CrossFXPixel(dest, source, dest, activeRect, copyRest, theConfig, currentFrame, maxFrame);
        break;
    default:
        if (dest) {
            MoveTo(20, 20);
            DrawString(PSTR("thePixelEffect: Invalid Transition Type Selected"));
        }
        break;
    }

    SetGWorld(theSavedPort, theSavedDevice);
}
