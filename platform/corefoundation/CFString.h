// CoreFoundation strings, held as UTF-8, made from Mac Roman or UTF-8 bytes.
#pragma once

#include "CFBase.h"

typedef const struct __CFString* CFStringRef;

enum : CFStringEncoding {
    kCFStringEncodingMacRoman = 0,
    kCFStringEncodingASCII = 0x0600,
    kCFStringEncodingUTF8 = 0x08000100
};

extern "C" {

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr, CFStringEncoding encoding);
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
// Number of UTF-16 units, as the platform counts.
CFIndex CFStringGetLength(CFStringRef theString);
// The text in the encoding; false when the buffer is too small or a character has no code there.
Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// The text as UTF-8, valid while the string lives (an extension of this platform).
const char* CFStringGetUTF8Pointer(CFStringRef theString);

}

// A constant string that lives for the whole process.
CFStringRef CFSTR_Make(const char* cStr);
#define CFSTR(text) CFSTR_Make(text)
