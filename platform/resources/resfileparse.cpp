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
    UInt64 dataOffset;
    UInt64 dataLength;
    std::vector<UInt8> map; // as much of the map as any offset in it can reach
    UInt64 mapLength;
    UInt64 typeList;
    UInt64 nameList;
};

// No offset in a map reaches further: 16-bit list and name offsets, at most 32767 references
// of 12 bytes in one list, names of at most 255 bytes.
constexpr UInt64 cMapReach = 1024 * 1024;

struct TypeItem {
    ResType type;
    UInt64 refList;
    UInt64 count;
};

OSErr ReadHeader(UInt64 theSize, const ReadAtFunction& theRead, FileView* theView)
{
    if (theSize < cHeaderSize) return eofErr;
    UInt8 theHeader[cHeaderSize];
    if (OSErr theErr = theRead(0, cHeaderSize, theHeader)) return theErr;
    theView->dataOffset = Read32(theHeader);
    const UInt64 theMapOffset = Read32(theHeader + 4);
    theView->dataLength = Read32(theHeader + 8);
    theView->mapLength = Read32(theHeader + 12);
    if (theView->dataOffset + theView->dataLength > theSize || theMapOffset + theView->mapLength > theSize) return eofErr;
    if (theView->dataOffset < cHeaderSize || theMapOffset < cHeaderSize) return mapReadErr;
    if (theView->dataLength > 0 && theView->dataOffset < theMapOffset + theView->mapLength &&
        theMapOffset < theView->dataOffset + theView->dataLength)
        return mapReadErr;
    if (theView->mapLength < cMapHeaderSize + 2) return mapReadErr;
    theView->mapLength = std::min(theView->mapLength, cMapReach);
    theView->map.resize(static_cast<size_t>(theView->mapLength));
    if (OSErr theErr = theRead(theMapOffset, theView->map.size(), theView->map.data())) return theErr;
    theView->typeList = Read16(theView->map.data() + 24);
    theView->nameList = Read16(theView->map.data() + 26);
    if (theView->typeList + 2 > theView->mapLength || theView->nameList > theView->mapLength) return mapReadErr;
    return noErr;
}

// The type list and the reference lists' places, checked before any reference is read, so that
// a damaged count cannot make the reader walk the same bytes over and over.
OSErr ReadTypeList(const FileView& theView, std::vector<TypeItem>* theItems)
{
    const SInt16 theTypesLessOne = static_cast<SInt16>(Read16(theView.map.data() + theView.typeList));
    if (theTypesLessOne < -1) return mapReadErr;
    const UInt64 theTypeCount = UInt64(theTypesLessOne + 1);
    const UInt64 theListEnd = theView.typeList + 2 + theTypeCount * cTypeEntrySize;
    if (theListEnd > theView.mapLength) return mapReadErr;

    std::vector<Span> theParts{Span{theView.typeList, theListEnd}};
    for (UInt64 i = 0; i < theTypeCount; ++i) {
        const UInt8* theItem = theView.map.data() + theView.typeList + 2 + i * cTypeEntrySize;
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

// Reads one reference and its data's length; theDataSpan gets the bytes its data occupies in
// the data area, length word included.
OSErr ReadReference(const FileView& theView, const ReadAtFunction& theRead, const UInt8* theItem, ResourceEntry* theEntry,
                    Span* theDataSpan)
{
    theEntry->id = static_cast<SInt16>(Read16(theItem));
    // Bits on disk say nothing about this session's changes.
    theEntry->attributes = static_cast<UInt8>(theItem[4] & ~resChanged);

    const UInt16 theNameOffset = Read16(theItem + 2);
    if (theNameOffset != cNoName) {
        const UInt64 theName = theView.nameList + theNameOffset;
        if (theName + 1 > theView.mapLength || theName + 1 + theView.map[theName] > theView.mapLength) return mapReadErr;
        theEntry->hasName = true;
        theEntry->name.assign(reinterpret_cast<const char*>(theView.map.data() + theName + 1), theView.map[theName]);
    }

    const UInt64 theOffset = Read24(theItem + 5);
    if (theOffset + 4 > theView.dataLength) return mapReadErr;
    UInt8 theLengthWord[4];
    if (OSErr theErr = theRead(theView.dataOffset + theOffset, 4, theLengthWord)) return theErr;
    const UInt64 theLength = Read32(theLengthWord);
    if (theOffset + 4 + theLength > theView.dataLength) return mapReadErr;
    theEntry->fileOffset = theView.dataOffset + theOffset + 4;
    theEntry->length = static_cast<UInt32>(theLength);
    *theDataSpan = Span{theOffset, theOffset + 4 + theLength};
    return noErr;
}

OSErr ReadMap(UInt64 theSize, const ReadAtFunction& theRead, ResourceMap* theMap)
{
    FileView theView;
    if (OSErr theErr = ReadHeader(theSize, theRead, &theView)) return theErr;
    std::vector<TypeItem> theItems;
    if (OSErr theErr = ReadTypeList(theView, &theItems)) return theErr;

    ResourceMap theResult;
    theResult.attributes = Read16(theView.map.data() + 22);
    std::vector<Span> theDataSpans;
    for (const TypeItem& theItem : theItems) {
        ResourceTypeEntry theType;
        theType.type = theItem.type;
        for (UInt64 k = 0; k < theItem.count; ++k) {
            ResourceEntry theEntry;
            Span theSpan;
            if (OSErr theErr = ReadReference(theView, theRead, theView.map.data() + theItem.refList + k * cRefEntrySize, &theEntry,
                                             &theSpan))
                return theErr;
            theDataSpans.push_back(theSpan);
            theType.resources.push_back(std::move(theEntry));
        }
        if (HasDuplicates(theType.resources, [](const ResourceEntry& theEntry) { return theEntry.id; })) return mapReadErr;
        theResult.types.push_back(std::move(theType));
    }
    // No two entries share bytes, so that all the data adds up to at most the file.
    if (AnyOverlap(theDataSpans)) return mapReadErr;
    *theMap = std::move(theResult);
    return noErr;
}

} // namespace

OSErr ParseResourceFile(UInt64 theSize, const ReadAtFunction& theRead, ResourceMap* theMap)
{
    try {
        return ReadMap(theSize, theRead, theMap);
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
}

} // namespace resources_internal
