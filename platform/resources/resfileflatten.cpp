#include "MacMemory.h"
#include "Resources.h"
#include "resfilemodel.h"

#include <algorithm>
#include <new>

namespace resources_internal {

namespace {

void Put16(std::vector<UInt8>& theBytes, size_t theAt, UInt32 theValue)
{
    theBytes[theAt] = static_cast<UInt8>(theValue >> 8);
    theBytes[theAt + 1] = static_cast<UInt8>(theValue);
}

void Put24(std::vector<UInt8>& theBytes, size_t theAt, UInt32 theValue)
{
    theBytes[theAt] = static_cast<UInt8>(theValue >> 16);
    Put16(theBytes, theAt + 1, theValue);
}

void Put32(std::vector<UInt8>& theBytes, size_t theAt, UInt32 theValue)
{
    Put16(theBytes, theAt, theValue >> 16);
    Put16(theBytes, theAt + 2, theValue);
}

// Where everything goes: data in type and reference order, names in the same order.
struct Layout {
    UInt64 dataLength = 0;
    UInt64 mapLength = 0;
    UInt64 refCount = 0;
    UInt64 nameListOffset = 0;
};

OSErr ComputeLayout(const ResourceMap& theMap, Layout* theLayout)
{
    if (theMap.types.size() > 32767) return addResFailed;
    UInt64 theNames = 0;
    UInt64 theRefListOffset = 2 + theMap.types.size() * cTypeEntrySize;
    for (const ResourceTypeEntry& theType : theMap.types) {
        if (theType.resources.empty() || theType.resources.size() > 32767) return addResFailed;
        // Reference lists are found by 16-bit offsets from the type list.
        if (theRefListOffset > 0xFFFF) return addResFailed;
        theRefListOffset += theType.resources.size() * cRefEntrySize;
        for (const ResourceEntry& theEntry : theType.resources) {
            const UInt64 theDataSize = theEntry.data.size();
            if (theLayout->dataLength > 0xFFFFFF || theDataSize > 0xFFFFFFFFu) return addResFailed;
            theLayout->dataLength += 4 + theDataSize;
            if (theEntry.hasName) {
                // Readers take name offsets as signed.
                if (theNames > 0x7FFF || theEntry.name.size() > 255) return addResFailed;
                theNames += 1 + theEntry.name.size();
            }
            ++theLayout->refCount;
        }
    }
    theLayout->nameListOffset = cMapHeaderSize + theRefListOffset;
    if (theLayout->nameListOffset > 0xFFFF) return addResFailed;
    theLayout->mapLength = theLayout->nameListOffset + theNames;
    if (cDataStart + theLayout->dataLength + theLayout->mapLength > 0xFFFFFFFFu) return addResFailed;
    return noErr;
}

void WriteHeader(std::vector<UInt8>& theBytes, size_t theAt, const Layout& theLayout)
{
    Put32(theBytes, theAt, cDataStart);
    Put32(theBytes, theAt + 4, static_cast<UInt32>(cDataStart + theLayout.dataLength));
    Put32(theBytes, theAt + 8, static_cast<UInt32>(theLayout.dataLength));
    Put32(theBytes, theAt + 12, static_cast<UInt32>(theLayout.mapLength));
}

void WriteFile(const ResourceMap& theMap, const Layout& theLayout, std::vector<UInt8>& theBytes)
{
    const size_t theMapStart = cDataStart + theLayout.dataLength;
    WriteHeader(theBytes, 0, theLayout);
    WriteHeader(theBytes, theMapStart, theLayout);
    Put16(theBytes, theMapStart + 22, theMap.attributes & ~mapChanged);
    Put16(theBytes, theMapStart + 24, cMapHeaderSize);
    Put16(theBytes, theMapStart + 26, static_cast<UInt32>(theLayout.nameListOffset));

    const size_t theTypeList = theMapStart + cMapHeaderSize;
    Put16(theBytes, theTypeList, static_cast<UInt32>(theMap.types.size() - 1));
    size_t theTypeItem = theTypeList + 2;
    size_t theRef = theTypeItem + theMap.types.size() * cTypeEntrySize;
    size_t theData = cDataStart;
    size_t theName = theMapStart + theLayout.nameListOffset;
    for (const ResourceTypeEntry& theType : theMap.types) {
        Put32(theBytes, theTypeItem, theType.type);
        Put16(theBytes, theTypeItem + 4, static_cast<UInt32>(theType.resources.size() - 1));
        Put16(theBytes, theTypeItem + 6, static_cast<UInt32>(theRef - theTypeList));
        theTypeItem += cTypeEntrySize;
        for (const ResourceEntry& theEntry : theType.resources) {
            Put16(theBytes, theRef, static_cast<UInt16>(theEntry.id));
            if (theEntry.hasName) {
                Put16(theBytes, theRef + 2, static_cast<UInt32>(theName - theMapStart - theLayout.nameListOffset));
                theBytes[theName] = static_cast<UInt8>(theEntry.name.size());
                std::copy(theEntry.name.begin(), theEntry.name.end(), theBytes.begin() + theName + 1);
                theName += 1 + theEntry.name.size();
            } else {
                Put16(theBytes, theRef + 2, cNoName);
            }
            theBytes[theRef + 4] = static_cast<UInt8>(theEntry.attributes & ~resChanged);
            Put24(theBytes, theRef + 5, static_cast<UInt32>(theData - cDataStart));
            theRef += cRefEntrySize;

            Put32(theBytes, theData, static_cast<UInt32>(theEntry.data.size()));
            std::copy(theEntry.data.begin(), theEntry.data.end(), theBytes.begin() + theData + 4);
            theData += 4 + theEntry.data.size();
        }
    }
}

} // namespace

OSErr CheckResourceLayout(const ResourceMap& theMap)
{
    Layout theLayout;
    return ComputeLayout(theMap, &theLayout);
}

OSErr FlattenResourceFile(const ResourceMap& theMap, std::vector<UInt8>* theBytes)
{
    Layout theLayout;
    if (OSErr theErr = ComputeLayout(theMap, &theLayout)) return theErr;
    const UInt64 theSize = cDataStart + theLayout.dataLength + theLayout.mapLength;
    if (theSize > SIZE_MAX) return memFullErr;
    try {
        theBytes->assign(static_cast<size_t>(theSize), 0);
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
    WriteFile(theMap, theLayout, *theBytes);
    return noErr;
}

} // namespace resources_internal
