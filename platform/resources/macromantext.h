// Internal: Mac Roman text to and from UTF-8, for file names and resource tools.
#pragma once

#include <string>
#include "MacRoman.h"

namespace resources_internal {

inline std::string MacRomanToUTF8(const UInt8* theBytes, size_t theCount)
{
    std::string theText;
    for (size_t i = 0; i < theCount; ++i) {
        const UInt32 theCode = MacRomanToUnicode(theBytes[i]);
        if (theCode < 0x80) {
            theText += static_cast<char>(theCode);
        } else if (theCode < 0x800) {
            theText += static_cast<char>(0xC0 | (theCode >> 6));
            theText += static_cast<char>(0x80 | (theCode & 0x3F));
        } else {
            theText += static_cast<char>(0xE0 | (theCode >> 12));
            theText += static_cast<char>(0x80 | ((theCode >> 6) & 0x3F));
            theText += static_cast<char>(0x80 | (theCode & 0x3F));
        }
    }
    return theText;
}

// False when theText is not UTF-8 or holds a character Mac Roman lacks.
inline bool UTF8ToMacRoman(const std::string& theText, std::string* theBytes)
{
    theBytes->clear();
    for (size_t i = 0; i < theText.size();) {
        const UInt8 theLead = static_cast<UInt8>(theText[i]);
        const size_t theLength = theLead < 0x80 ? 1 : (theLead >> 5) == 6 ? 2 : (theLead >> 4) == 14 ? 3 : 0;
        if (theLength == 0 || i + theLength > theText.size()) return false;
        UInt32 theCode = theLength == 1 ? theLead : theLead & (0x7F >> theLength);
        for (size_t k = 1; k < theLength; ++k) {
            const UInt8 theNext = static_cast<UInt8>(theText[i + k]);
            if ((theNext & 0xC0) != 0x80) return false;
            theCode = (theCode << 6) | (theNext & 0x3F);
        }
        i += theLength;
        if (theCode < 0x80) {
            *theBytes += static_cast<char>(theCode);
            continue;
        }
        size_t theByte = 0;
        while (theByte < 128 && kMacRomanHighHalf[theByte] != theCode) ++theByte;
        if (theByte == 128) return false;
        *theBytes += static_cast<char>(0x80 + theByte);
    }
    return true;
}

}
