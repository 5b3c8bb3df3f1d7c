// Fuzz target: the resource file reader. Whatever it accepts must write back and read back
// the same, and every string of every 'STR#' list must be reachable without reading outside.
#include "Resources.h"
#include "resfilemodel.h"
#include "strlist.h"

#include <cstdlib>
#include <cstring>

using namespace resources_internal;

namespace {

ReadAtFunction ReaderOf(const UInt8* theBytes, size_t theSize)
{
    return [theBytes, theSize](UInt64 theOffset, size_t theCount, UInt8* theInto) -> OSErr {
        if (theOffset > theSize || theCount > theSize - theOffset) return eofErr;
        if (theCount > 0) std::memcpy(theInto, theBytes + theOffset, theCount);
        return noErr;
    };
}

std::vector<UInt8> DataOf(const ResourceEntry& theEntry, const ReadAtFunction& theRead)
{
    std::vector<UInt8> theData(static_cast<size_t>(theEntry.DataSize()));
    if (theRead(theEntry.fileOffset, theData.size(), theData.data()) != noErr) std::abort(); // the reader checked it
    return theData;
}

bool SameMap(const ResourceMap& theOne, const ReadAtFunction& theOneRead, const ResourceMap& theOther,
             const ReadAtFunction& theOtherRead)
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
                theFirst.attributes != theSecond.attributes || DataOf(theFirst, theOneRead) != DataOf(theSecond, theOtherRead))
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    const ReadAtFunction theRead = ReaderOf(theData, theSize);
    ResourceMap theMap;
    if (ParseResourceFile(theSize, theRead, &theMap) != noErr) return 0;

    std::vector<UInt8> theBytes;
    std::vector<UInt64> theOffsets;
    const AppendFunction theAppend = [&](const UInt8* theNew, size_t theCount) {
        theBytes.insert(theBytes.end(), theNew, theNew + theCount);
        return OSErr(noErr);
    };
    if (WriteResourceFile(theMap, theRead, theAppend, &theOffsets) == noErr) {
        ResourceMap theAgain;
        const ReadAtFunction theReadAgain = ReaderOf(theBytes.data(), theBytes.size());
        if (ParseResourceFile(theBytes.size(), theReadAgain, &theAgain) != noErr || !SameMap(theMap, theRead, theAgain, theReadAgain))
            std::abort();
    }

    for (const ResourceTypeEntry& theType : theMap.types) {
        if (theType.type != FOUR_CHAR_CODE("STR#")) continue;
        for (const ResourceEntry& theEntry : theType.resources) {
            const std::vector<UInt8> theList = DataOf(theEntry, theRead);
            Str255 theString;
            for (SInt32 i = 0; i <= 300 && (i < 2 || IndexedString(theList.data(), theList.size(), i - 1, theString)); ++i)
                IndexedString(theList.data(), theList.size(), i, theString);
        }
    }
    return 0;
}
