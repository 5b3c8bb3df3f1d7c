// Fuzz target: the resource file reader. Whatever it accepts must write back and read back
// the same, and every string of every 'STR#' list must be reachable without reading outside.
#include "Resources.h"
#include "resfilemodel.h"
#include "strlist.h"

#include <cstdlib>

using namespace resources_internal;

namespace {

bool SameMap(const ResourceMap& theOne, const ResourceMap& theOther)
{
    if ((theOne.attributes & ~mapChanged) != (theOther.attributes & ~mapChanged) || theOne.types.size() != theOther.types.size())
        return false;
    for (size_t t = 0; t < theOne.types.size(); ++t) {
        const ResourceTypeEntry& theOneType = theOne.types[t];
        const ResourceTypeEntry& theOtherType = theOther.types[t];
        if (theOneType.type != theOtherType.type || theOneType.resources.size() != theOtherType.resources.size()) return false;
        for (size_t r = 0; r < theOneType.resources.size(); ++r) {
            const ResourceEntry& theFirst = theOneType.resources[r];
            const ResourceEntry& theSecond = theOtherType.resources[r];
            if (theFirst.id != theSecond.id || theFirst.hasName != theSecond.hasName || theFirst.name != theSecond.name ||
                theFirst.attributes != theSecond.attributes || theFirst.data != theSecond.data)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    ResourceMap theMap;
    if (ParseResourceFile(theData, theSize, &theMap) != noErr) return 0;

    std::vector<UInt8> theBytes;
    if (FlattenResourceFile(theMap, &theBytes) == noErr) {
        ResourceMap theAgain;
        if (ParseResourceFile(theBytes.data(), theBytes.size(), &theAgain) != noErr || !SameMap(theMap, theAgain)) std::abort();
    }

    for (const ResourceTypeEntry& theType : theMap.types) {
        if (theType.type != FOUR_CHAR_CODE("STR#")) continue;
        for (const ResourceEntry& theEntry : theType.resources) {
            Str255 theString;
            for (SInt32 i = 0; i <= 300 && (i < 2 || IndexedString(theEntry.data.data(), theEntry.data.size(), i - 1, theString)); ++i)
                IndexedString(theEntry.data.data(), theEntry.data.size(), i, theString);
        }
    }
    return 0;
}
