#include "CFString.h"
#include "MacRoman.h"
#include "cfobject.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>

using namespace corefoundation_internal;

struct __CFString {
    CFObject base;
    std::string utf8;
};

namespace {

void FinalizeString(CFObject* theObject)
{
    delete reinterpret_cast<__CFString*>(theObject);
}

void AppendUTF8(std::string& theText, UInt32 theCode)
{
    if (theCode < 0x80) {
        theText += static_cast<char>(theCode);
    } else if (theCode < 0x800) {
        theText += static_cast<char>(0xC0 | (theCode >> 6));
        theText += static_cast<char>(0x80 | (theCode & 0x3F));
    } else if (theCode < 0x10000) {
        theText += static_cast<char>(0xE0 | (theCode >> 12));
        theText += static_cast<char>(0x80 | ((theCode >> 6) & 0x3F));
        theText += static_cast<char>(0x80 | (theCode & 0x3F));
    } else {
        theText += static_cast<char>(0xF0 | (theCode >> 18));
        theText += static_cast<char>(0x80 | ((theCode >> 12) & 0x3F));
        theText += static_cast<char>(0x80 | ((theCode >> 6) & 0x3F));
        theText += static_cast<char>(0x80 | (theCode & 0x3F));
    }
}

bool ValidUTF8(const std::string& theText)
{
    UInt32 theCode;
    for (size_t i = 0; i < theText.size();)
        if (!DecodeUTF8(theText, i, theCode)) return false;
    return true;
}

CFStringRef MakeString(std::string theUTF8)
{
    __CFString* theString = new __CFString;
    InitObject(&theString->base, kStringTypeID, FinalizeString);
    theString->utf8 = std::move(theUTF8);
    return theString;
}

const __CFString* CheckedString(CFStringRef theString)
{
    CheckedObject(theString);
    return theString;
}

} // namespace

extern "C" {

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean)
{
    if (numBytes < 0 || (numBytes > 0 && !bytes)) return nullptr;
    std::string theText;
    switch (encoding) {
    case kCFStringEncodingMacRoman:
        for (CFIndex i = 0; i < numBytes; ++i) AppendUTF8(theText, MacRomanToUnicode(bytes[i]));
        break;
    case kCFStringEncodingASCII:
        for (CFIndex i = 0; i < numBytes; ++i) {
            if (bytes[i] >= 0x80) return nullptr;
            theText += static_cast<char>(bytes[i]);
        }
        break;
    case kCFStringEncodingUTF8:
        theText.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(numBytes));
        if (!ValidUTF8(theText)) return nullptr;
        break;
    default:
        return nullptr;
    }
    return MakeString(std::move(theText));
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr, CFStringEncoding encoding)
{
    if (!pStr) return nullptr;
    return CFStringCreateWithBytes(alloc, pStr + 1, pStr[0], encoding, false);
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding)
{
    if (!cStr) return nullptr;
    return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8*>(cStr), static_cast<CFIndex>(std::strlen(cStr)),
                                   encoding, false);
}

CFIndex CFStringGetLength(CFStringRef theString)
{
    const std::string& theText = CheckedString(theString)->utf8;
    CFIndex theUnits = 0;
    UInt32 theCode = 0;
    for (size_t i = 0; i < theText.size() && DecodeUTF8(theText, i, theCode);) theUnits += theCode >= 0x10000 ? 2 : 1;
    return theUnits;
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
    const std::string& theText = CheckedString(theString)->utf8;
    std::string theOut;
    if (encoding == kCFStringEncodingUTF8) {
        theOut = theText;
    } else if (encoding == kCFStringEncodingMacRoman || encoding == kCFStringEncodingASCII) {
        UInt32 theCode = 0;
        for (size_t i = 0; i < theText.size();) {
            if (!DecodeUTF8(theText, i, theCode)) return false;
            const int theByte = theCode < 0x80 || encoding == kCFStringEncodingMacRoman ? MacRomanFromUnicode(theCode) : -1;
            if (theByte < 0) return false;
            theOut += static_cast<char>(theByte);
        }
    } else {
        return false;
    }
    if (bufferSize <= 0 || static_cast<size_t>(bufferSize) < theOut.size() + 1) return false;
    std::memcpy(buffer, theOut.c_str(), theOut.size() + 1);
    return true;
}

const char* CFStringGetUTF8Pointer(CFStringRef theString)
{
    return CheckedString(theString)->utf8.c_str();
}

} // extern "C"

CFStringRef CFSTR_Make(const char* cStr)
{
    // Constant strings are made once per text and never released, as on the platform.
    static std::map<std::string, CFStringRef>* lgConstants = new std::map<std::string, CFStringRef>;
    auto theFound = lgConstants->find(cStr);
    if (theFound != lgConstants->end()) return theFound->second;
    CFStringRef theString = CFStringCreateWithCString(kCFAllocatorDefault, cStr, kCFStringEncodingUTF8);
    if (theString) CFRetain(theString); // one extra reference: releases by callers never free it
    (*lgConstants)[cStr] = theString;
    return theString;
}
