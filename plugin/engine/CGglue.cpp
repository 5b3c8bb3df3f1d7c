#include "CGglue.h"

#include "commonprocs.h"
#include "pixellib.h"

Rect CalcProportionalImageForFrame(CGImageRef theImage, const Rect& theFrame)
{
    SInt32 theWidth, theHeight;
    GetImageDims(theImage, &theWidth, &theHeight);
    Rect theImageRect;
    SetRect(&theImageRect, 0, 0, static_cast<SInt16>(theWidth), static_cast<SInt16>(theHeight));
    return CalcProportionalRectForFrame(theImageRect, theFrame);
}

void GetImageDims(CGImageRef theImage, SInt32* wid, SInt32* hig)
{
    *wid = static_cast<SInt32>(CGImageGetWidth(theImage));
    *hig = static_cast<SInt32>(CGImageGetHeight(theImage));
}

CGRect QDRectToGCRect(const Rect& theRect, const Rect& theFrame)
{
    SInt32 theFrameWidth, theFrameHeight, theWidth, theHeight;
    GetDims(theFrame, &theFrameWidth, &theFrameHeight);
    GetDims(theRect, &theWidth, &theHeight);
    return CGRectMake(theFrame.left + theRect.left, theFrame.top + theFrameHeight - theRect.bottom, theWidth,
                      theHeight);
}

void DrawRotatedImageInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect, float theRadiants,
                              Boolean clearFirst)
{
    Assert(theContext, PSTR("NIL context for DrawRotatedImageInQDRect"));
    Assert(theImage, PSTR("NIL Image for DrawRotatedImageInQDRect"));
    const CGFloat theWidth = targetRect.size.width, theHeight = targetRect.size.height;
    CGContextSaveGState(theContext);
    CGContextTranslateCTM(theContext, targetRect.origin.x + theWidth / 2, targetRect.origin.y + theHeight / 2);
    CGContextRotateCTM(theContext, theRadiants);
    const CGRect theCentredRect = CGRectMake(-theWidth / 2, -theHeight / 2, theWidth, theHeight);
    if (clearFirst) CGContextClearRect(theContext, theCentredRect);
    CGContextDrawImage(theContext, theCentredRect, theImage);
    CGContextRestoreGState(theContext);
}

void DrawCGImageInQDRect(CGrafPtr theGW, CGImageRef theImage, const Rect& qdTargetRect, float theRadiants,
                         Boolean clearFirst)
{
    const CGRect theTargetRect = QDRectToGCRect(qdTargetRect, GetPortRect(theGW));
    if (!theImage) return;
    CGContextRef theContext = nullptr;
    (void)QDBeginCGContext(theGW, &theContext);
    DrawRotatedImageInCGRect(theContext, theImage, theTargetRect, theRadiants, clearFirst);
    CGContextFlush(theContext);
    (void)QDEndCGContext(theGW, &theContext);
}

CGImageRef GWorld2CGImage(GWorldPtr theGW)
{
    PixMapHandle thePixMap = GetGWorldPixMap(theGW);
    SInt32 theWidth, theHeight;
    GetDims(GetPortRect(theGW), &theWidth, &theHeight);
    CGColorSpaceRef theSpace = CGColorSpaceCreateDeviceRGB();
    CGContextRef theContext = CGBitmapContextCreate(GetPixBaseAddr(thePixMap), static_cast<size_t>(theWidth),
                                                    static_cast<size_t>(theHeight), 8,
                                                    static_cast<size_t>(GetPixRowBytes(thePixMap)), theSpace,
                                                    kCGImageAlphaPremultipliedFirst);
    Assert(theContext, PSTR("Failed to create s CGContext on GWorld2CGImage"));
    CGImageRef theImage = CGBitmapContextCreateImage(theContext);
    CGContextRelease(theContext);
    CGColorSpaceRelease(theSpace);
    return theImage;
}
