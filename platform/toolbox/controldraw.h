// Internal: drawing of windows and the standard controls, one routine per kind. Each draws
// into the current port, which is the control's window, and leaves the port's state as it was.
#pragma once

#include "controlgeometry.h"

namespace toolbox_internal {

void DrawWindowBackground(WindowRef theWindow);
void EraseControlArea(WindowRef theWindow, const Rect& theArea);

void DrawPushButton(ControlRef theControl);
void DrawCheckBox(ControlRef theControl);
void DrawPopupMenu(ControlRef theControl);
void DrawSlider(ControlRef theControl);
void DrawStaticText(ControlRef theControl);
void DrawGroupBox(ControlRef theControl);
void DrawAlertIcon(ControlRef theControl);
void DrawSwatch(ControlRef theControl);
void DrawTextField(ControlRef theControl);
// By kind; custom controls draw themselves.
void DrawStandardControl(ControlRef theControl);

// A popup's open menu over its window, with theHover highlighted (0 for none).
void DrawMenuList(ControlRef thePopup, const MenuLayout& theLayout, SInt16 theHover);

} // namespace toolbox_internal
