// Loads interface files. Every field is checked for presence, type and range; anything else in
// the file is an error with its place named, so a damaged file can never build a broken window.
#include "interfacefile.h"

#include "MacRoman.h"

#include <nlohmann/json.hpp>

#include <limits>
#include <map>
#include <set>

namespace toolbox_internal {

namespace {

using Json = nlohmann::json;

constexpr SInt64 cMaxWindowSide = 4096;

struct KindName {
    const char* name;
    ControlKind kind;
};

constexpr KindName cKindNames[] = {
    {"pushButton", ControlKind::PushButton}, {"checkBox", ControlKind::CheckBox},
    {"popupMenu", ControlKind::PopupMenu},   {"slider", ControlKind::Slider},
    {"staticText", ControlKind::StaticText}, {"groupBox", ControlKind::GroupBox},
    {"custom", ControlKind::Custom},
};

// Reports the first problem found; every check returns false once one is recorded.
class Checker {
public:
    explicit Checker(std::string& theError) : mError(theError) {}

    bool Fail(const std::string& thePlace, const std::string& theProblem)
    {
        mError = thePlace + ": " + theProblem;
        return false;
    }

    bool Object(const Json& theValue, const std::string& thePlace, const std::set<std::string>& theAllowed)
    {
        if (!theValue.is_object()) return Fail(thePlace, "expected an object");
        for (auto theEntry = theValue.begin(); theEntry != theValue.end(); ++theEntry)
            if (!theAllowed.count(theEntry.key())) return Fail(thePlace, "unknown field \"" + theEntry.key() + "\"");
        return true;
    }

    const Json* Field(const Json& theObject, const char* theName, const std::string& thePlace, bool theRequired)
    {
        auto theFound = theObject.find(theName);
        if (theFound != theObject.end()) return &*theFound;
        if (theRequired) Fail(thePlace, std::string("missing field \"") + theName + "\"");
        return nullptr;
    }

    bool Integer(const Json& theValue, const std::string& thePlace, SInt64 theLow, SInt64 theHigh, SInt64& outValue)
    {
        bool theInRange = false;
        if (theValue.is_number_unsigned()) {
            UInt64 theNumber = theValue.get<UInt64>();
            theInRange = theNumber <= static_cast<UInt64>(theHigh);
            outValue = static_cast<SInt64>(theNumber);
        } else if (theValue.is_number_integer()) {
            outValue = theValue.get<SInt64>();
            theInRange = true;
        } else {
            return Fail(thePlace, "expected an integer");
        }
        if (!theInRange || outValue < theLow || outValue > theHigh)
            return Fail(thePlace, "expected an integer from " + std::to_string(theLow) + " to " + std::to_string(theHigh));
        return true;
    }

    bool Boolean(const Json& theValue, const std::string& thePlace, bool& outValue)
    {
        if (!theValue.is_boolean()) return Fail(thePlace, "expected true or false");
        outValue = theValue.get<bool>();
        return true;
    }

    bool String(const Json& theValue, const std::string& thePlace, std::string& outValue)
    {
        if (!theValue.is_string()) return Fail(thePlace, "expected a string");
        outValue = theValue.get<std::string>();
        return true;
    }

    // A text for drawing: converted to Mac Roman, at most 255 characters.
    bool MacRomanText(const Json& theValue, const std::string& thePlace, std::string& outValue)
    {
        std::string theUTF8;
        if (!String(theValue, thePlace, theUTF8)) return false;
        if (!MacRomanFromUTF8(theUTF8, outValue)) return Fail(thePlace, "has a character without a Mac Roman code");
        if (outValue.size() > 255) return Fail(thePlace, "longer than 255 characters");
        return true;
    }

