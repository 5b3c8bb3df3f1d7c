#include "MacMemory.h"
#include "cgobject.h"

using namespace coregraphics_internal;

extern "C" {

OSStatus QDBeginCGContext(CGrafPtr inPort, CGContextRef* outContext)
{
    if (!outContext) return paramErr;
    *outContext = nullptr;
    PixMapHandle thePixMap = inPort ? GetPortPixMap(inPort) : nullptr;
    if (!thePixMap) return paramErr;
    Rect theBounds;
    GetPixBounds(thePixMap, &theBounds);
    const int theWidth = theBounds.right - theBounds.left, theHeight = theBounds.bottom - theBounds.top;
    if (theWidth <= 0 || theHeight <= 0) return paramErr;

    CGColorSpaceRef theSpace = CGColorSpaceCreateDeviceRGB();
    if (!theSpace) return memFullErr;
    CGContextRef theContext =
        CGBitmapContextCreate(GetPixBaseAddr(thePixMap), size_t(theWidth), size_t(theHeight), 8,
                              size_t(GetPixRowBytes(thePixMap)), theSpace, kCGImageAlphaPremultipliedFirst);
    CGColorSpaceRelease(theSpace);
    if (!theContext) return memFullErr;
    theContext->port = inPort;
    *outContext = theContext;
    return noErr;
}

OSStatus QDEndCGContext(CGrafPtr inPort, CGContextRef* inoutContext)
{
    if (!inoutContext || !*inoutContext || CheckedContext(*inoutContext)->port != inPort || !inPort) return paramErr;
    CGContextRelease(*inoutContext);
    *inoutContext = nullptr;
    return noErr;
}

} // extern "C"
