#include "restext.h"
#include "macromantext.h"

#include <cstdio>

namespace {

std::string HexByte(UInt8 theByte)
{
    char theText[5];
    std::snprintf(theText, sizeof theText, "\\x%02X", theByte);
    return theText;
}

std::string Quoted(const std::string& theMacRoman, char theQuote)
{
    std::string theText(1, theQuote);
    for (char theChar : theMacRoman) {
        const UInt8 theByte = static_cast<UInt8>(theChar);
        if (theChar == theQuote || theChar == '\\') theText += std::string("\\") + theChar;
        else if (theByte < 0x20 || theByte == 0x7F) theText += HexByte(theByte);
        else theText += resources_internal::MacRomanToUTF8(&theByte, 1);
    }
    return theText + theQuote;
}

std::string CodeText(OSType theType)
{
    std::string theChars;
    for (int i = 3; i >= 0; --i) theChars += static_cast<char>(theType >> (8 * i));
    return Quoted(theChars, '\'');
}

// The strings of a well-formed 'STR#' list, or false.
bool SplitStringList(const std::string& theData, std::vector<std::string>* theStrings)
{
    if (theData.size() < 2) return false;
    const size_t theCount = (static_cast<UInt8>(theData[0]) << 8) | static_cast<UInt8>(theData[1]);
    size_t theAt = 2;
    for (size_t i = 0; i < theCount; ++i) {
        if (theAt >= theData.size()) return false;
        const size_t theLength = static_cast<UInt8>(theData[theAt]);
        if (theAt + 1 + theLength > theData.size()) return false;
        theStrings->push_back(theData.substr(theAt + 1, theLength));
        theAt += 1 + theLength;
    }
    return theAt == theData.size();
}

} // namespace

std::string PrintFileStatement(const TextResourceFile& theFile)
{
    const TextResourceFile theDefaults;
    std::string theText;
    if (theFile.type != 0 && theFile.type != theDefaults.type) {
        theText += " type ";
        theText += CodeText(theFile.type);
    }
    if (theFile.creator != 0 && theFile.creator != theDefaults.creator) {
        theText += " creator ";
        theText += CodeText(theFile.creator);
    }
    if (theFile.attributes != theDefaults.attributes) {
        theText += " attributes ";
        theText += std::to_string(theFile.attributes);
    }
    return theText.empty() ? theText : "file" + theText + "\n";
}

std::string PrintResource(const TextResource& theResource)
{
    // Appended piece by piece: GCC 12 warns wrongly about "text" + std::string temporaries.
    std::string theText = "resource ";
    theText += CodeText(theResource.type);
    theText += ' ';
    theText += std::to_string(theResource.id);
    if (theResource.hasName) {
        theText += ' ';
        theText += Quoted(theResource.name, '"');
    }
    if (theResource.attributes) {
        theText += " attributes ";
        theText += std::to_string(theResource.attributes);
    }

    std::vector<std::string> theStrings;
    if (theResource.type == FOUR_CHAR_CODE("STR#") && SplitStringList(theResource.data, &theStrings)) {
        theText += " strings {\n";
        for (const std::string& theString : theStrings) {
            theText += "    ";
            theText += Quoted(theString, '"');
            theText += '\n';
        }
        return theText + "}\n";
    }
    theText += " hex {";
    for (size_t i = 0; i < theResource.data.size(); ++i) {
        if (i % 32 == 0) theText += "\n   ";
        if (i % 4 == 0) theText += " ";
        char theHex[3];
        std::snprintf(theHex, sizeof theHex, "%02x", static_cast<UInt8>(theResource.data[i]));
        theText += theHex;
    }
    return theText + (theResource.data.empty() ? "}\n" : "\n}\n");
}
