// Windows: creation from a description, showing, ordering and disposal.
#include "backend.h"
#include "controldraw.h"
#include "grafport.h"
#include "modalloop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

using namespace toolbox_internal;

namespace {

constexpr OSStatus cMemFullErr = -108;

std::set<WindowRef>& LiveWindows()
{
    static std::set<WindowRef>* lgWindows = new std::set<WindowRef>;
    return *lgWindows;
}

std::set<ControlRef>& LiveControls()
{
    static std::set<ControlRef>* lgControls = new std::set<ControlRef>;
    return *lgControls;
}

std::unique_ptr<OpaqueControlRef> NewControl(WindowRef theWindow, const ControlSpec& theSpec)
{
    auto theControl = std::make_unique<OpaqueControlRef>();
    theControl->magic = cControlMagic;
    theControl->kind = theSpec.kind;
    theControl->owner = theWindow;
    theControl->id = ControlID{theSpec.signature, theSpec.number};
    theControl->bounds = theSpec.bounds;
    theControl->title = theSpec.title;
    theControl->command = theSpec.command;
    theControl->minimum = theSpec.minimum;
    theControl->maximum = theSpec.maximum;
    theControl->value = std::clamp(theSpec.value, theSpec.minimum, theSpec.maximum);
    theControl->visible = theSpec.visible;
    theControl->enabled = theSpec.enabled;
    theControl->active = true;
    theControl->live = theSpec.live;
    theControl->bold = theSpec.bold;
    theControl->pressedPart = kControlNoPart;
    theControl->items = theSpec.items;
    theControl->keys = theSpec.keys;
    theControl->selStart = theControl->selEnd = static_cast<SInt16>(theSpec.title.size());
    theControl->toolboxClass = nullptr;
    theControl->action = nullptr;
    theControl->target = OpaqueEventTargetRef{TargetKind::Control, theControl.get(), {}};
    return theControl;
}

void MoveToFront(WindowRef theWindow)
{
    auto& theList = WindowList();
    theList.erase(std::find(theList.begin(), theList.end(), theWindow));
    theList.insert(theList.begin(), theWindow);
}

void ReleaseWindow(WindowRef theWindow)
{
    for (auto& theControl : theWindow->controls) {
        ForgetClassInstance(theControl.get());
        DisposeTargetHandlers(theControl->target);
        theControl->magic = 0;
        LiveControls().erase(theControl.get());
    }
    DisposeTargetHandlers(theWindow->target);
    quickdraw_internal::DisposePort(theWindow->port);
    auto& theList = WindowList();
    theList.erase(std::remove(theList.begin(), theList.end(), theWindow), theList.end());
    LiveWindows().erase(theWindow);
    theWindow->magic = 0;
    delete theWindow;
}

} // namespace

namespace toolbox_internal {

std::vector<WindowRef>& WindowList()
{
    static std::vector<WindowRef>* lgList = new std::vector<WindowRef>;
    return *lgList;
}

bool IsLiveWindow(WindowRef theWindow)
{
    return LiveWindows().count(theWindow) != 0;
}

bool IsLiveControl(ControlRef theControl)
{
    return LiveControls().count(theControl) != 0;
}

WindowRef CheckedWindow(WindowRef theWindow)
{
    if (!LiveWindows().count(theWindow)) {
        std::fprintf(stderr, "Toolbox: %p is not a window\n", static_cast<void*>(theWindow));
        std::abort();
    }
    return theWindow;
}

ControlRef CheckedControl(ControlRef theControl)
{
    if (!LiveControls().count(theControl)) {
        std::fprintf(stderr, "Toolbox: %p is not a control\n", static_cast<void*>(theControl));
        std::abort();
    }
    return theControl;
}

WindowRef NewToolboxWindow(const WindowSpec& theSpec, const std::string& theClassPrefix, OSStatus& outStatus)
{
    CGrafPtr thePort = quickdraw_internal::NewPortWithPixels(theSpec.width, theSpec.height);
    if (!thePort) {
        outStatus = cMemFullErr;
        return nullptr;
    }
    WindowRef theWindow = new OpaqueWindowPtr;
    theWindow->magic = cWindowMagic;
    theWindow->name = theSpec.name;
    theWindow->title = theSpec.title;
    theWindow->port = thePort;
    theWindow->visible = false;
    theWindow->target = OpaqueEventTargetRef{TargetKind::Window, theWindow, {}};
    theWindow->defaultButton = theWindow->cancelButton = theWindow->focus = nullptr;
    theWindow->native = nullptr;
    thePort->owner = theWindow;
    thePort->backColor = cWindowBackground;
    LiveWindows().insert(theWindow);
    WindowList().push_back(theWindow);

    for (const ControlSpec& theControlSpec : theSpec.controls) {
        std::unique_ptr<OpaqueControlRef> theControl = NewControl(theWindow, theControlSpec);
        if (theControlSpec.kind == ControlKind::Custom) {
            theControl->toolboxClass = FindToolboxClass(theClassPrefix + theControlSpec.classSuffix);
            if (!theControl->toolboxClass) {
                ReleaseWindow(theWindow);
                outStatus = hiObjectClassNotFoundErr;
                return nullptr;
            }
            ++theControl->toolboxClass->instances;
        }
        ControlRef theRef = theControl.get();
        LiveControls().insert(theRef);
        theWindow->controls.push_back(std::move(theControl));
        if (theRef->kind == ControlKind::PushButton) {
            if (theRef->command == kHICommandOK && !theWindow->defaultButton) theWindow->defaultButton = theRef;
            if (theRef->command == kHICommandCancel && !theWindow->cancelButton) theWindow->cancelButton = theRef;
        }
        if (theRef->kind == ControlKind::TextField && !theWindow->focus) theWindow->focus = theRef;
    }
    outStatus = noErr;
    return theWindow;
}

void DrawWindowContents(WindowRef theWindow)
{
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(theWindow->port, nullptr);
    DrawWindowBackground(theWindow);
    for (size_t i = 0; i < theWindow->controls.size(); ++i) {
        ControlRef theControl = theWindow->controls[i].get();
        if (theControl->visible) SendControlSimpleEvent(theControl, kEventControlDraw);
    }
    SetGWorld(theSavedPort, theSavedDevice);
}

void RedrawControl(ControlRef theControl)
{
    if (!theControl->visible || !theControl->owner->visible) return;
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(theControl->owner->port, nullptr);
    SendControlSimpleEvent(theControl, kEventControlDraw);
    SetGWorld(theSavedPort, theSavedDevice);
}

} // namespace toolbox_internal

