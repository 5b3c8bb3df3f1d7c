// Internal: the description of windows and controls that interface files hold, and its loader.
// It depends on nothing else of the toolbox, so the fuzz target builds it alone.
//
// An interface file is a JSON object {"windows": [window, ...]}. A window has "name" (unique),
// "title", "width" and "height" (1 to 4096) and "controls" (a list, drawn first to last). A
// control has "kind", "signature" (four characters), "number" (-32768 to 32767) and "bounds"
// ({"left", "top", "width", "height"}, window coordinates), and may have "title", "command"
// (four characters; sent when the control is hit), "value", "visible" and "enabled" (both true
// by default). Kinds: "pushButton", "checkBox" (value 0 or 1), "popupMenu" (with "items", a list
// of texts; the value is the chosen item, from 1), "slider" ("minimum", "maximum", 0 to 100 by
// default, and "live": the action procedure runs while dragging), "staticText" (wrapped in its
// bounds), "groupBox", and "custom" ("class": the last component of the class identifier, which
// is the bundle identifier with its last component replaced). Push buttons with the commands
// "ok  " and "not!" are pressed by Return and Escape; a push button may also have "keys", a list
// of keys that press it: one character each, or "left", "right", "up", "down" for the arrow
// keys. Any other field is an error. Texts are UTF-8 in the file and must have Mac Roman codes.
#pragma once

#include "MacTypes.h"

#include <string>
#include <vector>

namespace toolbox_internal {

enum class ControlKind {
    PushButton,
    CheckBox,
    PopupMenu,
    Slider,
    StaticText,
    GroupBox,
    Custom,
    // Made by the toolbox itself for alerts and the colour picker; interface files cannot name them.
    AlertIcon,
    Swatch,
    TextField
};

struct ControlSpec {
    ControlKind kind = ControlKind::StaticText;
    FourCharCode signature = 0;
    SInt16 number = 0;
    Rect bounds{};
    std::string title; // Mac Roman
    FourCharCode command = 0;
    SInt32 minimum = 0;
    SInt32 maximum = 0;
    SInt32 value = 0;
    bool visible = true;
    bool enabled = true;
    bool live = false;               // slider: the action procedure runs while dragging
    bool bold = false;               // static text drawn in the bold face
    std::vector<std::string> items;  // popup menu, Mac Roman
    std::string classSuffix;         // custom: the last component of the class identifier
    std::string keys;                // push button: the character codes of the keys that press it
};

struct WindowSpec {
    std::string name;
    std::string title; // UTF-8, for the window's title bar
    SInt16 width = 0;
    SInt16 height = 0;
    std::vector<ControlSpec> controls;
};

struct InterfaceFile {
    std::vector<WindowSpec> windows;
};

// Interface files larger than this are refused before parsing.
constexpr size_t cMaxInterfaceFileSize = 1 << 20;

// Converts UTF-8 to Mac Roman. A character without a code becomes theMissing; with theMissing 0
// it, or malformed UTF-8, fails the conversion.
bool MacRomanFromUTF8(const std::string& theUTF8, std::string& outText, char theMissing = 0);

// Parses and checks a whole interface file. On failure outError says where and what.
bool ParseInterfaceFile(const char* theBytes, size_t theSize, InterfaceFile& outFile, std::string& outError);

} // namespace toolbox_internal
