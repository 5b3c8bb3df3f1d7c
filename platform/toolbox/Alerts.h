// Standard alerts: a modal window with a headline, an explanation and up to three buttons.
#pragma once

#include "CFString.h"
#include "MacTypes.h"

typedef struct OpaqueDialogPtr* DialogRef;
typedef SInt16 DialogItemIndex;
typedef SInt16 AlertType;
typedef void* ModalFilterUPP;
typedef UInt32 OptionBits;

enum {
    kAlertStopAlert = 0,
    kAlertNoteAlert = 1,
    kAlertCautionAlert = 2,
    kAlertPlainAlert = 3
};

enum {
    kStdOkItemIndex = 1,
    kStdCancelItemIndex = 2,
    kAlertStdAlertOtherButton = 3
};

enum {
    kStdCFStringAlertVersionOne = 1,
    kWindowDefaultPosition = 0
};

struct AlertStdCFStringAlertParamRec {
    UInt32 version;
    Boolean movable;
    Boolean helpButton;
    CFStringRef defaultText;
    CFStringRef cancelText;
    CFStringRef otherText;
    SInt16 defaultButton;
    SInt16 cancelButton;
    UInt16 position;
    OptionBits flags;
};

extern "C" {

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamRec* param, UInt32 version);
// A null param gives one OK button with the platform's own label.
OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert);
// Runs the alert modally, disposes of it and reports the button pressed.
OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP filterProc, DialogItemIndex* outItemHit);

}
