// Test hook: make the Memory Manager refuse allocations.
#pragma once

#include "MacTypes.h"

extern "C" {

// After theGoodCount more successful allocations (NewPtr, NewHandle and the calls built on
// them), every allocation fails with memFullErr until the hook is cleared with a negative count.
void SetAllocationFailureAfter(long theGoodCount);

}