extern "C" {

void ShowWindow(WindowRef window)
{
    CheckedWindow(window);
    const bool theWasVisible = window->visible;
    window->visible = true;
    MoveToFront(window);
    CurrentBackend().WindowShown(window);
    if (theWasVisible) return;
    for (auto& theControl : window->controls) SendControlSimpleEvent(theControl.get(), kEventControlActivate);
    DrawWindowContents(window);
}

void HideWindow(WindowRef window)
{
    CheckedWindow(window);
    if (!window->visible) return;
    window->visible = false;
    auto& theList = WindowList();
    theList.erase(std::find(theList.begin(), theList.end(), window));
    theList.push_back(window);
    CurrentBackend().WindowHidden(window);
}

Boolean IsWindowVisible(WindowRef window)
{
    return CheckedWindow(window)->visible;
}

void BringToFront(WindowRef window)
{
    CheckedWindow(window);
    if (!window->visible) return;
    MoveToFront(window);
    CurrentBackend().WindowShown(window);
}

void SelectWindow(WindowRef window)
{
    BringToFront(window);
}

void DisposeWindow(WindowRef window)
{
    if (!window) return;
    CheckedWindow(window);
    NoteWindowDisposed(window);
    if (window->visible) CurrentBackend().WindowHidden(window);
    ReleaseWindow(window);
}

WindowRef FrontWindow(void)
{
    for (WindowRef theWindow : WindowList())
        if (theWindow->visible) return theWindow;
    return nullptr;
}

CGrafPtr GetWindowPort(WindowRef window)
{
    return CheckedWindow(window)->port;
}

WindowRef GetWindowFromPort(CGrafPtr port)
{
    if (!port) return nullptr;
    WindowRef theWindow = static_cast<WindowRef>(quickdraw_internal::CheckedPort(port)->owner);
    return LiveWindows().count(theWindow) ? theWindow : nullptr;
}

Rect* GetWindowPortBounds(WindowRef window, Rect* bounds)
{
    return GetPortBounds(CheckedWindow(window)->port, bounds);
}

OSStatus SetWindowTitleWithCFString(WindowRef inWindow, CFStringRef inString)
{
    CheckedWindow(inWindow)->title = inString ? CFStringGetUTF8Pointer(inString) : "";
    CurrentBackend().WindowRetitled(inWindow);
    return noErr;
}

OSStatus CopyWindowTitleAsCFString(WindowRef inWindow, CFStringRef* outString)
{
    *outString = CFStringCreateWithCString(kCFAllocatorDefault, CheckedWindow(inWindow)->title.c_str(),
                                           kCFStringEncodingUTF8);
    return *outString ? OSStatus(noErr) : OSStatus(-4960);
}

void QDFlushPortBuffer(CGrafPtr port, RgnHandle)
{
    if (WindowRef theWindow = GetWindowFromPort(port))
        if (theWindow->visible) CurrentBackend().Present(theWindow);
}

} // extern "C"
