// CoreGraphics: reference-counted images, bitmap contexts over caller memory, and contexts on
// QuickDraw ports.
//
// User space has its origin at the bottom left of the bitmap, y growing upwards. Bitmaps are
// 8 bits per component, alpha first and premultiplied: memory order alpha, red, green, blue,
// as in a GWorld. Images, colour spaces and contexts are CoreFoundation objects.
#pragma once

#include "CFBase.h"
#include "QuickDraw.h"

typedef float CGFloat;

struct CGPoint {
    CGFloat x;
    CGFloat y;
};

struct CGSize {
    CGFloat width;
    CGFloat height;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
};

inline CGPoint CGPointMake(CGFloat x, CGFloat y)
{
    return CGPoint{x, y};
}

inline CGSize CGSizeMake(CGFloat width, CGFloat height)
{
    return CGSize{width, height};
}

inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height)
{
    return CGRect{{x, y}, {width, height}};
}

typedef struct CGImage* CGImageRef;
typedef struct CGColorSpace* CGColorSpaceRef;
typedef struct CGContext* CGContextRef;
typedef UInt32 CGBitmapInfo;

enum : CGBitmapInfo {
    kCGImageAlphaNone = 0,
    kCGImageAlphaPremultipliedLast = 1,
    kCGImageAlphaPremultipliedFirst = 2,
    kCGImageAlphaLast = 3,
    kCGImageAlphaFirst = 4,
    kCGImageAlphaNoneSkipLast = 5,
    kCGImageAlphaNoneSkipFirst = 6,
    kCGImageAlphaOnly = 7,
    kCGBitmapAlphaInfoMask = 0x1F,
    kCGBitmapByteOrderMask = 0x7000,
    kCGBitmapByteOrderDefault = 0 << 12,
    kCGBitmapByteOrder16Little = 1 << 12,
    kCGBitmapByteOrder32Little = 2 << 12,
    kCGBitmapByteOrder16Big = 3 << 12,
    kCGBitmapByteOrder32Big = 4 << 12
};

extern "C" {

// Images: immutable; the pixels are copied when the image is made.
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
CGImageRef CGImageCreateCopy(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);

// Colour spaces
CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
void CGColorSpaceRelease(CGColorSpaceRef space);

// Bitmap contexts draw straight into caller memory. Only 8 bits per component, alpha first and
// premultiplied in big-endian (or default) byte order is supported; anything else gives null.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo);
CGImageRef CGBitmapContextCreateImage(CGContextRef context);
CGContextRef CGContextRetain(CGContextRef context);
void CGContextRelease(CGContextRef context);
void CGContextFlush(CGContextRef context);

// Graphics state: the current transformation, saved and restored as a stack.
void CGContextSaveGState(CGContextRef context);
void CGContextRestoreGState(CGContextRef context);
void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty);
// Positive angles turn counterclockwise, as seen with y growing upwards.
void CGContextRotateCTM(CGContextRef context, CGFloat angle);

// Drawing: pixels whose centres lie inside the transformed rectangle are touched.
void CGContextClearRect(CGContextRef context, CGRect rect);
// Scales the image into rect (its top row at the rectangle's top) and composites it over the
// destination; the filter interpolates when enlarging and averages when reducing.
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);

// A context on a port's pixels, origin at the bottom left of the port's bounds.
OSStatus QDBeginCGContext(CGrafPtr inPort, CGContextRef* outContext);
OSStatus QDEndCGContext(CGrafPtr inPort, CGContextRef* inoutContext);

}
