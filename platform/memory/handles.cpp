#include "MacMemory.h"
#include "blockheader.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace memory_internal;

namespace {

// The master pointer comes first, so a Handle is the address of the record itself.
struct HandleRecord {
    Ptr master;
    Size size;
    UInt32 magic;
    SInt8 state;
};

HandleRecord* RecordOf(Handle theHandle)
{
    HandleRecord* theRecord = reinterpret_cast<HandleRecord*>(theHandle);
    if (!theRecord || theRecord->magic != cHandleMagic) {
        std::fprintf(stderr, "Memory Manager: %p is not a handle from NewHandle\n", static_cast<void*>(theHandle));
        std::abort();
    }
    return theRecord;
}

Ptr AllocateData(Size theSize)
{
    // Zero-sized handles still get a distinct block so that the master pointer is never null.
    return static_cast<Ptr>(std::malloc(theSize > 0 ? static_cast<size_t>(theSize) : 1));
}

} // namespace

extern "C" {

Handle NewHandle(Size theSize)
{
    if (theSize < 0 || !AllocationAllowed()) {
        SetMemError(memFullErr);
        return nullptr;
    }
    HandleRecord* theRecord = static_cast<HandleRecord*>(std::malloc(sizeof(HandleRecord)));
    Ptr theData = theRecord ? AllocateData(theSize) : nullptr;
    if (!theData) {
        std::free(theRecord);
        SetMemError(memFullErr);
        return nullptr;
    }
    theRecord->master = theData;
    theRecord->size = theSize;
    theRecord->magic = cHandleMagic;
    theRecord->state = 0;
    SetMemError(noErr);
    return &theRecord->master;
}

Handle NewHandleClear(Size theSize)
{
    Handle theHandle = NewHandle(theSize);
    if (theHandle && theSize > 0) std::memset(*theHandle, 0, static_cast<size_t>(theSize));
    return theHandle;
}

void DisposeHandle(Handle theHandle)
{
    if (!theHandle) return;
    HandleRecord* theRecord = RecordOf(theHandle);
    std::free(theRecord->master);
    theRecord->magic = 0;
    std::free(theRecord);
    SetMemError(noErr);
}

Size GetHandleSize(Handle theHandle)
{
    if (!theHandle) {
        SetMemError(nilHandleErr);
        return 0;
    }
    SetMemError(noErr);
    return RecordOf(theHandle)->size;
}

void SetHandleSize(Handle theHandle, Size theSize)
{
    if (!theHandle) {
        SetMemError(nilHandleErr);
        return;
    }
    HandleRecord* theRecord = RecordOf(theHandle);
    if (theSize < 0 || !AllocationAllowed()) {
        SetMemError(memFullErr);
        return;
    }
    Ptr theData = static_cast<Ptr>(std::realloc(theRecord->master, theSize > 0 ? static_cast<size_t>(theSize) : 1));
    if (!theData) {
        SetMemError(memFullErr);
        return;
    }
    theRecord->master = theData;
    theRecord->size = theSize;
    SetMemError(noErr);
}

SInt8 HGetState(Handle theHandle)
{
    if (!theHandle) {
        SetMemError(nilHandleErr);
        return 0;
    }
    SetMemError(noErr);
    return RecordOf(theHandle)->state;
}

void HSetState(Handle theHandle, SInt8 theState)
{
    if (!theHandle) {
        SetMemError(nilHandleErr);
        return;
    }
    RecordOf(theHandle)->state = theState;
    SetMemError(noErr);
}

void HLock(Handle theHandle)
{
    if (!theHandle) {
        SetMemError(nilHandleErr);
        return;
    }
    RecordOf(theHandle)->state = static_cast<SInt8>(RecordOf(theHandle)->state | (1 << kHandleLockedBit));
    SetMemError(noErr);
}

void HUnlock(Handle theHandle)
{
    if (!theHandle) {
        SetMemError(nilHandleErr);
        return;
    }
    RecordOf(theHandle)->state = static_cast<SInt8>(RecordOf(theHandle)->state & ~(1 << kHandleLockedBit));
    SetMemError(noErr);
}

void HSetRBit(Handle theHandle)
{
    if (!theHandle) {
        SetMemError(nilHandleErr);
        return;
    }
    RecordOf(theHandle)->state = static_cast<SInt8>(RecordOf(theHandle)->state | (1 << kHandleIsResourceBit));
    SetMemError(noErr);
}

void HClrRBit(Handle theHandle)
{
    if (!theHandle) {
        SetMemError(nilHandleErr);
        return;
    }
    RecordOf(theHandle)->state = static_cast<SInt8>(RecordOf(theHandle)->state & ~(1 << kHandleIsResourceBit));
    SetMemError(noErr);
}

void MoveHHi(Handle theHandle)
{
    // Blocks never move in this heap; only the argument is checked.
    if (theHandle) RecordOf(theHandle);
    SetMemError(theHandle ? OSErr(noErr) : OSErr(nilHandleErr));
}

OSErr PtrToHand(const void* theSource, Handle* theDest, Size theSize)
{
    *theDest = NewHandle(theSize);
    if (!*theDest) return memFullErr;
    if (theSize > 0) std::memcpy(**theDest, theSource, static_cast<size_t>(theSize));
    return noErr;
}

} // extern "C"
