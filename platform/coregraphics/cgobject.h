// Internal: the records behind CGImageRef, CGColorSpaceRef and CGContextRef.
#pragma once

#include "CoreGraphics.h"
#include "cfobject.h"

// Type numbers apart from the ones CoreFoundation itself hands out.
enum : CFTypeID { kCGColorSpaceTypeID = 264, kCGContextTypeID = 265, kCGImageTypeID = 266 };

// Pixels are 4 bytes, alpha first, premultiplied; rows tightly packed.
struct CGImage {
    corefoundation_internal::CFObject base;
    size_t width;
    size_t height;
    UInt8* pixels;
};

struct CGColorSpace {
    corefoundation_internal::CFObject base;
};

namespace coregraphics_internal {

// Maps user space (y up) onto device space (y up): x' = a x + c y + tx, y' = b x + d y + ty.
struct Transform {
    double a, b, c, d, tx, ty;
};

constexpr int cMaxSavedStates = 32;

} // namespace coregraphics_internal

struct CGContext {
    corefoundation_internal::CFObject base;
    UInt8* data;
    size_t width;
    size_t height;
    size_t bytesPerRow;
    CGColorSpaceRef space;
    CGrafPtr port; // the port of a context from QDBeginCGContext, else null
    coregraphics_internal::Transform ctm;
    coregraphics_internal::Transform saved[coregraphics_internal::cMaxSavedStates];
    int savedCount;
    int unsavedCount; // saves beyond the stack, answered by restores that change nothing
};

namespace coregraphics_internal {

// A zeroed object of theSize bytes with one reference, counted as alive until finalised; null
// when memory runs out.
void* NewObject(size_t theSize, CFTypeID theTypeID, void (*theFinalize)(corefoundation_internal::CFObject*));
// Frees an object made by NewObject; finalisers call it last.
void DisposeObject(corefoundation_internal::CFObject* theObject);

// The object behind a reference of the given type; aborts with a message for anything else.
CGImage* CheckedImage(CGImageRef theImage);
CGContext* CheckedContext(CGContextRef theContext);
CGColorSpace* CheckedColorSpace(CGColorSpaceRef theSpace);

// An image of the given size with uninitialised pixels, or null.
CGImageRef NewImage(size_t theWidth, size_t theHeight);

} // namespace coregraphics_internal
