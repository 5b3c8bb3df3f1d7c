#include "cgobject.h"

#include <cstring>

using namespace coregraphics_internal;

extern "C" {

CGImageRef CGImageRetain(CGImageRef image)
{
    if (image) CFRetain(CheckedImage(image));
    return image;
}

void CGImageRelease(CGImageRef image)
{
    if (image) CFRelease(CheckedImage(image));
}

CGImageRef CGImageCreateCopy(CGImageRef image)
{
    if (!image) return nullptr;
    const CGImage* theSource = CheckedImage(image);
    CGImageRef theCopy = NewImage(theSource->width, theSource->height);
    if (theCopy) std::memcpy(theCopy->pixels, theSource->pixels, theSource->width * theSource->height * 4);
    return theCopy;
}

size_t CGImageGetWidth(CGImageRef image)
{
    return image ? CheckedImage(image)->width : 0;
}

size_t CGImageGetHeight(CGImageRef image)
{
    return image ? CheckedImage(image)->height : 0;
}

} // extern "C"
