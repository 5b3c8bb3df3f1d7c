// CoreFoundation: reference-counted objects.
#pragma once

#include "MacTypes.h"

typedef const void* CFTypeRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef long CFIndex;
typedef UInt32 CFStringEncoding;
typedef unsigned long CFTypeID;

#define kCFAllocatorDefault (static_cast<CFAllocatorRef>(nullptr))

extern "C" {

CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);
CFIndex CFGetRetainCount(CFTypeRef cf);
CFTypeID CFGetTypeID(CFTypeRef cf);

}
