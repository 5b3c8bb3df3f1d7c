// Internal: the per-row loops of the three transitions, on native 32-bit words.
#pragma once

#include "MacTypes.h"

namespace pixelkernels {

// dest = threshold > frame ? left : right
void CrossRow(const UInt32* theLeft, const UInt32* theRight, const UInt32* theMap, UInt32* theDest, int theCount,
              SInt32 theFrame);
// dest = (threshold > frame ? fill : right) | alpha, where alpha is all ones in the alpha byte
void InRow(const UInt32* theRight, const UInt32* theMap, UInt32* theDest, int theCount, SInt32 theFrame, UInt32 theFill,
           UInt32 theAlpha);
// dest = (threshold < frame ? fill : left) | alpha
void OutRow(const UInt32* theLeft, const UInt32* theMap, UInt32* theDest, int theCount, SInt32 theFrame, UInt32 theFill,
            UInt32 theAlpha);

}
