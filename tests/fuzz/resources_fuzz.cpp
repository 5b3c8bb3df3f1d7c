// Fuzz target: the resource file reader. Whatever it accepts must write back and read back
// the same, and every string of every 'STR#' list must be reachable without reading outside.
#include "Resources.h"
#include "resfilemodel.h"
#include "strlist.h"

#include <cstdlib>

using namespace resources_internal;

namespace {

bool SameMap(const ResourceMap& a, const ResourceMap& b)
{
    if ((a.attributes & ~mapChanged) != (b.attributes & ~mapChanged) || a.types.size() != b.types.size()) return false;
    for (size_t t = 0; t < a.types.size(); ++t) {
        const ResourceTypeEntry& theA = a.types[t];
        const ResourceTypeEntry& theB = b.types[t];
        if (theA.type != theB.type || theA.resources.size() != theB.resources.size()) return false;
        for (size_t r = 0; r < theA.resources.size(); ++r) {
            const ResourceEntry& x = theA.resources[r];
            const ResourceEntry& y = theB.resources[r];
            if (x.id != y.id || x.hasName != y.hasName || x.name != y.name || x.attributes != y.attributes || x.data != y.data)
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