    // A four-character code: exactly four Mac Roman characters, or an empty text for none.
    bool Code(const Json& theValue, const std::string& thePlace, bool theMayBeEmpty, FourCharCode& outCode)
    {
        std::string theText;
        if (!MacRomanText(theValue, thePlace, theText)) return false;
        if (theText.empty() && theMayBeEmpty) {
            outCode = 0;
            return true;
        }
        if (theText.size() != 4) return Fail(thePlace, "expected exactly four characters");
        outCode = 0;
        for (char theChar : theText) outCode = (outCode << 8) | static_cast<UInt8>(theChar);
        return true;
    }

private:
    std::string& mError;
};

bool ParseBounds(Checker& theCheck, const Json& theValue, const std::string& thePlace, Rect& outBounds)
{
    if (!theCheck.Object(theValue, thePlace, {"left", "top", "width", "height"})) return false;
    SInt64 theLeft, theTop, theWidth, theHeight;
    const Json* theField;
    constexpr SInt64 cLow = std::numeric_limits<SInt16>::min(), cHigh = std::numeric_limits<SInt16>::max();
    if (!(theField = theCheck.Field(theValue, "left", thePlace, true)) ||
        !theCheck.Integer(*theField, thePlace + ".left", cLow, cHigh, theLeft))
        return false;
    if (!(theField = theCheck.Field(theValue, "top", thePlace, true)) ||
        !theCheck.Integer(*theField, thePlace + ".top", cLow, cHigh, theTop))
        return false;
    if (!(theField = theCheck.Field(theValue, "width", thePlace, true)) ||
        !theCheck.Integer(*theField, thePlace + ".width", 0, cHigh - theLeft, theWidth))
        return false;
    if (!(theField = theCheck.Field(theValue, "height", thePlace, true)) ||
        !theCheck.Integer(*theField, thePlace + ".height", 0, cHigh - theTop, theHeight))
        return false;
    outBounds = Rect{static_cast<SInt16>(theTop), static_cast<SInt16>(theLeft), static_cast<SInt16>(theTop + theHeight),
                     static_cast<SInt16>(theLeft + theWidth)};
    return true;
}

// Key names: one character, or an arrow key by its direction (the arrows' character codes).
bool ParseKeys(Checker& theCheck, const Json& theValue, const std::string& thePlace, std::string& outKeys)
{
    static const std::map<std::string, char> cArrows = {{"left", 0x1C}, {"right", 0x1D}, {"up", 0x1E}, {"down", 0x1F}};
    if (!theValue.is_array()) return theCheck.Fail(thePlace, "expected a list of keys");
    for (size_t i = 0; i < theValue.size(); ++i) {
        const std::string theItemPlace = thePlace + "[" + std::to_string(i) + "]";
        std::string theKey;
        if (!theCheck.MacRomanText(theValue[i], theItemPlace, theKey)) return false;
        auto theArrow = cArrows.find(theKey);
        if (theArrow != cArrows.end())
            outKeys += theArrow->second;
        else if (theKey.size() == 1 && static_cast<UInt8>(theKey[0]) >= 0x20 && theKey[0] != 0x7F)
            outKeys += theKey;
        else
            return theCheck.Fail(theItemPlace, "expected one character or left, right, up, down");
    }
    return true;
}

bool ParseKind(Checker& theCheck, const Json& theControl, const std::string& thePlace, ControlKind& outKind)
{
    const Json* theField = theCheck.Field(theControl, "kind", thePlace, true);
    std::string theName;
    if (!theField || !theCheck.String(*theField, thePlace + ".kind", theName)) return false;
    for (const KindName& theEntry : cKindNames)
        if (theName == theEntry.name) {
            outKind = theEntry.kind;
            return true;
        }
    return theCheck.Fail(thePlace + ".kind", "unknown kind \"" + theName + "\"");
}

bool ParseControl(Checker& theCheck, const Json& theControl, const std::string& thePlace, ControlSpec& outSpec)
{
    if (!theControl.is_object()) return theCheck.Fail(thePlace, "expected an object");
    if (!ParseKind(theCheck, theControl, thePlace, outSpec.kind)) return false;
    std::set<std::string> theAllowed = {"kind",  "signature", "number", "bounds",  "title",
                                        "command", "value",   "visible", "enabled"};
    switch (outSpec.kind) {
    case ControlKind::PushButton: theAllowed.insert({"minimum", "maximum", "keys"}); break;
    case ControlKind::PopupMenu: theAllowed.insert("items"); break;
    case ControlKind::Slider: theAllowed.insert({"minimum", "maximum", "live"}); break;
    case ControlKind::Custom: theAllowed.insert({"minimum", "maximum", "class"}); break;
    default: theAllowed.insert({"minimum", "maximum"}); break;
    }
    if (!theCheck.Object(theControl, thePlace, theAllowed)) return false;

    const Json* theField;
    SInt64 theNumber;
    if (!(theField = theCheck.Field(theControl, "signature", thePlace, true)) ||
        !theCheck.Code(*theField, thePlace + ".signature", false, outSpec.signature))
        return false;
    if (!(theField = theCheck.Field(theControl, "number", thePlace, true)) ||
        !theCheck.Integer(*theField, thePlace + ".number", std::numeric_limits<SInt16>::min(),
                          std::numeric_limits<SInt16>::max(), theNumber))
        return false;
    outSpec.number = static_cast<SInt16>(theNumber);
    if (!(theField = theCheck.Field(theControl, "bounds", thePlace, true)) ||
        !ParseBounds(theCheck, *theField, thePlace + ".bounds", outSpec.bounds))
        return false;
    if ((theField = theCheck.Field(theControl, "title", thePlace, false)) &&
        !theCheck.MacRomanText(*theField, thePlace + ".title", outSpec.title))
        return false;
    if ((theField = theCheck.Field(theControl, "command", thePlace, false)) &&
        !theCheck.Code(*theField, thePlace + ".command", true, outSpec.command))
        return false;
    if ((theField = theCheck.Field(theControl, "visible", thePlace, false)) &&
        !theCheck.Boolean(*theField, thePlace + ".visible", outSpec.visible))
        return false;
    if ((theField = theCheck.Field(theControl, "enabled", thePlace, false)) &&
        !theCheck.Boolean(*theField, thePlace + ".enabled", outSpec.enabled))
        return false;
    if ((theField = theCheck.Field(theControl, "live", thePlace, false)) &&
        !theCheck.Boolean(*theField, thePlace + ".live", outSpec.live))
        return false;

    // The range: popups count their items, check boxes and buttons are 0 to 1, sliders 0 to 100.
    constexpr SInt64 cLow = std::numeric_limits<SInt32>::min(), cHigh = std::numeric_limits<SInt32>::max();
    SInt64 theMinimum = 0, theMaximum = outSpec.kind == ControlKind::Slider ? 100 : 1, theValue = 0;
    if (outSpec.kind == ControlKind::PopupMenu) {
        if (!(theField = theCheck.Field(theControl, "items", thePlace, true))) return false;
        if (!theField->is_array() || theField->empty())
            return theCheck.Fail(thePlace + ".items", "expected a list of at least one text");
        if (theField->size() > 255) return theCheck.Fail(thePlace + ".items", "more than 255 items");
        for (size_t i = 0; i < theField->size(); ++i) {
            std::string theItem;
            if (!theCheck.MacRomanText((*theField)[i], thePlace + ".items[" + std::to_string(i) + "]", theItem))
                return false;
            outSpec.items.push_back(theItem);
        }
        theMinimum = theValue = 1;
        theMaximum = static_cast<SInt64>(outSpec.items.size());
    }
    if ((theField = theCheck.Field(theControl, "minimum", thePlace, false)) &&
        !theCheck.Integer(*theField, thePlace + ".minimum", cLow, cHigh, theMinimum))
        return false;
    if ((theField = theCheck.Field(theControl, "maximum", thePlace, false)) &&
        !theCheck.Integer(*theField, thePlace + ".maximum", theMinimum, cHigh, theMaximum))
        return false;
    if (theMaximum < theMinimum) return theCheck.Fail(thePlace + ".minimum", "greater than the maximum");
    if ((theField = theCheck.Field(theControl, "value", thePlace, false)) &&
        !theCheck.Integer(*theField, thePlace + ".value", theMinimum, theMaximum, theValue))
        return false;
    if (theValue < theMinimum) theValue = theMinimum;
    outSpec.minimum = static_cast<SInt32>(theMinimum);
    outSpec.maximum = static_cast<SInt32>(theMaximum);
    outSpec.value = static_cast<SInt32>(theValue);

    if (outSpec.kind == ControlKind::PushButton && (theField = theCheck.Field(theControl, "keys", thePlace, false)) &&
        !ParseKeys(theCheck, *theField, thePlace + ".keys", outSpec.keys))
        return false;
    if (outSpec.kind == ControlKind::Custom) {
        if (!(theField = theCheck.Field(theControl, "class", thePlace, true)) ||
            !theCheck.String(*theField, thePlace + ".class", outSpec.classSuffix))
            return false;
        if (outSpec.classSuffix.empty() || outSpec.classSuffix.size() > 63 ||
            outSpec.classSuffix.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-") !=
                std::string::npos)
            return theCheck.Fail(thePlace + ".class", "expected 1 to 63 letters, digits, '_' or '-'");
    }
    return true;
}

bool ParseWindow(Checker& theCheck, const Json& theWindow, const std::string& thePlace, WindowSpec& outSpec)
{
    if (!theCheck.Object(theWindow, thePlace, {"name", "title", "width", "height", "controls"})) return false;
    const Json* theField;
    if (!(theField = theCheck.Field(theWindow, "name", thePlace, true)) ||
        !theCheck.String(*theField, thePlace + ".name", outSpec.name))
        return false;
    if (outSpec.name.empty() || outSpec.name.size() > 255)
        return theCheck.Fail(thePlace + ".name", "expected 1 to 255 characters");
    std::string theTitle;
    if (!(theField = theCheck.Field(theWindow, "title", thePlace, true)) ||
        !theCheck.MacRomanText(*theField, thePlace + ".title", theTitle))
        return false;
    outSpec.title = theField->get<std::string>();
    SInt64 theSide;
    if (!(theField = theCheck.Field(theWindow, "width", thePlace, true)) ||
        !theCheck.Integer(*theField, thePlace + ".width", 1, cMaxWindowSide, theSide))
        return false;
    outSpec.width = static_cast<SInt16>(theSide);
    if (!(theField = theCheck.Field(theWindow, "height", thePlace, true)) ||
        !theCheck.Integer(*theField, thePlace + ".height", 1, cMaxWindowSide, theSide))
        return false;
    outSpec.height = static_cast<SInt16>(theSide);
    if (!(theField = theCheck.Field(theWindow, "controls", thePlace, true))) return false;
    if (!theField->is_array()) return theCheck.Fail(thePlace + ".controls", "expected a list");
    for (size_t i = 0; i < theField->size(); ++i) {
        ControlSpec theControl;
        if (!ParseControl(theCheck, (*theField)[i], thePlace + ".controls[" + std::to_string(i) + "]", theControl))
            return false;
        outSpec.controls.push_back(std::move(theControl));
    }
    return true;
}

} // namespace

bool MacRomanFromUTF8(const std::string& theUTF8, std::string& outText, char theMissing)
{
    outText.clear();
    for (size_t i = 0; i < theUTF8.size();) {
        UInt32 theCode = 0;
        if (!DecodeUTF8(theUTF8, i, theCode)) return false;
        int theByte = MacRomanFromUnicode(theCode);
        if (theByte < 0 && !theMissing) return false;
        outText += theByte < 0 ? theMissing : static_cast<char>(theByte);
    }
    return true;
}

bool ParseInterfaceFile(const char* theBytes, size_t theSize, InterfaceFile& outFile, std::string& outError)
{
    outFile.windows.clear();
    if (theSize > cMaxInterfaceFileSize) {
        outError = "larger than " + std::to_string(cMaxInterfaceFileSize) + " bytes";
        return false;
    }
    Json theDocument = Json::parse(theBytes, theBytes + theSize, nullptr, false);
    if (theDocument.is_discarded()) {
        outError = "not a JSON document";
        return false;
    }
    Checker theCheck(outError);
    if (!theCheck.Object(theDocument, "file", {"windows"})) return false;
    const Json* theWindows = theCheck.Field(theDocument, "windows", "file", true);
    if (!theWindows) return false;
    if (!theWindows->is_array()) return theCheck.Fail("windows", "expected a list");
    std::set<std::string> theNames;
    for (size_t i = 0; i < theWindows->size(); ++i) {
        WindowSpec theWindow;
        std::string thePlace = "windows[" + std::to_string(i) + "]";
        if (!ParseWindow(theCheck, (*theWindows)[i], thePlace, theWindow)) return false;
        if (!theNames.insert(theWindow.name).second)
            return theCheck.Fail(thePlace + ".name", "a second window named \"" + theWindow.name + "\"");
        outFile.windows.push_back(std::move(theWindow));
    }
    return true;
}

} // namespace toolbox_internal
