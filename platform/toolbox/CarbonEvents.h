// Events: targets with handler chains, parameters, command events, control-class events,
// application-modal loops and mouse tracking.
#pragma once

#include "CFString.h"
#include "HIToolboxTypes.h"
#include "QuickDraw.h"

typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueToolboxObjectClassRef* ToolboxObjectClassRef;
typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent, void* inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;
typedef UInt32 EventParamName;
typedef UInt32 EventParamType;
typedef UInt16 MouseTrackingResult;
typedef UInt32 EventAttributes;

struct EventTypeSpec {
    UInt32 eventClass;
    UInt32 eventKind;
};

// The command record carried by command events: 14 bytes with 4-byte pointers.
#pragma pack(push, 2)
struct HICommand {
    UInt32 attributes;
    UInt32 commandID;
    struct {
        MenuRef menuRef;
        MenuItemIndex menuItemIndex;
    } menu;
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(HICommand) == 14, "HICommand is 14 bytes with 4-byte pointers");

enum : UInt32 {
    kEventClassMouse = FOUR_CHAR_CODE("mous"),
    kEventClassKeyboard = FOUR_CHAR_CODE("keyb"),
    kEventClassWindow = FOUR_CHAR_CODE("wind"),
    kEventClassCommand = FOUR_CHAR_CODE("cmds"),
    kEventClassControl = FOUR_CHAR_CODE("cntl")
};

enum : UInt32 {
    kEventCommandProcess = 1,
    kEventRawKeyDown = 1,
    kEventControlHit = 1,
    kEventControlSimulateHit = 2,
    kEventControlHitTest = 3,
    kEventControlDraw = 4,
    kEventControlActivate = 9,
    kEventControlDeactivate = 10,
    kEventControlTrack = 51,
    kEventControlValueFieldChanged = 151,
    kEventControlOwningWindowChanged = 159
};

enum : UInt32 {
    kEventParamDirectObject = FOUR_CHAR_CODE("----"),
    kEventParamMouseLocation = FOUR_CHAR_CODE("mloc"),
    kEventParamKeyModifiers = FOUR_CHAR_CODE("kmod"),
    kEventParamKeyMacCharCodes = FOUR_CHAR_CODE("kchr"),
    kEventParamControlPart = FOUR_CHAR_CODE("cprt"),
    kEventParamControlAction = FOUR_CHAR_CODE("caup"),
    kEventParamGrafPort = FOUR_CHAR_CODE("gprt")
};

enum : UInt32 {
    typeWildCard = FOUR_CHAR_CODE("****"),
    typeHICommand = FOUR_CHAR_CODE("hcmd"),
    typeControlRef = FOUR_CHAR_CODE("ctrl"),
    typeWindowRef = FOUR_CHAR_CODE("wind"),
    typeQDPoint = FOUR_CHAR_CODE("QDpt"),
    typeUInt32 = FOUR_CHAR_CODE("magn"),
    typeChar = FOUR_CHAR_CODE("TEXT"),
    typeControlPartCode = FOUR_CHAR_CODE("cprt"),
    typeControlActionUPP = FOUR_CHAR_CODE("caup"),
    typeGrafPtr = FOUR_CHAR_CODE("graf")
};

enum : UInt32 {
    kHICommandFromMenu = 1 << 0,
    kHICommandFromControl = 1 << 1,
    kHICommandFromWindow = 1 << 2
};

enum : UInt32 {
    kHICommandOK = FOUR_CHAR_CODE("ok  "),
    kHICommandCancel = FOUR_CHAR_CODE("not!"),
    kHICommandOther = FOUR_CHAR_CODE("othr")
};

enum : MouseTrackingResult {
    kMouseTrackingMouseDown = 1,
    kMouseTrackingMouseUp = 2,
    kMouseTrackingMouseExited = 3,
    kMouseTrackingMouseEntered = 4,
    kMouseTrackingMouseDragged = 5,
    kMouseTrackingKeyModifiersChanged = 6,
    kMouseTrackingUserCancelled = 7,
    kMouseTrackingTimedOut = 8,
    kMouseTrackingMouseMoved = 9
};

enum { kEventAttributeNone = 0 };

#define kEventDurationForever (-1.0)

extern "C" {

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine);
void DisposeEventHandlerUPP(EventHandlerUPP userUPP);

EventTargetRef GetApplicationEventTarget(void);
EventTargetRef GetWindowEventTarget(WindowRef inWindow);
EventTargetRef GetControlEventTarget(ControlRef inControl);

// The handler is called before the handlers installed earlier on the same target.
OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler, ItemCount inNumTypes,
                             const EventTypeSpec* inList, void* inUserData, EventHandlerRef* outRef);
OSStatus RemoveEventHandler(EventHandlerRef inHandlerRef);
// Runs the rest of the chain: later handlers, then the standard handling.
OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent);

OSStatus CreateEvent(CFAllocatorRef inAllocator, UInt32 inClassID, UInt32 inKind, EventTime inWhen,
                     EventAttributes inAttributes, EventRef* outEvent);
EventRef RetainEvent(EventRef inEvent);
void ReleaseEvent(EventRef inEvent);
UInt32 GetEventClass(EventRef inEvent);
UInt32 GetEventKind(EventRef inEvent);
// typeWildCard accepts any stored type; a different type fails with errAECoercionFail.
OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType* outActualType, UInt32 inBufferSize, UInt32* outActualSize,
                           void* outData);
OSStatus SetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inType, UInt32 inSize,
                           const void* inDataPtr);
// Command and keyboard events go on from a control to its window and the application.
OSStatus SendEventToEventTarget(EventRef inEvent, EventTargetRef inTarget);

// Custom control classes, named by identifier; interface files create controls of them.
OSStatus RegisterToolboxObjectClass(CFStringRef inClassID, ToolboxObjectClassRef inBaseClass, ItemCount inNumEvents,
                                    const EventTypeSpec* inEventList, EventHandlerUPP inEventHandler,
                                    void* inEventHandlerData, ToolboxObjectClassRef* outClassRef);
// Fails with hiObjectClassHasInstancesErr while controls of the class exist.
OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef inClassRef);

// Runs events for the window until QuitAppModalLoopForWindow; other windows get no clicks.
OSStatus RunAppModalLoopForWindow(WindowRef inWindow);
OSStatus QuitAppModalLoopForWindow(WindowRef inWindow);

// Waits for the next mouse movement or release; the location is local to the port.
OSStatus TrackMouseLocation(GrafPtr inPort, Point* outPt, MouseTrackingResult* outResult);
OSStatus TrackMouseLocationWithOptions(GrafPtr inPort, OptionBits inOptions, EventTimeout inTimeout, Point* outPt,
                                       UInt32* outModifiers, MouseTrackingResult* outResult);

}
