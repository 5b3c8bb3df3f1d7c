#include "cgobject.h"

using namespace coregraphics_internal;

extern "C" {

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void)
{
    return static_cast<CGColorSpaceRef>(NewObject(sizeof(CGColorSpace), kCGColorSpaceTypeID, DisposeObject));
}

void CGColorSpaceRelease(CGColorSpaceRef space)
{
    if (space) CFRelease(CheckedColorSpace(space));
}

} // extern "C"
