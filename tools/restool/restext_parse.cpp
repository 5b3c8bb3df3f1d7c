#include "restext.h"
#include "macromantext.h"

#include <cctype>
#include <set>
#include <utility>

namespace {

struct Cursor {
    const std::string& text;
    size_t at = 0;
    int line = 1;
    std::string error;
};

bool Fail(Cursor& theCursor, const std::string& theWhat)
{
    if (theCursor.error.empty()) theCursor.error = "line " + std::to_string(theCursor.line) + ": " + theWhat;
    return false;
}

bool AtEnd(const Cursor& theCursor)
{
    return theCursor.at >= theCursor.text.size();
}

char Peek(const Cursor& theCursor)
{
    return AtEnd(theCursor) ? '\0' : theCursor.text[theCursor.at];
}

// Skips blanks, line ends and comments.
void SkipSpace(Cursor& theCursor)
{
    while (!AtEnd(theCursor)) {
        const char theChar = Peek(theCursor);
        if (theChar == '#') {
            while (!AtEnd(theCursor) && Peek(theCursor) != '\n') ++theCursor.at;
        } else if (std::isspace(static_cast<unsigned char>(theChar))) {
            if (theChar == '\n') ++theCursor.line;
            ++theCursor.at;
        } else {
            return;
        }
    }
}

bool Expect(Cursor& theCursor, char theChar)
{
    SkipSpace(theCursor);
    if (Peek(theCursor) != theChar) return Fail(theCursor, std::string("expected '") + theChar + "'");
    ++theCursor.at;
    return true;
}

std::string ReadWord(Cursor& theCursor)
{
    SkipSpace(theCursor);
    const size_t theStart = theCursor.at;
    while (!AtEnd(theCursor) && std::isalpha(static_cast<unsigned char>(Peek(theCursor)))) ++theCursor.at;
    return theCursor.text.substr(theStart, theCursor.at - theStart);
}

int HexValue(char theChar)
{
    if (theChar >= '0' && theChar <= '9') return theChar - '0';
    if (theChar >= 'a' && theChar <= 'f') return theChar - 'a' + 10;
    if (theChar >= 'A' && theChar <= 'F') return theChar - 'A' + 10;
    return -1;
}

// A decimal number, or hexadecimal after 0x, with an optional minus sign.
bool ReadNumber(Cursor& theCursor, long theLow, long theHigh, long* theValue)
{
    SkipSpace(theCursor);
    const bool theNegative = Peek(theCursor) == '-';
    if (theNegative) ++theCursor.at;
    int theBase = 10;
    if (theCursor.text.compare(theCursor.at, 2, "0x") == 0 || theCursor.text.compare(theCursor.at, 2, "0X") == 0) {
        theBase = 16;
        theCursor.at += 2;
    }
    long theResult = 0;
    size_t theDigits = 0;
    for (int theDigit; !AtEnd(theCursor) && (theDigit = HexValue(Peek(theCursor))) >= 0 && theDigit < theBase; ++theCursor.at) {
        theResult = theResult * theBase + theDigit;
        if (theResult > 0x7FFFFFFF) return Fail(theCursor, "number out of range");
        ++theDigits;
    }
    if (theDigits == 0) return Fail(theCursor, "expected a number");
    theResult = theNegative ? -theResult : theResult;
    if (theResult < theLow || theResult > theHigh)
        return Fail(theCursor, "number out of range " + std::to_string(theLow) + " to " + std::to_string(theHigh));
    *theValue = theResult;
    return true;
}

// Text between theQuote characters, as Mac Roman bytes.
bool ReadQuoted(Cursor& theCursor, char theQuote, std::string* theBytes)
{
    SkipSpace(theCursor);
    if (Peek(theCursor) != theQuote) return Fail(theCursor, theQuote == '"' ? "expected a quoted string" : "expected a type in single quotes");
    ++theCursor.at;
    theBytes->clear();
    std::string theRun; // UTF-8 not yet converted
    auto theFlush = [&] {
        std::string theConverted;
        if (!resources_internal::UTF8ToMacRoman(theRun, &theConverted)) return Fail(theCursor, "text that Mac Roman cannot hold");
        *theBytes += theConverted;
        theRun.clear();
        return true;
    };
    while (true) {
        if (AtEnd(theCursor) || Peek(theCursor) == '\n') return Fail(theCursor, "unterminated quote");
        const char theChar = theCursor.text[theCursor.at++];
        if (theChar == theQuote) return theFlush();
        if (theChar != '\\') {
            theRun += theChar;
            continue;
        }
        const char theEscape = Peek(theCursor);
        ++theCursor.at;
        if (theEscape == 'x') {
            const int theHigh = HexValue(Peek(theCursor));
            const int theLow = theHigh >= 0 && theCursor.at + 1 < theCursor.text.size() ? HexValue(theCursor.text[theCursor.at + 1]) : -1;
            if (theLow < 0) return Fail(theCursor, "\\x needs two hex digits");
            theCursor.at += 2;
            if (!theFlush()) return false;
            *theBytes += static_cast<char>(theHigh * 16 + theLow);
        } else if (theEscape == 'n' || theEscape == 'r' || theEscape == 't') {
            theRun += theEscape == 'n' ? '\n' : theEscape == 'r' ? '\r' : '\t';
        } else if (theEscape == '\\' || theEscape == '"' || theEscape == '\'') {
            theRun += theEscape;
        } else {
            return Fail(theCursor, "unknown escape");
        }
    }
}

bool ReadStrings(Cursor& theCursor, std::string* theData)
{
    if (!Expect(theCursor, '{')) return false;
    std::vector<std::string> theStrings;
    for (SkipSpace(theCursor); Peek(theCursor) != '}'; SkipSpace(theCursor)) {
        std::string theString;
        if (!ReadQuoted(theCursor, '"', &theString)) return false;
        if (theString.size() > 255) return Fail(theCursor, "a string of a list holds at most 255 bytes");
        theStrings.push_back(theString);
    }
    ++theCursor.at;
    if (theStrings.size() > 0xFFFF) return Fail(theCursor, "too many strings");
    *theData = {static_cast<char>(theStrings.size() >> 8), static_cast<char>(theStrings.size())};
    for (const std::string& theString : theStrings) *theData += static_cast<char>(theString.size()) + theString;
    return true;
}

bool ReadHex(Cursor& theCursor, std::string* theData)
{
    if (!Expect(theCursor, '{')) return false;
    int theHalf = -1;
    for (SkipSpace(theCursor); Peek(theCursor) != '}'; SkipSpace(theCursor)) {
        const int theDigit = HexValue(Peek(theCursor));
        if (theDigit < 0) return Fail(theCursor, AtEnd(theCursor) ? "expected '}'" : "expected a hex digit");
        ++theCursor.at;
        if (theHalf < 0) {
            theHalf = theDigit;
        } else {
            *theData += static_cast<char>(theHalf * 16 + theDigit);
            theHalf = -1;
        }
    }
    ++theCursor.at;
    return theHalf < 0 || Fail(theCursor, "an odd number of hex digits");
}

bool ReadCode(Cursor& theCursor, OSType* theCode)
{
    std::string theChars;
    if (!ReadQuoted(theCursor, '\'', &theChars)) return false;
    if (theChars.size() != 4) return Fail(theCursor, "a type is four characters");
    *theCode = 0;
    for (char theChar : theChars) *theCode = (*theCode << 8) | static_cast<UInt8>(theChar);
    return true;
}

// The parts of the file statement, in any order, up to the first resource.
bool ReadFileStatement(Cursor& theCursor, TextResourceFile* theFile)
{
    while (true) {
        SkipSpace(theCursor);
        const size_t theAt = theCursor.at;
        const std::string theWord = ReadWord(theCursor);
        long theAttributes = 0;
        if (theWord == "type") {
            if (!ReadCode(theCursor, &theFile->type)) return false;
        } else if (theWord == "creator") {
            if (!ReadCode(theCursor, &theFile->creator)) return false;
        } else if (theWord == "attributes") {
            if (!ReadNumber(theCursor, 0, 0xFFFF, &theAttributes)) return false;
            theFile->attributes = static_cast<UInt16>(theAttributes);
        } else {
            theCursor.at = theAt;
            return true;
        }
    }
}

bool ReadResource(Cursor& theCursor, TextResource* theResource)
{
    theResource->line = theCursor.line;
    if (!ReadCode(theCursor, &theResource->type)) return false;
    long theID = 0;
    if (!ReadNumber(theCursor, -32768, 32767, &theID)) return false;
    theResource->id = static_cast<SInt16>(theID);
    SkipSpace(theCursor);
    if (Peek(theCursor) == '"') {
        if (!ReadQuoted(theCursor, '"', &theResource->name)) return false;
        if (theResource->name.size() > 255) return Fail(theCursor, "a name holds at most 255 bytes");
        theResource->hasName = !theResource->name.empty();
    }
    std::string theWord = ReadWord(theCursor);
    if (theWord == "attributes") {
        long theAttributes = 0;
        if (!ReadNumber(theCursor, 0, 255, &theAttributes)) return false;
        theResource->attributes = static_cast<UInt8>(theAttributes);
        theWord = ReadWord(theCursor);
    }
    if (theWord == "strings") return ReadStrings(theCursor, &theResource->data);
    if (theWord == "hex") return ReadHex(theCursor, &theResource->data);
    return Fail(theCursor, "expected strings or hex");
}

} // namespace

bool ParseResourceText(const std::string& theText, TextResourceFile* theFile, std::string* theError)
{
    Cursor theCursor{theText, 0, 1, {}};
    std::set<std::pair<ResType, SInt16>> theSeen;
    bool theFirst = true;
    for (SkipSpace(theCursor); !AtEnd(theCursor); SkipSpace(theCursor)) {
        const std::string theWord = ReadWord(theCursor);
        if (theWord == "file" && theFirst) {
            theFirst = false;
            if (!ReadFileStatement(theCursor, theFile)) break;
            continue;
        }
        theFirst = false;
        if (theWord != "resource") {
            Fail(theCursor, "expected resource");
            break;
        }
        TextResource theResource;
        if (!ReadResource(theCursor, &theResource)) break;
        if (!theSeen.insert({theResource.type, theResource.id}).second) {
            theCursor.line = theResource.line;
            Fail(theCursor, "type and ID already used");
            break;
        }
        theFile->resources.push_back(std::move(theResource));
    }
    *theError = theCursor.error;
    return theCursor.error.empty();
}
