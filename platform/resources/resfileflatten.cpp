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
            const UInt64 theDataSize = theEntry.DataSize();
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

// The map, which follows the data; theNewOffsets gets where each entry's data goes.
std::vector<UInt8> MapBytes(const ResourceMap& theMap, const Layout& theLayout, std::vector<UInt64>* theNewOffsets)
{
    std::vector<UInt8> theBytes(static_cast<size_t>(theLayout.mapLength), 0);
    WriteHeader(theBytes, 0, theLayout);
    Put16(theBytes, 22, theMap.attributes & ~mapChanged);
    Put16(theBytes, 24, cMapHeaderSize);
    Put16(theBytes, 26, static_cast<UInt32>(theLayout.nameListOffset));

    const size_t theTypeList = cMapHeaderSize;
    Put16(theBytes, theTypeList, static_cast<UInt32>(theMap.types.size() - 1));
    size_t theTypeItem = theTypeList + 2;
    size_t theRef = theTypeItem + theMap.types.size() * cTypeEntrySize;
    UInt64 theData = 0;
    size_t theName = static_cast<size_t>(theLayout.nameListOffset);
    for (const ResourceTypeEntry& theType : theMap.types) {
        Put32(theBytes, theTypeItem, theType.type);
        Put16(theBytes, theTypeItem + 4, static_cast<UInt32>(theType.resources.size() - 1));
        Put16(theBytes, theTypeItem + 6, static_cast<UInt32>(theRef - theTypeList));
        theTypeItem += cTypeEntrySize;
        for (const ResourceEntry& theEntry : theType.resources) {
            Put16(theBytes, theRef, static_cast<UInt16>(theEntry.id));
            if (theEntry.hasName) {
                Put16(theBytes, theRef + 2, static_cast<UInt32>(theName - theLayout.nameListOffset));
                theBytes[theName] = static_cast<UInt8>(theEntry.name.size());
                std::copy(theEntry.name.begin(), theEntry.name.end(), theBytes.begin() + static_cast<std::ptrdiff_t>(theName) + 1);
                theName += 1 + theEntry.name.size();
            } else {
                Put16(theBytes, theRef + 2, cNoName);
            }
            theBytes[theRef + 4] = static_cast<UInt8>(theEntry.attributes & ~resChanged);
            Put24(theBytes, theRef + 5, static_cast<UInt32>(theData));
            theRef += cRefEntrySize;
            theNewOffsets->push_back(cDataStart + theData + 4);
            theData += 4 + theEntry.DataSize();
        }
    }
    return theBytes;
}

// One entry's data, from memory or copied from the old file a piece at a time.
OSErr AppendData(const ResourceEntry& theEntry, const ReadAtFunction& theRead, const AppendFunction& theAppend)
{
    std::vector<UInt8> theLength(4);
    Put32(theLength, 0, static_cast<UInt32>(theEntry.DataSize()));
    if (OSErr theErr = theAppend(theLength.data(), theLength.size())) return theErr;
    if (theEntry.inMemory) return theAppend(theEntry.data.data(), theEntry.data.size());
    constexpr UInt64 cPiece = 1024 * 1024;
    std::vector<UInt8> thePiece(static_cast<size_t>(std::min<UInt64>(cPiece, theEntry.length)));
    for (UInt64 theDone = 0; theDone < theEntry.length;) {
        const size_t theSize = static_cast<size_t>(std::min<UInt64>(cPiece, theEntry.length - theDone));
        if (OSErr theErr = theRead(theEntry.fileOffset + theDone, theSize, thePiece.data())) return theErr;
        if (OSErr theErr = theAppend(thePiece.data(), theSize)) return theErr;
        theDone += theSize;
    }
    return noErr;
}

} // namespace

OSErr CheckResourceLayout(const ResourceMap& theMap)
{
    Layout theLayout;
    return ComputeLayout(theMap, &theLayout);
}

OSErr WriteResourceFile(const ResourceMap& theMap, const ReadAtFunction& theRead, const AppendFunction& theAppend,
                        std::vector<UInt64>* theNewOffsets)
{
    try {
        Layout theLayout;
        if (OSErr theErr = ComputeLayout(theMap, &theLayout)) return theErr;
        theNewOffsets->clear();
        const std::vector<UInt8> theMapBytes = MapBytes(theMap, theLayout, theNewOffsets);
        std::vector<UInt8> theHeader(cDataStart, 0);
        WriteHeader(theHeader, 0, theLayout);
        if (OSErr theErr = theAppend(theHeader.data(), theHeader.size())) return theErr;
        for (const ResourceTypeEntry& theType : theMap.types)
            for (const ResourceEntry& theEntry : theType.resources)
                if (OSErr theErr = AppendData(theEntry, theRead, theAppend)) return theErr;
        return theAppend(theMapBytes.data(), theMapBytes.size());
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
}

} // namespace resources_internal
