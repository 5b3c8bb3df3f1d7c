#include "QuickDraw.h"

namespace {
SInt32 lgRandomSeed = 1;
}

extern "C" {

// Park and Miller's minimal standard generator, reduced without a 64-bit division.
SInt16 Random(void)
{
    UInt64 theProduct = static_cast<UInt64>(static_cast<UInt32>(lgRandomSeed)) * 16807u;
    UInt32 theNext = static_cast<UInt32>((theProduct & 0x7FFFFFFF) + (theProduct >> 31));
    if (theNext >= 0x7FFFFFFFu) theNext -= 0x7FFFFFFFu;
    lgRandomSeed = static_cast<SInt32>(theNext);
    SInt16 theValue = static_cast<SInt16>(static_cast<UInt16>(theNext & 0xFFFF));
    return theValue == -32768 ? 0 : theValue;
}

SInt32 GetQDGlobalsRandomSeed(void)
{
    return lgRandomSeed;
}

void SetQDGlobalsRandomSeed(SInt32 randomSeed)
{
    lgRandomSeed = randomSeed;
}

} // extern "C"
