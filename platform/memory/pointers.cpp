#include "MacMemory.h"
#include "MemoryFaults.h"
#include "blockheader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace memory_internal {

namespace {
OSErr lgMemError = noErr;
long lgGoodAllocationsLeft = -1;
}

void SetMemError(OSErr theErr)
{
    lgMemError = theErr;
}

bool AllocationAllowed()
{
    if (lgGoodAllocationsLeft < 0) return true;
    if (lgGoodAllocationsLeft == 0) return false;
    --lgGoodAllocationsLeft;
    return true;
}

BlockHeader* HeaderOf(Ptr thePtr)
{
    BlockHeader* theHeader = reinterpret_cast<BlockHeader*>(thePtr) - 1;
    if (theHeader->magic != cPtrMagic) {
        std::fprintf(stderr, "Memory Manager: %p is not a block from NewPtr\n", static_cast<void*>(thePtr));
        std::abort();
    }
    return theHeader;
}

void SetFailureAfter(long theGoodCount)
{
    lgGoodAllocationsLeft = theGoodCount;
}

} // namespace memory_internal

using namespace memory_internal;

extern "C" {

void SetAllocationFailureAfter(long theGoodCount)
{
    SetFailureAfter(theGoodCount);
}

OSErr MemError(void)
{
    return lgMemError;
}

Ptr NewPtr(Size theSize)
{
    if (theSize < 0 || static_cast<unsigned long>(theSize) > SIZE_MAX - sizeof(BlockHeader) || !AllocationAllowed()) {
        SetMemError(memFullErr);
        return nullptr;
    }
    void* theBlock = std::malloc(sizeof(BlockHeader) + static_cast<size_t>(theSize));
    if (!theBlock) {
        SetMemError(memFullErr);
        return nullptr;
    }
    BlockHeader* theHeader = static_cast<BlockHeader*>(theBlock);
    theHeader->size = theSize;
    theHeader->magic = cPtrMagic;
    SetMemError(noErr);
    return reinterpret_cast<Ptr>(theHeader + 1);
}

Ptr NewPtrClear(Size theSize)
{
    Ptr thePtr = NewPtr(theSize);
    if (thePtr) std::memset(thePtr, 0, static_cast<size_t>(theSize));
    return thePtr;
}

void DisposePtr(Ptr thePtr)
{
    if (!thePtr) return;
    BlockHeader* theHeader = HeaderOf(thePtr);
    theHeader->magic = 0;
    std::free(theHeader);
    SetMemError(noErr);
}

Size GetPtrSize(Ptr thePtr)
{
    if (!thePtr) {
        SetMemError(nilHandleErr);
        return 0;
    }
    SetMemError(noErr);
    return HeaderOf(thePtr)->size;
}

void BlockMoveData(const void* theSource, void* theDest, Size theCount)
{
    if (theCount > 0) std::memmove(theDest, theSource, static_cast<size_t>(theCount));
}

} // extern "C"
