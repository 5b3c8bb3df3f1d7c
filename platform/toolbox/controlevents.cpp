// Control events as the toolbox sends them: hit test, track, hit, draw, activate, and the
// command a control sends when it is hit.
#include "backend.h"
#include "modalloop.h"

using namespace toolbox_internal;

namespace {

// Pause of a button flash, in milliseconds.
constexpr int cFlashMilliseconds = 90;

EventRef NewControlEvent(ControlRef theControl, UInt32 theKind)
{
    EventRef theEvent = nullptr;
    CreateEvent(nullptr, kEventClassControl, theKind, 0, kEventAttributeNone, &theEvent);
    SetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, sizeof theControl, &theControl);
    return theEvent;
}

ControlPartCode PartOf(EventRef theEvent, ControlPartCode theDefault)
{
    ControlPartCode thePart = theDefault;
    GetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, nullptr, sizeof thePart, nullptr, &thePart);
    return thePart;
}

} // namespace

namespace toolbox_internal {

ControlPartCode SendControlHitTest(ControlRef theControl, Point theWhere, UInt32 theModifiers)
{
    EventRef theEvent = NewControlEvent(theControl, kEventControlHitTest);
    SetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, sizeof theWhere, &theWhere);
    SetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, sizeof theModifiers, &theModifiers);
    SendEventToEventTarget(theEvent, &theControl->target);
    ControlPartCode thePart = PartOf(theEvent, kControlNoPart);
    ReleaseEvent(theEvent);
    return thePart;
}

ControlPartCode SendControlTrack(ControlRef theControl, Point theWhere, UInt32 theModifiers, ControlPartCode thePart)
{
    EventRef theEvent = NewControlEvent(theControl, kEventControlTrack);
    SetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, sizeof theWhere, &theWhere);
    SetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, sizeof theModifiers, &theModifiers);
    SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof thePart, &thePart);
    ControlActionUPP theAction = theControl->action;
    SetEventParameter(theEvent, kEventParamControlAction, typeControlActionUPP, sizeof theAction, &theAction);
    SendEventToEventTarget(theEvent, &theControl->target);
    // A class that tracks by itself and says nothing about the part keeps the part pressed.
    thePart = PartOf(theEvent, thePart);
    ReleaseEvent(theEvent);
    return thePart;
}

void SendControlHit(ControlRef theControl, ControlPartCode thePart, UInt32 theModifiers)
{
    EventRef theEvent = NewControlEvent(theControl, kEventControlHit);
    SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof thePart, &thePart);
    SetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, sizeof theModifiers, &theModifiers);
    SendEventToEventTarget(theEvent, &theControl->target);
    ReleaseEvent(theEvent);
}

void SendControlSimpleEvent(ControlRef theControl, UInt32 theKind)
{
    EventRef theEvent = NewControlEvent(theControl, theKind);
    if (theKind == kEventControlDraw) {
        CGrafPtr thePort = theControl->owner->port;
        SetEventParameter(theEvent, kEventParamGrafPort, typeGrafPtr, sizeof thePort, &thePort);
    }
    SendEventToEventTarget(theEvent, &theControl->target);
    ReleaseEvent(theEvent);
}

OSStatus SendCommand(ControlRef theControl, WindowRef theWindow, UInt32 theCommand)
{
    HICommand theRecord{};
    theRecord.attributes = theControl ? kHICommandFromControl : kHICommandFromWindow;
    theRecord.commandID = theCommand;
    EventRef theEvent = nullptr;
    CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, kEventAttributeNone, &theEvent);
    SetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, sizeof theRecord, &theRecord);
    const UInt32 theOuterCommand = CommandInProgress();
    CommandInProgress() = theCommand;
    OSStatus theResult = SendEventToEventTarget(theEvent, theControl ? &theControl->target : &theWindow->target);
    CommandInProgress() = theOuterCommand;
    ReleaseEvent(theEvent);
    return theResult;
}

ControlPartCode ClickControl(ControlRef theControl, Point theWhere, UInt32 theModifiers, ControlPartCode thePart)
{
    if (!theControl->enabled || !theControl->active) return kControlNoPart;
    thePart = SendControlTrack(theControl, theWhere, theModifiers, thePart);
    if (thePart != kControlNoPart) SendControlHit(theControl, thePart, theModifiers);
    return thePart;
}

void PressButton(ControlRef theButton)
{
    if (!theButton->visible || !theButton->enabled || !theButton->active) return;
    HiliteControl(theButton, kControlButtonPart);
    if (theButton->owner->visible) CurrentBackend().Present(theButton->owner);
    CurrentBackend().Pause(cFlashMilliseconds);
    HiliteControl(theButton, kControlNoPart);
    SendControlHit(theButton, kControlButtonPart, 0);
}

} // namespace toolbox_internal
