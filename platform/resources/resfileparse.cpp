#include "MacMemory.h"
#include "Resources.h"
#include "resfilemodel.h"

#include <algorithm>
#include <new>
#include <utility>

namespace resources_internal {

namespace {

UInt16 Read16(const UInt8* theBytes)
{
    return static_cast<UInt16>((theBytes[0] << 8) | theBytes[1]);
}

UInt32 Read24(const UInt8* theBytes)
{
    return (UInt32(theBytes[0]) << 16) | (UInt32(theBytes[1]) << 8) | theBytes[2];
}

UInt32 Read32(const UInt8* theBytes)
{
    return (UInt32(theBytes[0]) << 24) | (UInt32(theBytes[1]) << 16) | (UInt32(theBytes[2]) << 8) | theBytes[3];
}

// Half-open byte ranges, 64-bit so that no sum of 32-bit fields can wrap.
struct Span {
    UInt64 start;
    UInt64 end;
};

// True when two of theSpans share a byte.
bool AnyOverlap(std::vector<Span> theSpans)
{
    std::sort(theSpans.begin(), theSpans.end(), [](const Span& theOne, const Span& theOther) { return theOne.start < theOther.start; });
    for (size_t i = 1; i < theSpans.size(); ++i)
        if (theSpans[i].start < theSpans[i - 1].end) return true;
    return false;
}

template <typename T, typename Key>
bool HasDuplicates(const std::vector<T>& theItems, Key theKey)
{
    std::vector<decltype(theKey(theItems[0]))> theKeys;
    for (const T& theItem : theItems) theKeys.push_back(theKey(theItem));
    std::sort(theKeys.begin(), theKeys.end());
    return std::adjacent_find(theKeys.begin(), theKeys.end()) != theKeys.end();
}

struct FileView {
    const UInt8* data;
    UInt64 dataLength;
    const UInt8* map;
    UInt64 mapLength;
    UInt64 typeList;
    UInt64 nameList;
};

struct TypeItem {
    ResType type;
    UInt64 refList;
    UInt64 count;
};

OSErr ReadHeader(const UInt8* theBytes, UInt64 theSize, FileView* theView)
{
    if (theSize < cHeaderSize) return eofErr;
    const UInt64 theDataOffset = Read32(theBytes);
    const UInt64 theMapOffset = Read32(theBytes + 4);
    theView->dataLength = Read32(theBytes + 8);
    theView->mapLength = Read32(theBytes + 12);
    if (theDataOffset + theView->dataLength > theSize || theMapOffset + theView->mapLength > theSize) return eofErr;
    if (theDataOffset < cHeaderSize || theMapOffset < cHeaderSize) return mapReadErr;
    if (theView->dataLength > 0 && theDataOffset < theMapOffset + theView->mapLength &&
        theMapOffset < theDataOffset + theView->dataLength)
        return mapReadErr;
    if (theView->mapLength < cMapHeaderSize + 2) return mapReadErr;
    theView->data = theBytes + theDataOffset;
    theView->map = theBytes + theMapOffset;
    theView->typeList = Read16(theView->map + 24);
    theView->nameList = Read16(theView->map + 26);
    if (theView->typeList + 2 > theView->mapLength || theView->nameList > theView->mapLength) return mapReadErr;
    return noErr;
}

// The type list and the reference lists' places, checked before any reference is read, so that
// a damaged count cannot make the reader walk the same bytes over and over.
OSErr ReadTypeList(const FileView& theView, std::vector<TypeItem>* theItems)
{
    const SInt16 theTypesLessOne = static_cast<SInt16>(Read16(theView.map + theView.typeList));
    if (theTypesLessOne < -1) return mapReadErr;
    const UInt64 theTypeCount = UInt64(theTypesLessOne + 1);
    const UInt64 theListEnd = theView.typeList + 2 + theTypeCount * cTypeEntrySize;
    if (theListEnd > theView.mapLength) return mapReadErr;

    std::vector<Span> theParts{Span{theView.typeList, theListEnd}};
    for (UInt64 i = 0; i < theTypeCount; ++i) {
        const UInt8* theItem = theView.map + theView.typeList + 2 + i * cTypeEntrySize;
        TypeItem theType{Read32(theItem), theView.typeList + Read16(theItem + 6), UInt64(Read16(theItem + 4)) + 1};
        if (theType.count > 32767) return mapReadErr;
        const Span theRefs{theType.refList, theType.refList + theType.count * cRefEntrySize};
        if (theRefs.end > theView.mapLength) return mapReadErr;
        theParts.push_back(theRefs);
        theItems->push_back(theType);
    }
    if (AnyOverlap(theParts)) return mapReadErr;
    if (HasDuplicates(*theItems, [](const TypeItem& theItem) { return theItem.type; })) return mapReadErr;
    return noErr;
}

// Reads one reference; theDataSpan gets the bytes its data occupies, length word included.
OSErr ReadReference(const FileView& theView, const UInt8* theItem, ResourceEntry* theEntry, Span* theDataSpan)
{
    theEntry->id = static_cast<SInt16>(Read16(theItem));
    // Bits on disk say nothing about this session's changes.
    theEntry->attributes = static_cast<UInt8>(theItem[4] & ~resChanged);

    const UInt16 theNameOffset = Read16(theItem + 2);
    if (theNameOffset != cNoName) {
        const UInt64 theName = theView.nameList + theNameOffset;
        if (theName + 1 > theView.mapLength || theName + 1 + theView.map[theName] > theView.mapLength) return mapReadErr;
        theEntry->hasName = true;
        theEntry->name.assign(reinterpret_cast<const char*>(theView.map + theName + 1), theView.map[theName]);
    }

    const UInt64 theOffset = Read24(theItem + 5);
    if (theOffset + 4 > theView.dataLength) return mapReadErr;
    const UInt64 theLength = Read32(theView.data + theOffset);
    if (theOffset + 4 + theLength > theView.dataLength) return mapReadErr;
    *theDataSpan = Span{theOffset, theOffset + 4 + theLength};
    return noErr;
}

OSErr ReadMap(const UInt8* theBytes, size_t theSize, ResourceMap* theMap)
{
    FileView theView;
    if (OSErr theErr = ReadHeader(theBytes, theSize, &theView)) return theErr;
    std::vector<TypeItem> theItems;
    if (OSErr theErr = ReadTypeList(theView, &theItems)) return theErr;

    ResourceMap theResult;
    theResult.attributes = Read16(theView.map + 22);
    std::vector<Span> theDataSpans;
    for (const TypeItem& theItem : theItems) {
        ResourceTypeEntry theType;
        theType.type = theItem.type;
        for (UInt64 k = 0; k < theItem.count; ++k) {
            ResourceEntry theEntry;
            Span theSpan;
            if (OSErr theErr = ReadReference(theView, theView.map + theItem.refList + k * cRefEntrySize, &theEntry, &theSpan))
                return theErr;
            theDataSpans.push_back(theSpan);
            theType.resources.push_back(std::move(theEntry));
        }
        if (HasDuplicates(theType.resources, [](const ResourceEntry& theEntry) { return theEntry.id; })) return mapReadErr;
        theResult.types.push_back(std::move(theType));
    }
    // Data is copied only once no two entries share bytes, so the copies add up to at most the file.
    if (AnyOverlap(theDataSpans)) return mapReadErr;
    size_t theNext = 0;
    for (ResourceTypeEntry& theType : theResult.types) {
        for (ResourceEntry& theEntry : theType.resources) {
            const Span& theSpan = theDataSpans[theNext++];
            theEntry.data.assign(theView.data + theSpan.start + 4, theView.data + theSpan.end);
        }
    }
    *theMap = std::move(theResult);
    return noErr;
}

} // namespace

OSErr ParseResourceFile(const UInt8* theBytes, size_t theSize, ResourceMap* theMap)
{
    try {
        return ReadMap(theBytes, theSize, theMap);
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
}

} // namespace resources_internal
