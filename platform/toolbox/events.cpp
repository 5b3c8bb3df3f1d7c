// Event records and their parameters.
#include "toolboxrecords.h"

#include <cstring>
#include <map>
#include <vector>

struct OpaqueEventRef {
    UInt32 magic;
    UInt32 eventClass;
    UInt32 eventKind;
    long retainCount;
    std::map<EventParamName, std::pair<EventParamType, std::vector<UInt8>>> parameters;
};

namespace {

constexpr UInt32 cEventMagic = 0x45766e74; // "Evnt"
constexpr OSStatus cParamErr = -50;

EventRef CheckedEvent(EventRef theEvent)
{
    return theEvent && theEvent->magic == cEventMagic ? theEvent : nullptr;
}

} // namespace

extern "C" {

OSStatus CreateEvent(CFAllocatorRef, UInt32 inClassID, UInt32 inKind, EventTime, EventAttributes, EventRef* outEvent)
{
    if (!outEvent) return cParamErr;
    *outEvent = new OpaqueEventRef{cEventMagic, inClassID, inKind, 1, {}};
    return noErr;
}

EventRef RetainEvent(EventRef inEvent)
{
    if (EventRef theEvent = CheckedEvent(inEvent)) ++theEvent->retainCount;
    return inEvent;
}

void ReleaseEvent(EventRef inEvent)
{
    EventRef theEvent = CheckedEvent(inEvent);
    if (!theEvent || --theEvent->retainCount > 0) return;
    theEvent->magic = 0;
    delete theEvent;
}

UInt32 GetEventClass(EventRef inEvent)
{
    EventRef theEvent = CheckedEvent(inEvent);
    return theEvent ? theEvent->eventClass : 0;
}

UInt32 GetEventKind(EventRef inEvent)
{
    EventRef theEvent = CheckedEvent(inEvent);
    return theEvent ? theEvent->eventKind : 0;
}

OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType* outActualType, UInt32 inBufferSize, UInt32* outActualSize, void* outData)
{
    EventRef theEvent = CheckedEvent(inEvent);
    if (!theEvent) return cParamErr;
    auto theFound = theEvent->parameters.find(inName);
    if (theFound == theEvent->parameters.end()) return eventParameterNotFoundErr;
    const auto& [theType, theBytes] = theFound->second;
    if (inDesiredType != typeWildCard && inDesiredType != theType) return errAECoercionFail;
    if (outActualType) *outActualType = theType;
    if (outActualSize) *outActualSize = static_cast<UInt32>(theBytes.size());
    if (outData) std::memcpy(outData, theBytes.data(), std::min<size_t>(inBufferSize, theBytes.size()));
    return noErr;
}

OSStatus SetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inType, UInt32 inSize,
                           const void* inDataPtr)
{
    EventRef theEvent = CheckedEvent(inEvent);
    if (!theEvent || (inSize > 0 && !inDataPtr)) return cParamErr;
    const UInt8* theBytes = static_cast<const UInt8*>(inDataPtr);
    theEvent->parameters[inName] = {inType, std::vector<UInt8>(theBytes, theBytes + inSize)};
    return noErr;
}

} // extern "C"
