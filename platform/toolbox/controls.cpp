// Controls: lookup by signature and number, values, texts, visibility and highlighting.
#include "backend.h"
#include "controldraw.h"

#include <algorithm>
#include <cstring>

using namespace toolbox_internal;

namespace {

constexpr OSStatus cParamErr = -50;

bool HasText(ControlKind theKind)
{
    return theKind != ControlKind::Slider && theKind != ControlKind::Swatch && theKind != ControlKind::AlertIcon;
}

void ChangeValue(ControlRef theControl, SInt32 theValue)
{
    theValue = std::clamp(theValue, theControl->minimum, theControl->maximum);
    if (theValue == theControl->value) return;
    theControl->value = theValue;
    RedrawControl(theControl);
}

// Redraws what a hidden control leaves: the background and the controls it covered.
void RepairArea(ControlRef theHidden)
{
    WindowRef theWindow = theHidden->owner;
    if (!theWindow->visible) return;
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(theWindow->port, nullptr);
    EraseControlArea(theWindow, theHidden->bounds);
    Rect theOverlap;
    for (auto& theControl : theWindow->controls)
        if (theControl.get() != theHidden && theControl->visible &&
            SectRect(&theControl->bounds, &theHidden->bounds, &theOverlap))
            SendControlSimpleEvent(theControl.get(), kEventControlDraw);
    SetGWorld(theSavedPort, theSavedDevice);
}

} // namespace

