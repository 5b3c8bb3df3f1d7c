// CoreFoundation URLs: here only file locations, held as absolute POSIX paths.
#pragma once

#include "CFBase.h"

typedef const struct __CFURL* CFURLRef;
struct FSRef;

extern "C" {

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory);
// The path as a zero-terminated text; false when the buffer is too small.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer, CFIndex maxBufLen);
// False when nothing exists at the location.
Boolean CFURLGetFSRef(CFURLRef url, FSRef* fsRef);

}
