// The standard behaviour of each control kind and of windows, run at the end of an event's
// handler chain when no handler took the event.
#include "controldraw.h"
#include "modalloop.h"
#include "popupmenu.h"

using namespace toolbox_internal;

namespace {

ControlPartCode StandardHitTest(ControlRef theControl, Point theWhere)
{
    if (!PtInRect(theWhere, &theControl->bounds)) return kControlNoPart;
    switch (theControl->kind) {
    case ControlKind::PushButton: return kControlButtonPart;
    case ControlKind::CheckBox: return kControlCheckBoxPart;
    case ControlKind::PopupMenu: return kControlMenuPart;
    case ControlKind::Slider: return kControlIndicatorPart;
    case ControlKind::Custom:
    case ControlKind::TextField: return kControlContentPart;
    default: return kControlNoPart;
    }
}

// Buttons and their like: pressed while the mouse stays inside, hit when released inside.
ControlPartCode TrackPress(ControlRef theControl, ControlPartCode thePart)
{
    HiliteControl(theControl, thePart);
    Point thePoint;
    MouseTrackingResult theResult = kMouseTrackingMouseDown;
    bool theInside = true;
    while (theResult != kMouseTrackingMouseUp) {
        TrackMouseLocation(theControl->owner->port, &thePoint, &theResult);
        theInside = PtInRect(thePoint, &theControl->bounds);
        HiliteControl(theControl, theInside ? thePart : ControlPartCode(kControlNoPart));
    }
    HiliteControl(theControl, kControlNoPart);
    return theInside ? thePart : ControlPartCode(kControlNoPart);
}

void SetSliderValue(ControlRef theSlider, SInt32 theH)
{
    SInt32 theValue = SliderValueAt(theSlider, theH);
    if (theValue == theSlider->value) return;
    SetControl32BitValue(theSlider, theValue);
    if (theSlider->live && theSlider->action) theSlider->action(theSlider, kControlIndicatorPart);
}

// The thumb follows the mouse; grabbed off-centre, it keeps that offset.
ControlPartCode TrackSlider(ControlRef theSlider, Point theWhere)
{
    Rect theThumb = SliderThumb(theSlider);
    SInt32 theGrab = PtInRect(theWhere, &theThumb) ? theWhere.h - (theThumb.left + cThumbWidth / 2) : 0;
    HiliteControl(theSlider, kControlIndicatorPart);
    SetSliderValue(theSlider, theWhere.h - theGrab);
    Point thePoint;
    MouseTrackingResult theResult = kMouseTrackingMouseDown;
    while (theResult != kMouseTrackingMouseUp) {
        TrackMouseLocation(theSlider->owner->port, &thePoint, &theResult);
        if (theResult == kMouseTrackingMouseDragged || theResult == kMouseTrackingMouseUp)
            SetSliderValue(theSlider, thePoint.h - theGrab);
    }
    HiliteControl(theSlider, kControlNoPart);
    return kControlIndicatorPart;
}

ControlPartCode StandardTrack(ControlRef theControl, Point theWhere, ControlPartCode thePart)
{
    switch (theControl->kind) {
    case ControlKind::Slider: return TrackSlider(theControl, theWhere);
    case ControlKind::PopupMenu: return RunPopupMenu(theControl, theWhere) ? kControlMenuPart : kControlNoPart;
    case ControlKind::TextField:
        theControl->owner->focus = theControl;
        return kControlNoPart;
    default: return TrackPress(theControl, thePart);
    }
}

template <typename T>
T Parameter(EventRef theEvent, EventParamName theName, EventParamType theType, T theDefault)
{
    T theValue = theDefault;
    GetEventParameter(theEvent, theName, theType, nullptr, sizeof theValue, nullptr, &theValue);
    return theValue;
}

} // namespace

namespace toolbox_internal {

OSStatus StandardControlHandler(ControlRef theControl, EventRef theEvent)
{
    if (GetEventClass(theEvent) != kEventClassControl) return eventNotHandledErr;
    switch (GetEventKind(theEvent)) {
    case kEventControlDraw:
        DrawStandardControl(theControl);
        return noErr;
    case kEventControlHitTest: {
        Point theWhere = Parameter(theEvent, kEventParamMouseLocation, typeQDPoint, Point{-32768, -32768});
        ControlPartCode thePart = StandardHitTest(theControl, theWhere);
        SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof thePart, &thePart);
        return noErr;
    }
    case kEventControlTrack: {
        Point theWhere = Parameter(theEvent, kEventParamMouseLocation, typeQDPoint, Point{0, 0});
        ControlPartCode thePart = Parameter(theEvent, kEventParamControlPart, typeControlPartCode, kControlNoPart);
        thePart = StandardTrack(theControl, theWhere, thePart);
        SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof thePart, &thePart);
        return noErr;
    }
    case kEventControlHit:
        if (theControl->kind == ControlKind::CheckBox) SetControl32BitValue(theControl, theControl->value ? 0 : 1);
        if (theControl->command) SendCommand(theControl, theControl->owner, theControl->command);
        return noErr;
    case kEventControlActivate:
    case kEventControlDeactivate:
        RedrawControl(theControl);
        return noErr;
    default:
        return eventNotHandledErr;
    }
}

OSStatus StandardWindowHandler(WindowRef theWindow, EventRef theEvent)
{
    if (GetEventClass(theEvent) != kEventClassKeyboard || GetEventKind(theEvent) != kEventRawKeyDown)
        return eventNotHandledErr;
    UInt8 theChar = Parameter<UInt8>(theEvent, kEventParamKeyMacCharCodes, typeChar, 0);
    if ((theChar == '\r' || theChar == 0x03) && theWindow->defaultButton) {
        PressButton(theWindow->defaultButton);
        return noErr;
    }
    if (theChar == 0x1B) {
        if (theWindow->cancelButton)
            PressButton(theWindow->cancelButton);
        else
            SendCommand(nullptr, theWindow, kHICommandCancel);
        return noErr;
    }
    if (theChar == 0) return eventNotHandledErr;
    for (const std::unique_ptr<OpaqueControlRef>& theControl : theWindow->controls)
        if (theControl->kind == ControlKind::PushButton && theControl->keys.find(static_cast<char>(theChar)) != std::string::npos &&
            theControl->visible && theControl->enabled && theControl->active) {
            PressButton(theControl.get());
            return noErr;
        }
    return eventNotHandledErr;
}

} // namespace toolbox_internal
