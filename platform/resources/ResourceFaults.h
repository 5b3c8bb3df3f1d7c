// Test hook: make resource file writes fail part way.
#pragma once

#include "MacTypes.h"

extern "C" {

// After theGoodSteps more successful steps of a file write (create, each write, sync, close,
// rename), the next step fails with ioErr. A negative count clears the hook.
void SetResourceWriteFailureAfter(long theGoodSteps);

}
