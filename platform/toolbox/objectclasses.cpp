// Custom control classes, registered by identifier for the controls that interface files name.
#include "toolboxrecords.h"

#include <map>

using namespace toolbox_internal;

namespace {

constexpr OSStatus cParamErr = -50;

std::map<std::string, ToolboxObjectClassRef>& Classes()
{
    static std::map<std::string, ToolboxObjectClassRef>* lgClasses = new std::map<std::string, ToolboxObjectClassRef>;
    return *lgClasses;
}

} // namespace

namespace toolbox_internal {

ToolboxObjectClassRef FindToolboxClass(const std::string& theIdentifier)
{
    auto theFound = Classes().find(theIdentifier);
    return theFound == Classes().end() ? nullptr : theFound->second;
}

void ForgetClassInstance(ControlRef theControl)
{
    if (theControl->toolboxClass) --theControl->toolboxClass->instances;
    theControl->toolboxClass = nullptr;
}

} // namespace toolbox_internal

extern "C" {

OSStatus RegisterToolboxObjectClass(CFStringRef inClassID, ToolboxObjectClassRef, ItemCount inNumEvents,
                                    const EventTypeSpec* inEventList, EventHandlerUPP inEventHandler,
                                    void* inEventHandlerData, ToolboxObjectClassRef* outClassRef)
{
    if (!inClassID || !inEventHandler || (inNumEvents > 0 && !inEventList)) return cParamErr;
    std::string theIdentifier = CFStringGetUTF8Pointer(inClassID);
    if (theIdentifier.empty()) return cParamErr;
    if (FindToolboxClass(theIdentifier)) return hiObjectClassExistsErr;
    ToolboxObjectClassRef theClass = new OpaqueToolboxObjectClassRef{
        theIdentifier, std::vector<EventTypeSpec>(inEventList, inEventList + inNumEvents), inEventHandler,
        inEventHandlerData, 0};
    Classes()[theIdentifier] = theClass;
    if (outClassRef) *outClassRef = theClass;
    return noErr;
}

OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef inClassRef)
{
    if (!inClassRef || FindToolboxClass(inClassRef->identifier) != inClassRef) return cParamErr;
    if (inClassRef->instances > 0) return hiObjectClassHasInstancesErr;
    Classes().erase(inClassRef->identifier);
    delete inClassRef;
    return noErr;
}

} // extern "C"
