// Internal: every block carries its size in front of the caller's bytes.
#pragma once

#include <cstddef>
#include "MacTypes.h"

namespace memory_internal {

constexpr UInt32 cPtrMagic = 0x50747221;    // "Ptr!"
constexpr UInt32 cHandleMagic = 0x486e6421; // "Hnd!"

struct alignas(std::max_align_t) BlockHeader {
    Size size;
    UInt32 magic;
};

void SetMemError(OSErr theErr);
bool AllocationAllowed();
BlockHeader* HeaderOf(Ptr thePtr);

}
