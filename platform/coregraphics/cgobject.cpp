#include "CoreGraphicsHooks.h"
#include "MacMemory.h"
#include "cgobject.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

using namespace corefoundation_internal;

namespace coregraphics_internal {

namespace {

long lgLiveObjects = 0;

[[noreturn]] void WrongType(const void* theRef, const char* theKind)
{
    std::fprintf(stderr, "CoreGraphics: %p is not %s\n", theRef, theKind);
    std::abort();
}

void FinalizeImage(CFObject* theObject)
{
    DisposePtr(reinterpret_cast<Ptr>(reinterpret_cast<CGImage*>(theObject)->pixels));
    DisposeObject(theObject);
}

} // namespace

void* NewObject(size_t theSize, CFTypeID theTypeID, void (*theFinalize)(CFObject*))
{
    CFObject* theObject = reinterpret_cast<CFObject*>(NewPtrClear(static_cast<Size>(theSize)));
    if (!theObject) return nullptr;
    InitObject(theObject, theTypeID, theFinalize);
    ++lgLiveObjects;
    return theObject;
}

void DisposeObject(CFObject* theObject)
{
    --lgLiveObjects;
    DisposePtr(reinterpret_cast<Ptr>(theObject));
}

CGImage* CheckedImage(CGImageRef theImage)
{
    if (CheckedObject(theImage)->typeID != kCGImageTypeID) WrongType(theImage, "an image");
    return theImage;
}

CGContext* CheckedContext(CGContextRef theContext)
{
    if (CheckedObject(theContext)->typeID != kCGContextTypeID) WrongType(theContext, "a context");
    return theContext;
}

CGColorSpace* CheckedColorSpace(CGColorSpaceRef theSpace)
{
    if (CheckedObject(theSpace)->typeID != kCGColorSpaceTypeID) WrongType(theSpace, "a colour space");
    return theSpace;
}

CGImageRef NewImage(size_t theWidth, size_t theHeight)
{
    // The pixel block's size must fit the Memory Manager's signed size on every target.
    if (theWidth == 0 || theHeight == 0 || theWidth > size_t(std::numeric_limits<Size>::max()) / 4 / theHeight)
        return nullptr;
    CGImage* theImage = static_cast<CGImage*>(NewObject(sizeof(CGImage), kCGImageTypeID, FinalizeImage));
    if (!theImage) return nullptr;
    theImage->pixels = reinterpret_cast<UInt8*>(NewPtr(static_cast<Size>(theWidth * theHeight * 4)));
    if (!theImage->pixels) {
        DisposeObject(&theImage->base);
        return nullptr;
    }
    theImage->width = theWidth;
    theImage->height = theHeight;
    return theImage;
}

} // namespace coregraphics_internal

extern "C" long CGLiveObjectCount(void)
{
    return coregraphics_internal::lgLiveObjects;
}
