// Basic types shared by every platform module and the plug-in.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;

typedef unsigned char Boolean;
typedef char* Ptr;
typedef Ptr* Handle;
typedef long Size;
typedef SInt16 OSErr;
typedef SInt32 OSStatus;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef FourCharCode ResType;
typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str31[32];
typedef const unsigned char* ConstStr255Param;
typedef unsigned char* StringPtr;
typedef SInt16 ScriptCode;

enum { noErr = 0, paramErr = -50 };
enum { smSystemScript = -1 };

#ifndef __cplusplus
#define true 1
#define false 0
#endif

struct Point {
    SInt16 v;
    SInt16 h;
};

struct Rect {
    SInt16 top;
    SInt16 left;
    SInt16 bottom;
    SInt16 right;
};

struct RGBColor {
    UInt16 red;
    UInt16 green;
    UInt16 blue;
};

// Builds a four-character code from a text such as "Pref", first character most significant.
constexpr FourCharCode FOUR_CHAR_CODE(const char (&theText)[5])
{
    return (UInt32(UInt8(theText[0])) << 24) | (UInt32(UInt8(theText[1])) << 16) |
           (UInt32(UInt8(theText[2])) << 8) | UInt32(UInt8(theText[3]));
}

// Pascal string literal helper: PSTR("abc") gives a length-prefixed array.
template <size_t N>
struct PascalLiteral {
    unsigned char bytes[N];
    constexpr PascalLiteral(const char (&theText)[N]) : bytes{}
    {
        static_assert(N - 1 <= 255, "Pascal strings hold at most 255 characters");
        bytes[0] = static_cast<unsigned char>(N - 1);
        for (size_t i = 0; i + 1 < N; ++i) bytes[i + 1] = static_cast<unsigned char>(theText[i]);
    }
    constexpr operator ConstStr255Param() const { return bytes; }
};
#define PSTR(text) (::PascalLiteral{text}.bytes)
