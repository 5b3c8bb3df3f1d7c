// Bridge between QuickDraw buffers and CoreGraphics images.
#pragma once

#include "CoreGraphics.h"
#include "QuickDraw.h"

// The image's proportions sized on the dominant side of theFrame, at (0, 0).
Rect CalcProportionalImageForFrame(CGImageRef theImage, const Rect& theFrame);
void GetImageDims(CGImageRef theImage, SInt32* wid, SInt32* hig);
// theRect in the bottom-left-origin space of a context on a port with bounds theFrame.
CGRect QDRectToGCRect(const Rect& theRect, const Rect& theFrame);
// Draws theImage scaled into targetRect, turned by theRadiants about the rectangle's centre.
void DrawRotatedImageInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect, float theRadiants,
                              Boolean clearFirst);
void DrawCGImageInQDRect(CGrafPtr theGW, CGImageRef theImage, const Rect& qdTargetRect, float theRadiants,
                         Boolean clearFirst);
// A new image of the buffer's pixels, which must be locked; the caller releases it.
CGImageRef GWorld2CGImage(GWorldPtr theGW);
