// Internal: where the parts of the standard controls lie, shared by drawing and tracking.
#pragma once

#include "toolboxrecords.h"

namespace toolbox_internal {

// Sliders run horizontally; the thumb's centre moves along the groove.
constexpr SInt16 cThumbWidth = 15;
constexpr SInt16 cThumbHeight = 15;
Rect SliderGroove(ControlRef theSlider);
Rect SliderThumb(ControlRef theSlider);
// The value whose thumb centre is nearest to the horizontal position.
SInt32 SliderValueAt(ControlRef theSlider, SInt32 theH);

// A popup's open menu: its frame and its items, one under the other.
struct MenuLayout {
    Rect frame;
    SInt16 itemHeight;
    SInt16 itemCount;
    Rect ItemRect(SInt16 theItem) const; // items count from 1
    SInt16 ItemAt(Point thePoint) const; // 0 outside every item
};
constexpr SInt16 cMenuItemHeight = 18;
constexpr SInt16 cMenuPadding = 4;
// The menu's shadow falls this far below its frame.
constexpr SInt16 cMenuShadow = 2;
// Places the menu so that the chosen item lies over the popup, inside the window.
MenuLayout PopupMenuLayout(ControlRef thePopup);

// The square box of a check box, at its left, centred vertically.
Rect CheckBoxBox(ControlRef theCheckBox);

// Breaks a Mac Roman text into lines no wider than theWidth in the current port's font.
std::vector<std::string> WrapText(const std::string& theText, SInt16 theWidth);
SInt16 TextWidthOf(const std::string& theText);
// The distance between the baselines of wrapped lines in the current port's font.
SInt16 LineHeight();
// Controls draw their texts at this size.
constexpr SInt16 cTextSize = 12;

} // namespace toolbox_internal
