// Buffer routines, the failure and alert convention, and small conversions.
#pragma once

#include "CFString.h"
#include "QuickDraw.h"

// Offscreen buffers
Rect GetPortRect(CGrafPtr thePort);
void GetDims(const Rect& theRect, SInt32* wid, SInt32* hig);
RGBColor SetRGBColor(UInt16 r, UInt16 g, UInt16 b);
void LockGWorld(GWorldPtr theGW);
// A new 32-bit buffer of theRect's size at (0, 0) with locked pixels, or null.
GWorldPtr AllocateRectGWorld(const Rect& theRect);
void Source2Target(GWorldPtr theSource, GWorldPtr theTarget);
void GetPixInfoFromGWorld(GWorldPtr theGW, Ptr* pixBaseAddress, SInt32* pixRowBytes, Rect* theFrame,
                          GWorldFlags* pixFlags);

// Failures: Assert and Terminate end the process after a stop alert; Notify shows a caution alert.
void Assert(const void* thePtr, ConstStr255Param failLocation);
[[noreturn]] void Terminate(ConstStr255Param headline, ConstStr255Param description);
void Notify(ConstStr255Param theMessage);
SInt16 StandardWarning(ConstStr255Param headline, ConstStr255Param description, ConstStr255Param okText,
                       ConstStr255Param cancelText);

// Texts are length-prefixed Mac Roman strings; joining cuts at 255 characters.
void Num2Text(SInt32 theNum, Str255 theText);
CFStringRef MakeCFString(ConstStr255Param theString);
void CopyPStr(ConstStr255Param theSource, Str255 theDest);
void AppendPStr(Str255 theText, ConstStr255Param theTail);
void AppendCStr(Str255 theText, const char* theTail);
void CopyCStrToPStr(const char* theSource, Str255 theDest);

void CenterRectInRect(Rect* theRect, const Rect& theBounds);
