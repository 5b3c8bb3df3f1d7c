// Internal: the description of windows and controls that interface files hold, and its loader.
// It depends on nothing else of the toolbox, so the fuzz target builds it alone.
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
