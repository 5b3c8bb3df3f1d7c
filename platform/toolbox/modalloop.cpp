// Application-modal loops, input dispatch and mouse tracking.
#include "modalloop.h"

#include "ToolboxDisplay.h"

#include <cstdio>
#include <vector>

using namespace toolbox_internal;

namespace {

struct ModalFrame {
    WindowRef window;
    bool quit;
    UInt32 quitCommand;
};

std::vector<ModalFrame*> lgModalStack;
UInt32 lgCommandInProgress = 0;
UInt32 lgLastOutermostQuit = 0;
long lgInputRunOuts = 0;
Point lgLastMouse{0, 0};

void HandleMouseDown(WindowRef theWindow, Point theWhere, UInt32 theModifiers)
{
    lgLastMouse = theWhere;
    // The topmost control under the mouse that answers a part takes the click.
    for (size_t i = theWindow->controls.size(); i-- > 0;) {
        ControlRef theControl = theWindow->controls[i].get();
        if (!theControl->visible || !PtInRect(theWhere, &theControl->bounds)) continue;
        if (!theControl->enabled || !theControl->active) return;
        ControlPartCode thePart = SendControlHitTest(theControl, theWhere, theModifiers);
        if (thePart == kControlNoPart) continue;
        ClickControl(theControl, theWhere, theModifiers, thePart);
        return;
    }
}

void SendKey(WindowRef theWindow, UInt8 theChar, UInt32 theModifiers)
{
    EventRef theEvent = nullptr;
    CreateEvent(nullptr, kEventClassKeyboard, kEventRawKeyDown, 0, kEventAttributeNone, &theEvent);
    SetEventParameter(theEvent, kEventParamKeyMacCharCodes, typeChar, 1, &theChar);
    SetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, sizeof theModifiers, &theModifiers);
    SendEventToEventTarget(theEvent, &theWindow->target);
    ReleaseEvent(theEvent);
}

// Ends a loop that has no more input as if the user cancelled its window.
OSStatus EndStarvedLoop(ModalFrame& theFrame)
{
    ++lgInputRunOuts;
    std::fprintf(stderr, "Toolbox: no more input for the modal window \"%s\"; cancelling it\n",
                 theFrame.window->name.c_str());
    SendKey(theFrame.window, 0x1B, 0);
    if (theFrame.quit) return noErr;
    std::fprintf(stderr, "Toolbox: the modal window \"%s\" did not quit; ending its loop\n",
                 theFrame.window ? theFrame.window->name.c_str() : "");
    theFrame.quit = true;
    return kHeadlessInputRanOutErr;
}

} // namespace

namespace toolbox_internal {

WindowRef InnermostModalWindow()
{
    for (size_t i = lgModalStack.size(); i-- > 0;)
        if (lgModalStack[i]->window) return lgModalStack[i]->window;
    return nullptr;
}

void NoteWindowDisposed(WindowRef theWindow)
{
    for (ModalFrame* theFrame : lgModalStack)
        if (theFrame->window == theWindow) {
            theFrame->window = nullptr;
            theFrame->quit = true;
        }
}

WindowRef InputWindow(const InputEvent& theEvent)
{
    if (theEvent.window) return theEvent.window;
    if (WindowRef theModal = InnermostModalWindow()) return theModal;
    return FrontWindow();
}

void DispatchInput(const InputEvent& theEvent)
{
    if (theEvent.kind == InputEvent::Kind::Callback) {
        theEvent.callback(theEvent.callbackData);
        return;
    }
    WindowRef theWindow = InputWindow(theEvent);
    if (!theWindow) return;
    // While a modal loop runs, only its window takes input.
    WindowRef theModal = InnermostModalWindow();
    if (theModal && theWindow != theModal) return;
    switch (theEvent.kind) {
    case InputEvent::Kind::MouseDown: HandleMouseDown(theWindow, theEvent.where, theEvent.modifiers); break;
    case InputEvent::Kind::Key: SendKey(theWindow, theEvent.charCode, theEvent.modifiers); break;
    case InputEvent::Kind::Close: SendKey(theWindow, 0x1B, theEvent.modifiers); break;
    default: lgLastMouse = theEvent.where; break;
    }
}

long InputRunOuts()
{
    return lgInputRunOuts;
}

UInt32& CommandInProgress()
{
    return lgCommandInProgress;
}

} // namespace toolbox_internal

extern "C" {

OSStatus RunAppModalLoopForWindow(WindowRef inWindow)
{
    CheckedWindow(inWindow);
    ModalFrame theFrame{inWindow, false, 0};
    lgModalStack.push_back(&theFrame);
    OSStatus theResult = noErr;
    InputEvent theEvent;
    while (!theFrame.quit) {
        PresentAll();
        if (CurrentBackend().NextInput(theEvent))
            DispatchInput(theEvent);
        else
            theResult = EndStarvedLoop(theFrame);
    }
    lgModalStack.pop_back();
    if (lgModalStack.empty()) lgLastOutermostQuit = theFrame.quitCommand;
    return theResult;
}

OSStatus QuitAppModalLoopForWindow(WindowRef inWindow)
{
    CheckedWindow(inWindow);
    for (size_t i = lgModalStack.size(); i-- > 0;)
        if (lgModalStack[i]->window == inWindow) {
            lgModalStack[i]->quit = true;
            lgModalStack[i]->quitCommand = lgCommandInProgress;
            return noErr;
        }
    return errInvalidWindowRef;
}

OSStatus TrackMouseLocationWithOptions(GrafPtr, OptionBits, EventTimeout, Point* outPt, UInt32* outModifiers,
                                       MouseTrackingResult* outResult)
{
    InputEvent theEvent;
    for (;;) {
        PresentAll();
        if (!CurrentBackend().NextInput(theEvent)) {
            // Out of input: the button goes up where it last was.
            if (outPt) *outPt = lgLastMouse;
            if (outModifiers) *outModifiers = 0;
            if (outResult) *outResult = kMouseTrackingMouseUp;
            return noErr;
        }
        MouseTrackingResult theResult;
        switch (theEvent.kind) {
        case InputEvent::Kind::MouseDrag: theResult = kMouseTrackingMouseDragged; break;
        case InputEvent::Kind::MouseUp: theResult = kMouseTrackingMouseUp; break;
        case InputEvent::Kind::Close: theResult = kMouseTrackingMouseUp; theEvent.where = lgLastMouse; break;
        case InputEvent::Kind::Callback: theEvent.callback(theEvent.callbackData); continue;
        default: continue;
        }
        lgLastMouse = theEvent.where;
        if (outPt) *outPt = theEvent.where;
        if (outModifiers) *outModifiers = theEvent.modifiers;
        if (outResult) *outResult = theResult;
        return noErr;
    }
}

UInt32 GlintLastModalQuitCommand(void)
{
    return lgLastOutermostQuit;
}

OSStatus TrackMouseLocation(GrafPtr inPort, Point* outPt, MouseTrackingResult* outResult)
{
    return TrackMouseLocationWithOptions(inPort, 0, kEventDurationForever, outPt, nullptr, outResult);
}

} // extern "C"
