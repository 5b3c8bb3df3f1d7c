// Types shared by the window, control and event headers of the toolbox.
#pragma once

#include "MacTypes.h"

typedef struct OpaqueWindowPtr* WindowRef;
typedef WindowRef WindowPtr;
typedef struct OpaqueControlRef* ControlRef;
typedef struct OpaqueMenuRef* MenuRef;
typedef SInt16 ControlPartCode;
typedef UInt16 MenuItemIndex;
typedef UInt32 MenuCommand;
typedef unsigned long ItemCount;
typedef UInt32 OptionBits;
typedef double EventTime;
typedef EventTime EventTimeout;

enum {
    // Modifier bits of mouse and keyboard events
    activeFlag = 0x0001,
    btnState = 0x0080,
    cmdKey = 0x0100,
    shiftKey = 0x0200,
    alphaLock = 0x0400,
    optionKey = 0x0800,
    controlKey = 0x1000
};

enum {
    userCanceledErr = -128,
    errUnknownControl = -30584,
    errDataNotSupported = -30583,
    errWindowDoesNotHaveProxy = -5602,
    errInvalidWindowRef = -5600,
    eventNotHandledErr = -9874,
    eventParameterNotFoundErr = -9870,
    eventInternalErr = -9868,
    eventLoopTimedOutErr = -9875,
    errAECoercionFail = -1700,
    hiObjectClassExistsErr = -22080,
    hiObjectClassHasInstancesErr = -22081,
    hiObjectClassNotFoundErr = -22082
};