extern "C" {

OSStatus GetControlByID(WindowRef inWindow, const ControlID* inID, ControlRef* outControl)
{
    if (!inID || !outControl) return cParamErr;
    *outControl = nullptr;
    for (auto& theControl : CheckedWindow(inWindow)->controls)
        if (theControl->id.signature == inID->signature && theControl->id.id == inID->id) {
            *outControl = theControl.get();
            return noErr;
        }
    return errUnknownControl;
}

OSStatus GetControlID(ControlRef inControl, ControlID* outID)
{
    *outID = CheckedControl(inControl)->id;
    return noErr;
}

WindowRef GetControlOwner(ControlRef inControl)
{
    return CheckedControl(inControl)->owner;
}

OSStatus GetControlCommandID(ControlRef inControl, UInt32* outCommandID)
{
    *outCommandID = CheckedControl(inControl)->command;
    return noErr;
}

OSStatus SetControlCommandID(ControlRef inControl, UInt32 inCommandID)
{
    CheckedControl(inControl)->command = inCommandID;
    return noErr;
}

SInt32 GetControl32BitValue(ControlRef theControl)
{
    return CheckedControl(theControl)->value;
}

void SetControl32BitValue(ControlRef theControl, SInt32 newValue)
{
    ChangeValue(CheckedControl(theControl), newValue);
}

SInt32 GetControl32BitMinimum(ControlRef theControl)
{
    return CheckedControl(theControl)->minimum;
}

void SetControl32BitMinimum(ControlRef theControl, SInt32 newMinimum)
{
    CheckedControl(theControl)->minimum = newMinimum;
    theControl->maximum = std::max(theControl->maximum, newMinimum);
    theControl->value = std::clamp(theControl->value, theControl->minimum, theControl->maximum);
    RedrawControl(theControl);
}

SInt32 GetControl32BitMaximum(ControlRef theControl)
{
    return CheckedControl(theControl)->maximum;
}

void SetControl32BitMaximum(ControlRef theControl, SInt32 newMaximum)
{
    CheckedControl(theControl)->maximum = newMaximum;
    theControl->minimum = std::min(theControl->minimum, newMaximum);
    theControl->value = std::clamp(theControl->value, theControl->minimum, theControl->maximum);
    RedrawControl(theControl);
}

OSErr SetControlData(ControlRef inControl, ControlPartCode, ResType inTagName, Size inSize, const void* inData)
{
    CheckedControl(inControl);
    if (inTagName == kControlEditTextSelectionTag && inControl->kind == ControlKind::TextField) {
        if (inSize != sizeof(ControlEditTextSelectionRec) || !inData) return cParamErr;
        ControlEditTextSelectionRec theSelection;
        std::memcpy(&theSelection, inData, sizeof theSelection);
        const SInt16 theLength = static_cast<SInt16>(inControl->title.size());
        inControl->selEnd = std::clamp<SInt16>(theSelection.selEnd, 0, theLength);
        inControl->selStart = std::clamp<SInt16>(theSelection.selStart, 0, inControl->selEnd);
        return noErr;
    }
    if (inTagName != kControlStaticTextTextTag || !HasText(inControl->kind)) return errDataNotSupported;
    if (inSize < 0 || (inSize > 0 && !inData)) return cParamErr;
    // Texts are drawn as Pascal strings: at most 255 characters.
    inControl->title.assign(static_cast<const char*>(inData), static_cast<size_t>(std::min<Size>(inSize, 255)));
    inControl->selStart = inControl->selEnd = static_cast<SInt16>(inControl->title.size());
    return noErr;
}

OSErr GetControlData(ControlRef inControl, ControlPartCode, ResType inTagName, Size inBufferSize, void* inBuffer,
                     Size* outActualSize)
{
    CheckedControl(inControl);
    if (inTagName == kControlEditTextSelectionTag && inControl->kind == ControlKind::TextField) {
        const ControlEditTextSelectionRec theSelection{inControl->selStart, inControl->selEnd};
        if (outActualSize) *outActualSize = sizeof theSelection;
        if (inBuffer && inBufferSize >= static_cast<Size>(sizeof theSelection)) std::memcpy(inBuffer, &theSelection, sizeof theSelection);
        return noErr;
    }
    if (inTagName != kControlStaticTextTextTag || !HasText(inControl->kind)) return errDataNotSupported;
    const std::string& theText = inControl->title;
    if (outActualSize) *outActualSize = static_cast<Size>(theText.size());
    if (inBuffer && inBufferSize > 0)
        std::memcpy(inBuffer, theText.data(), std::min(theText.size(), static_cast<size_t>(inBufferSize)));
    return noErr;
}

void Draw1Control(ControlRef theControl)
{
    RedrawControl(CheckedControl(theControl));
}

void ShowControl(ControlRef inControl)
{
    if (CheckedControl(inControl)->visible) return;
    inControl->visible = true;
    RedrawControl(inControl);
}

void HideControl(ControlRef inControl)
{
    if (!CheckedControl(inControl)->visible) return;
    inControl->visible = false;
    RepairArea(inControl);
}

Boolean IsControlVisible(ControlRef inControl)
{
    return CheckedControl(inControl)->visible;
}

Rect* GetControlBounds(ControlRef control, Rect* bounds)
{
    *bounds = CheckedControl(control)->bounds;
    return bounds;
}

UInt16 GetControlHilite(ControlRef control)
{
    CheckedControl(control);
    if (!control->enabled) return kControlDisabledPart;
    if (!control->active) return kControlInactivePart;
    return static_cast<UInt16>(control->pressedPart);
}

void HiliteControl(ControlRef theControl, ControlPartCode hiliteState)
{
    CheckedControl(theControl);
    if (hiliteState == kControlInactivePart) {
        (void)DeactivateControl(theControl);
        return;
    }
    if (hiliteState == theControl->pressedPart) return;
    theControl->pressedPart = hiliteState;
    RedrawControl(theControl);
}

OSErr ActivateControl(ControlRef inControl)
{
    if (CheckedControl(inControl)->active) return noErr;
    inControl->active = true;
    SendControlSimpleEvent(inControl, kEventControlActivate);
    return noErr;
}

OSErr DeactivateControl(ControlRef inControl)
{
    if (!CheckedControl(inControl)->active) return noErr;
    inControl->active = false;
    SendControlSimpleEvent(inControl, kEventControlDeactivate);
    return noErr;
}

Boolean IsControlActive(ControlRef inControl)
{
    return CheckedControl(inControl)->active;
}

OSStatus EnableControl(ControlRef inControl)
{
    if (CheckedControl(inControl)->enabled) return noErr;
    inControl->enabled = true;
    RedrawControl(inControl);
    return noErr;
}

OSStatus DisableControl(ControlRef inControl)
{
    if (!CheckedControl(inControl)->enabled) return noErr;
    inControl->enabled = false;
    RedrawControl(inControl);
    return noErr;
}

Boolean IsControlEnabled(ControlRef inControl)
{
    return CheckedControl(inControl)->enabled;
}

ControlActionUPP NewControlActionUPP(ControlActionProcPtr userRoutine)
{
    return userRoutine;
}

void DisposeControlActionUPP(ControlActionUPP)
{
}

void SetControlAction(ControlRef theControl, ControlActionUPP actionProc)
{
    CheckedControl(theControl)->action = actionProc;
}

ControlActionUPP GetControlAction(ControlRef theControl)
{
    return CheckedControl(theControl)->action;
}

} // extern "C"
