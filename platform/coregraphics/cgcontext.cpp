#include "cgobject.h"

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace corefoundation_internal;
using namespace coregraphics_internal;

namespace {

// Larger bitmaps than this are refused, which keeps pixel arithmetic within int.
constexpr size_t cMaxSide = 1 << 20;

void FinalizeContext(CFObject* theObject)
{
    CGColorSpaceRelease(reinterpret_cast<CGContext*>(theObject)->space);
    DisposeObject(theObject);
}

bool SupportedFormat(size_t theBitsPerComponent, CGBitmapInfo theInfo)
{
    CGBitmapInfo theByteOrder = theInfo & kCGBitmapByteOrderMask;
    return theBitsPerComponent == 8 && (theInfo & kCGBitmapAlphaInfoMask) == kCGImageAlphaPremultipliedFirst &&
           (theByteOrder == kCGBitmapByteOrderDefault || theByteOrder == kCGBitmapByteOrder32Big);
}

// A right angle rounded to single precision leaves a sine or cosine a little off zero; snapping
// it keeps quarter turns pixel-exact.
void SnapToAxis(double& ioCos, double& ioSin)
{
    constexpr double cNearZero = 1e-6;
    if (std::fabs(ioSin) < cNearZero) {
        ioSin = 0.0;
        ioCos = std::copysign(1.0, ioCos);
    } else if (std::fabs(ioCos) < cNearZero) {
        ioCos = 0.0;
        ioSin = std::copysign(1.0, ioSin);
    }
}

} // namespace

extern "C" {

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo)
{
    if (!data || !space || width == 0 || height == 0 || width > cMaxSide || height > cMaxSide ||
        bytesPerRow < 4 * width || !SupportedFormat(bitsPerComponent, bitmapInfo))
        return nullptr;
    CheckedColorSpace(space);
    CGContext* theContext = static_cast<CGContext*>(NewObject(sizeof(CGContext), kCGContextTypeID, FinalizeContext));
    if (!theContext) return nullptr;
    theContext->data = static_cast<UInt8*>(data);
    theContext->width = width;
    theContext->height = height;
    theContext->bytesPerRow = bytesPerRow;
    theContext->space = space;
    CFRetain(space);
    theContext->ctm = Transform{1, 0, 0, 1, 0, 0};
    return theContext;
}

CGImageRef CGBitmapContextCreateImage(CGContextRef context)
{
    if (!context) return nullptr;
    const CGContext* theContext = CheckedContext(context);
    CGImageRef theImage = NewImage(theContext->width, theContext->height);
    if (!theImage) return nullptr;
    for (size_t r = 0; r < theContext->height; ++r)
        std::memcpy(theImage->pixels + r * theContext->width * 4, theContext->data + r * theContext->bytesPerRow,
                    theContext->width * 4);
    return theImage;
}

CGContextRef CGContextRetain(CGContextRef context)
{
    if (context) CFRetain(CheckedContext(context));
    return context;
}

void CGContextRelease(CGContextRef context)
{
    if (context) CFRelease(CheckedContext(context));
}

// Drawing goes straight to memory, so there is nothing to push out.
void CGContextFlush(CGContextRef context)
{
    if (context) CheckedContext(context);
}

void CGContextSaveGState(CGContextRef context)
{
    CGContext* theContext = CheckedContext(context);
    if (theContext->savedCount < cMaxSavedStates) {
        theContext->saved[theContext->savedCount++] = theContext->ctm;
    } else {
        std::fprintf(stderr, "CoreGraphics: graphics states nested too deeply; state not saved\n");
        ++theContext->unsavedCount;
    }
}

void CGContextRestoreGState(CGContextRef context)
{
    CGContext* theContext = CheckedContext(context);
    if (theContext->unsavedCount > 0)
        --theContext->unsavedCount;
    else if (theContext->savedCount > 0)
        theContext->ctm = theContext->saved[--theContext->savedCount];
    else
        std::fprintf(stderr, "CoreGraphics: graphics state restored without a save\n");
}

void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty)
{
    Transform& m = CheckedContext(context)->ctm;
    m.tx += m.a * tx + m.c * ty;
    m.ty += m.b * tx + m.d * ty;
}

void CGContextRotateCTM(CGContextRef context, CGFloat angle)
{
    Transform& m = CheckedContext(context)->ctm;
    // Single precision, as the angle is: the double versions in the PowerPC C library use an
    // instruction that the emulator running the tests rejects.
    double theCos = std::cos(angle);
    double theSin = std::sin(angle);
    SnapToAxis(theCos, theSin);
    const Transform theOld = m;
    m.a = theCos * theOld.a + theSin * theOld.c;
    m.b = theCos * theOld.b + theSin * theOld.d;
    m.c = theCos * theOld.c - theSin * theOld.a;
    m.d = theCos * theOld.d - theSin * theOld.b;
}

} // extern "C"
