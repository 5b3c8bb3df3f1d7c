// Controls of a window, named by signature and number.
#pragma once

#include "HIToolboxTypes.h"
#include "QuickDraw.h"

struct ControlID {
    OSType signature;
    SInt32 id;
};

typedef void (*ControlActionProcPtr)(ControlRef theControl, ControlPartCode partCode);
typedef ControlActionProcPtr ControlActionUPP;

enum : ControlPartCode {
    kControlNoPart = 0,
    kControlEntireControl = 0,
    kControlContentPart = 1,
    kControlMenuPart = 2,
    kControlButtonPart = 10,
    kControlCheckBoxPart = 11,
    kControlIndicatorPart = 129,
    kControlDisabledPart = 254,
    kControlInactivePart = 255
};

enum : ResType {
    kControlStaticTextTextTag = FOUR_CHAR_CODE("text"),
    kControlEditTextTextTag = FOUR_CHAR_CODE("text"),
    kControlEditTextSelectionTag = FOUR_CHAR_CODE("sele")
};

// A text field's selection: the characters from selStart up to selEnd; the caret where both are equal.
struct ControlEditTextSelectionRec {
    SInt16 selStart;
    SInt16 selEnd;
};

extern "C" {

OSStatus GetControlByID(WindowRef inWindow, const ControlID* inID, ControlRef* outControl);
OSStatus GetControlID(ControlRef inControl, ControlID* outID);
WindowRef GetControlOwner(ControlRef inControl);
OSStatus GetControlCommandID(ControlRef inControl, UInt32* outCommandID);
OSStatus SetControlCommandID(ControlRef inControl, UInt32 inCommandID);

// Values stay within minimum and maximum; a change redraws the control.
SInt32 GetControl32BitValue(ControlRef theControl);
void SetControl32BitValue(ControlRef theControl, SInt32 newValue);
SInt32 GetControl32BitMinimum(ControlRef theControl);
void SetControl32BitMinimum(ControlRef theControl, SInt32 newMinimum);
SInt32 GetControl32BitMaximum(ControlRef theControl);
void SetControl32BitMaximum(ControlRef theControl, SInt32 newMaximum);

// The "text" tag: the title of a button, check box, group box or popup, the text of a static text
// or text field (whose caret then goes to the end). The "sele" tag: a text field's selection.
OSErr SetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inSize, const void* inData);
OSErr GetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inBufferSize,
                     void* inBuffer, Size* outActualSize);

void Draw1Control(ControlRef theControl);
void ShowControl(ControlRef inControl);
void HideControl(ControlRef inControl);
Boolean IsControlVisible(ControlRef inControl);
Rect* GetControlBounds(ControlRef control, Rect* bounds);

// The part being pressed, kControlInactivePart when deactivated, kControlDisabledPart when disabled.
UInt16 GetControlHilite(ControlRef control);
void HiliteControl(ControlRef theControl, ControlPartCode hiliteState);
OSErr ActivateControl(ControlRef inControl);
OSErr DeactivateControl(ControlRef inControl);
Boolean IsControlActive(ControlRef inControl);
OSStatus EnableControl(ControlRef inControl);
OSStatus DisableControl(ControlRef inControl);
Boolean IsControlEnabled(ControlRef inControl);

// Called while the user drags a live-tracking slider, with each new value set.
ControlActionUPP NewControlActionUPP(ControlActionProcPtr userRoutine);
void DisposeControlActionUPP(ControlActionUPP userUPP);
void SetControlAction(ControlRef theControl, ControlActionUPP actionProc);
ControlActionUPP GetControlAction(ControlRef theControl);

}
