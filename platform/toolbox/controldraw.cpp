// Drawing of the window background and the standard controls.
#include "controldraw.h"

namespace toolbox_internal {

void DrawWindowBackground(WindowRef)
{
}

void EraseControlArea(WindowRef, const Rect&)
{
}

void DrawPushButton(ControlRef)
{
}

void DrawCheckBox(ControlRef)
{
}

void DrawPopupMenu(ControlRef)
{
}

void DrawSlider(ControlRef)
{
}

void DrawStaticText(ControlRef)
{
}

void DrawGroupBox(ControlRef)
{
}

void DrawAlertIcon(ControlRef)
{
}

void DrawSwatch(ControlRef)
{
}

void DrawTextField(ControlRef)
{
}

void DrawMenuList(ControlRef, const MenuLayout&, SInt16)
{
}

void DrawStandardControl(ControlRef theControl)
{
    switch (theControl->kind) {
    case ControlKind::PushButton: DrawPushButton(theControl); break;
    case ControlKind::CheckBox: DrawCheckBox(theControl); break;
    case ControlKind::PopupMenu: DrawPopupMenu(theControl); break;
    case ControlKind::Slider: DrawSlider(theControl); break;
    case ControlKind::StaticText: DrawStaticText(theControl); break;
    case ControlKind::GroupBox: DrawGroupBox(theControl); break;
    case ControlKind::AlertIcon: DrawAlertIcon(theControl); break;
    case ControlKind::Swatch: DrawSwatch(theControl); break;
    case ControlKind::TextField: DrawTextField(theControl); break;
    case ControlKind::Custom: break;
    }
}

} // namespace toolbox_internal
