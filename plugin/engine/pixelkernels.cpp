#include "pixelkernels.h"

#include <bit>

namespace {

// num1 sits at the cell's lower address.
constexpr int cNum1Shift = std::endian::native == std::endian::little ? 0 : 16;

// All ones where the pixel's threshold is above the frame number. A mask instead of a branch:
// thresholds are random, so a branch would mispredict on every other pixel.
inline UInt32 AboveMask(UInt32 theCell, SInt32 theFrame)
{
    return 0u - static_cast<UInt32>(static_cast<SInt32>((theCell >> cNum1Shift) & 0xFFFF) > theFrame);
}

inline UInt32 BelowMask(UInt32 theCell, SInt32 theFrame)
{
    return 0u - static_cast<UInt32>(static_cast<SInt32>((theCell >> cNum1Shift) & 0xFFFF) < theFrame);
}

} // namespace

// The loops read index c of every buffer before writing index c of dest, so dest may be one of
// the sources; ivdep tells the vectoriser that this same-index aliasing carries no dependence.
#if defined(__x86_64__) || defined(__i386__)
#define GLINT_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define GLINT_VECTOR_CLONES
#endif

namespace pixelkernels {

GLINT_VECTOR_CLONES void CrossRow(const UInt32* theLeft, const UInt32* theRight, const UInt32* theMap,
                                  UInt32* theDest, int theCount, SInt32 theFrame)
{
#pragma GCC ivdep
    for (int c = 0; c < theCount; ++c) {
        UInt32 theMask = AboveMask(theMap[c], theFrame);
        theDest[c] = (theLeft[c] & theMask) | (theRight[c] & ~theMask);
    }
}

GLINT_VECTOR_CLONES void InRow(const UInt32* theRight, const UInt32* theMap, UInt32* theDest, int theCount,
                               SInt32 theFrame, UInt32 theFill, UInt32 theAlpha)
{
#pragma GCC ivdep
    for (int c = 0; c < theCount; ++c) {
        UInt32 theMask = AboveMask(theMap[c], theFrame);
        theDest[c] = (theFill & theMask) | (theRight[c] & ~theMask) | theAlpha;
    }
}

GLINT_VECTOR_CLONES void OutRow(const UInt32* theLeft, const UInt32* theMap, UInt32* theDest, int theCount,
                                SInt32 theFrame, UInt32 theFill, UInt32 theAlpha)
{
#pragma GCC ivdep
    for (int c = 0; c < theCount; ++c) {
        UInt32 theMask = BelowMask(theMap[c], theFrame);
        theDest[c] = (theFill & theMask) | (theLeft[c] & ~theMask) | theAlpha;
    }
}

} // namespace pixelkernels
