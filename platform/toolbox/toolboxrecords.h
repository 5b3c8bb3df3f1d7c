// Internal: the records behind the toolbox's opaque references, shared by its modules.
#pragma once

#include "CarbonEvents.h"
#include "Controls.h"
#include "MacWindows.h"
#include "interfacefile.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace toolbox_internal {

struct HandlerEntry {
    EventHandlerUPP proc;
    std::vector<EventTypeSpec> types;
    void* userData;
    EventHandlerRef ref;
};

enum class TargetKind { Application, Window, Control };

} // namespace toolbox_internal

struct OpaqueEventTargetRef {
    toolbox_internal::TargetKind kind;
    void* owner; // the window or control; null for the application
    std::vector<toolbox_internal::HandlerEntry> handlers; // most recently installed first
};

struct OpaqueEventHandlerRef {
    EventTargetRef target;
};

struct OpaqueToolboxObjectClassRef {
    std::string identifier;
    std::vector<EventTypeSpec> events;
    EventHandlerUPP handler;
    void* userData;
    long instances;
};

struct OpaqueControlRef {
    UInt32 magic;
    toolbox_internal::ControlKind kind;
    WindowRef owner;
    ControlID id;
    Rect bounds;
    std::string title; // Mac Roman
    UInt32 command;
    SInt32 minimum, maximum, value;
    bool visible, enabled, active, live, bold;
    ControlPartCode pressedPart;
    std::vector<std::string> items;
    std::string keys; // push button: character codes of the keys that press it
    SInt16 selStart, selEnd; // text field: the selection, or the caret where both are equal
    ToolboxObjectClassRef toolboxClass; // custom controls only
    ControlActionUPP action;
    OpaqueEventTargetRef target;
};

struct OpaqueWindowPtr {
    UInt32 magic;
    std::string name;
    std::string title; // UTF-8
    CGrafPtr port;
    bool visible;
    std::vector<std::unique_ptr<OpaqueControlRef>> controls; // drawing order: later ones on top
    OpaqueEventTargetRef target;
    ControlRef defaultButton; // pressed by Return
    ControlRef cancelButton;  // pressed by Escape
    ControlRef focus;         // the text field that takes typing, if any
    void* native;             // the backend's own window, while shown
};

namespace toolbox_internal {

constexpr UInt32 cWindowMagic = 0x57696e64;  // "Wind"
constexpr UInt32 cControlMagic = 0x436e746c; // "Cntl"

// The window's background, a light warm grey.
constexpr RGBColor cWindowBackground = {0xEEEE, 0xEDED, 0xEBEB};

// Aborts with a message on a reference that is not a live window or control: such a call is
// a programming error that must not go on to corrupt memory.
WindowRef CheckedWindow(WindowRef theWindow);
ControlRef CheckedControl(ControlRef theControl);
bool IsLiveWindow(WindowRef theWindow);
bool IsLiveControl(ControlRef theControl);

// Windows in front-to-back order; hidden ones at the end.
std::vector<WindowRef>& WindowList();

// Builds a hidden window from its description; custom classes are named by theClassPrefix
// followed by the suffix. Null with outStatus set on failure.
WindowRef NewToolboxWindow(const WindowSpec& theSpec, const std::string& theClassPrefix, OSStatus& outStatus);

// Draws the whole window into its port: background, then every visible control.
void DrawWindowContents(WindowRef theWindow);
// Redraws one control when it and its window are visible.
void RedrawControl(ControlRef theControl);

// Control event helpers: build the event, send it to the control, read the part back.
ControlPartCode SendControlHitTest(ControlRef theControl, Point theWhere, UInt32 theModifiers);
ControlPartCode SendControlTrack(ControlRef theControl, Point theWhere, UInt32 theModifiers, ControlPartCode thePart);
void SendControlHit(ControlRef theControl, ControlPartCode thePart, UInt32 theModifiers);
void SendControlSimpleEvent(ControlRef theControl, UInt32 theKind);
OSStatus SendCommand(ControlRef theControl, WindowRef theWindow, UInt32 theCommand);

// A click on a control: track it, then hit it when the release counts. Returns the part hit.
ControlPartCode ClickControl(ControlRef theControl, Point theWhere, UInt32 theModifiers, ControlPartCode thePart);
// What Return on the default button or a scripted answer does: press and release it at once.
void PressButton(ControlRef theButton);

// The standard behaviour of the control kinds, run when no handler took the event.
OSStatus StandardControlHandler(ControlRef theControl, EventRef theEvent);
// The standard behaviour of windows: Return and Escape press the default and cancel buttons, a
// button's own keys press it.
OSStatus StandardWindowHandler(WindowRef theWindow, EventRef theEvent);

void DisposeTargetHandlers(OpaqueEventTargetRef& theTarget);
void ForgetClassInstance(ControlRef theControl);
ToolboxObjectClassRef FindToolboxClass(const std::string& theIdentifier);

} // namespace toolbox_internal
