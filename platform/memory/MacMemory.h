// Memory Manager: nonrelocatable blocks (Ptr) and relocatable blocks (Handle).
#pragma once

#include "MacTypes.h"

enum {
    memFullErr = -108,
    nilHandleErr = -109,
    memWZErr = -111
};

// Handle state bits as HGetState reports them.
enum {
    kHandleIsResourceBit = 5,
    kHandlePurgeableBit = 6,
    kHandleLockedBit = 7
};

extern "C" {

Ptr NewPtr(Size theSize);
Ptr NewPtrClear(Size theSize);
void DisposePtr(Ptr thePtr);
Size GetPtrSize(Ptr thePtr);

Handle NewHandle(Size theSize);
Handle NewHandleClear(Size theSize);
void DisposeHandle(Handle theHandle);
Size GetHandleSize(Handle theHandle);
void SetHandleSize(Handle theHandle, Size theSize);
SInt8 HGetState(Handle theHandle);
void HSetState(Handle theHandle, SInt8 theState);
void HLock(Handle theHandle);
void HUnlock(Handle theHandle);
void MoveHHi(Handle theHandle);
// The resource bit of a handle's state; the Resource Manager sets it on the handles it owns.
void HSetRBit(Handle theHandle);
void HClrRBit(Handle theHandle);
OSErr PtrToHand(const void* theSource, Handle* theDest, Size theSize);

OSErr MemError(void);

void BlockMoveData(const void* theSource, void* theDest, Size theCount);

}
