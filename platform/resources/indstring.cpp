#include "MacMemory.h"
#include "Resources.h"
#include "strlist.h"

#include <cstring>

namespace resources_internal {

bool IndexedString(const UInt8* theList, size_t theSize, SInt32 theIndex, Str255 theString)
{
    theString[0] = 0;
    if (theSize < 2 || theIndex < 1 || theIndex > ((theList[0] << 8) | theList[1])) return false;
    size_t theAt = 2;
    for (SInt32 i = 1; i < theIndex; ++i) {
        if (theAt >= theSize) return false;
        theAt += 1 + theList[theAt];
    }
    if (theAt >= theSize || theAt + 1 + theList[theAt] > theSize) return false;
    std::memcpy(theString, theList + theAt, 1 + theList[theAt]);
    return true;
}

} // namespace resources_internal

extern "C" {

void GetIndString(Str255 theString, SInt16 strListID, SInt16 index)
{
    if (!theString) return;
    theString[0] = 0;
    Handle theList = GetResource(FOUR_CHAR_CODE("STR#"), strListID);
    if (!theList) return;
    resources_internal::IndexedString(reinterpret_cast<const UInt8*>(*theList), static_cast<size_t>(GetHandleSize(theList)),
                                      index, theString);
}

} // extern "C"
