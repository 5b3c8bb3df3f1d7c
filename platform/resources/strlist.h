// Internal: reading one string of a 'STR#' list (a 16-bit count, then length-prefixed strings).
#pragma once

#include <stddef.h>
#include "MacTypes.h"

namespace resources_internal {

// False, and theString empty, when the list has no such string or is cut short.
bool IndexedString(const UInt8* theList, size_t theSize, SInt32 theIndex, Str255 theString);

}
