// Event targets and their handler chains. A chain runs the target's handlers, most recently
// installed first; a handler that answers eventNotHandledErr passes the event on. Control events
// then reach the control's class and the standard behaviour of its kind; command and keyboard
// events go on to the window, the application and the window's standard behaviour.
#include "toolboxrecords.h"

#include <algorithm>

using namespace toolbox_internal;

namespace {

constexpr OSStatus cParamErr = -50;

struct ChainStep {
    EventHandlerUPP proc; // a handler, or null for the standard behaviour
    void* userData;       // the handler's data, or the window or control whose standard behaviour runs
    TargetKind standardKind;
};

} // namespace

struct OpaqueEventHandlerCallRef {
    const std::vector<ChainStep>* chain;
    size_t next;
};

namespace {

OpaqueEventTargetRef lgApplicationTarget{TargetKind::Application, nullptr, {}};

bool Handles(const std::vector<EventTypeSpec>& theTypes, EventRef theEvent)
{
    UInt32 theClass = GetEventClass(theEvent), theKind = GetEventKind(theEvent);
    return std::any_of(theTypes.begin(), theTypes.end(), [&](const EventTypeSpec& theType) {
        return theType.eventClass == theClass && theType.eventKind == theKind;
    });
}

void AddHandlers(std::vector<ChainStep>& theChain, EventTargetRef theTarget, EventRef theEvent)
{
    for (const HandlerEntry& theEntry : theTarget->handlers)
        if (Handles(theEntry.types, theEvent)) theChain.push_back({theEntry.proc, theEntry.userData, TargetKind::Application});
}

std::vector<ChainStep> BuildChain(EventTargetRef theTarget, EventRef theEvent)
{
    std::vector<ChainStep> theChain;
    const bool theGoesOn = GetEventClass(theEvent) != kEventClassControl;
    EventTargetRef theCurrent = theTarget;
    while (theCurrent) {
        AddHandlers(theChain, theCurrent, theEvent);
        EventTargetRef theParent = nullptr;
        if (theCurrent->kind == TargetKind::Control) {
            ControlRef theControl = static_cast<ControlRef>(theCurrent->owner);
            ToolboxObjectClassRef theClass = theControl->toolboxClass;
            if (theClass && Handles(theClass->events, theEvent))
                theChain.push_back({theClass->handler, theClass->userData, TargetKind::Application});
            if (theGoesOn && theControl->owner) theParent = &theControl->owner->target;
        } else if (theCurrent->kind == TargetKind::Window && theGoesOn) {
            theParent = &lgApplicationTarget;
        }
        theCurrent = theParent;
    }
    theChain.push_back({nullptr, theTarget->owner, theTarget->kind});
    return theChain;
}

OSStatus RunChain(const std::vector<ChainStep>& theChain, size_t theStart, EventRef theEvent)
{
    for (size_t i = theStart; i < theChain.size(); ++i) {
        const ChainStep& theStep = theChain[i];
        OSStatus theResult;
        if (theStep.proc) {
            OpaqueEventHandlerCallRef theCall{&theChain, i + 1};
            theResult = theStep.proc(&theCall, theEvent, theStep.userData);
        } else if (theStep.standardKind == TargetKind::Control) {
            // A handler earlier in the chain may have disposed of the control's window.
            ControlRef theControl = static_cast<ControlRef>(theStep.userData);
            theResult = IsLiveControl(theControl) ? StandardControlHandler(theControl, theEvent) : eventNotHandledErr;
        } else if (theStep.standardKind == TargetKind::Window) {
            WindowRef theWindow = static_cast<WindowRef>(theStep.userData);
            theResult = IsLiveWindow(theWindow) ? StandardWindowHandler(theWindow, theEvent) : eventNotHandledErr;
        } else {
            theResult = eventNotHandledErr;
        }
        if (theResult != eventNotHandledErr) return theResult;
    }
    return eventNotHandledErr;
}

} // namespace

extern "C" {

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine)
{
    return userRoutine;
}

void DisposeEventHandlerUPP(EventHandlerUPP)
{
}

EventTargetRef GetApplicationEventTarget(void)
{
    return &lgApplicationTarget;
}

EventTargetRef GetWindowEventTarget(WindowRef inWindow)
{
    return &CheckedWindow(inWindow)->target;
}

EventTargetRef GetControlEventTarget(ControlRef inControl)
{
    return &CheckedControl(inControl)->target;
}

OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler, ItemCount inNumTypes,
                             const EventTypeSpec* inList, void* inUserData, EventHandlerRef* outRef)
{
    if (!inTarget || !inHandler || (inNumTypes > 0 && !inList)) return cParamErr;
    EventHandlerRef theRef = new OpaqueEventHandlerRef{inTarget};
    inTarget->handlers.insert(inTarget->handlers.begin(),
                              HandlerEntry{inHandler, std::vector<EventTypeSpec>(inList, inList + inNumTypes), inUserData,
                                           theRef});
    if (outRef) *outRef = theRef;
    return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef inHandlerRef)
{
    if (!inHandlerRef) return cParamErr;
    auto& theHandlers = inHandlerRef->target->handlers;
    auto theFound = std::find_if(theHandlers.begin(), theHandlers.end(),
                                 [&](const HandlerEntry& theEntry) { return theEntry.ref == inHandlerRef; });
    if (theFound == theHandlers.end()) return cParamErr;
    theHandlers.erase(theFound);
    delete inHandlerRef;
    return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent)
{
    if (!inCallRef || !inCallRef->chain) return cParamErr;
    return RunChain(*inCallRef->chain, inCallRef->next, inEvent);
}

OSStatus SendEventToEventTarget(EventRef inEvent, EventTargetRef inTarget)
{
    if (!inEvent || !inTarget) return cParamErr;
    // The chain is copied first: a handler may dispose of the window whose handlers it lists.
    const std::vector<ChainStep> theChain = BuildChain(inTarget, inEvent);
    return RunChain(theChain, 0, inEvent);
}

} // extern "C"

namespace toolbox_internal {

// Handlers that go with a window or control when it is disposed of.
void DisposeTargetHandlers(OpaqueEventTargetRef& theTarget)
{
    for (HandlerEntry& theEntry : theTarget.handlers) delete theEntry.ref;
    theTarget.handlers.clear();
}

} // namespace toolbox_internal
