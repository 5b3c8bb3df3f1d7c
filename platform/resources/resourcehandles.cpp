#include "MacMemory.h"
#include "Resources.h"
#include "resfilechain.h"

#include <climits>
#include <cstring>
#include <new>

using namespace resources_internal;

namespace {

ResourceTypeEntry* TypeIn(OpenResourceFile* theFile, ResType theType)
{
    if (!theFile) return nullptr;
    for (ResourceTypeEntry& theEntry : theFile->map.types)
        if (theEntry.type == theType) return &theEntry;
    return nullptr;
}

ResourceEntry* EntryIn(OpenResourceFile* theFile, ResType theType, SInt16 theID)
{
    ResourceTypeEntry* theTypeEntry = TypeIn(theFile, theType);
    if (!theTypeEntry) return nullptr;
    for (ResourceEntry& theEntry : theTypeEntry->resources)
        if (theEntry.id == theID) return &theEntry;
    return nullptr;
}

// The entry's handle, made from its data the first time.
Handle LoadEntry(const OpenResourceFile* theFile, ResourceEntry* theEntry)
{
    if (!theEntry->handle) {
        if (theEntry->DataSize() > static_cast<UInt64>(LONG_MAX)) {
            SetResError(memFullErr);
            return nullptr;
        }
        Handle theHandle = NewHandle(static_cast<Size>(theEntry->DataSize()));
        if (!theHandle) {
            SetResError(memFullErr);
            return nullptr;
        }
        if (OSErr theErr = LoadEntryData(*theFile, *theEntry, reinterpret_cast<UInt8*>(*theHandle))) {
            DisposeHandle(theHandle);
            SetResError(theErr);
            return nullptr;
        }
        HSetRBit(theHandle);
        theEntry->handle = theHandle;
    }
    SetResError(noErr);
    return theEntry->handle;
}

Handle LoadFrom(const OpenResourceFile* theFile, ResourceEntry* theEntry)
{
    if (!theEntry) {
        SetResError(resNotFound);
        return nullptr;
    }
    return LoadEntry(theFile, theEntry);
}

bool MayChange(const OpenResourceFile* theFile)
{
    return theFile && theFile->writable && !(theFile->map.attributes & mapReadOnly);
}

} // namespace

extern "C" {

Handle GetResource(ResType theType, SInt16 theID)
{
    for (OpenResourceFile* theFile : SearchOrder())
        if (ResourceEntry* theEntry = EntryIn(theFile, theType, theID)) return LoadEntry(theFile, theEntry);
    SetResError(resNotFound);
    return nullptr;
}

Handle Get1Resource(ResType theType, SInt16 theID)
{
    return LoadFrom(CurrentFile(), EntryIn(CurrentFile(), theType, theID));
}

SInt16 Count1Types(void)
{
    OpenResourceFile* theFile = CurrentFile();
    SetResError(theFile ? OSErr(noErr) : OSErr(resFNotFound));
    return theFile ? static_cast<SInt16>(theFile->map.types.size()) : 0;
}

void Get1IndType(ResType* theType, SInt16 index)
{
    OpenResourceFile* theFile = CurrentFile();
    if (!theType) return;
    *theType = 0;
    if (!theFile || index < 1 || static_cast<size_t>(index) > theFile->map.types.size()) {
        SetResError(resNotFound);
        return;
    }
    *theType = theFile->map.types[index - 1].type;
    SetResError(noErr);
}

SInt16 Count1Resources(ResType theType)
{
    ResourceTypeEntry* theEntry = TypeIn(CurrentFile(), theType);
    SetResError(noErr);
    return theEntry ? static_cast<SInt16>(theEntry->resources.size()) : 0;
}

Handle Get1IndResource(ResType theType, SInt16 index)
{
    ResourceTypeEntry* theEntry = TypeIn(CurrentFile(), theType);
    if (!theEntry || index < 1 || static_cast<size_t>(index) > theEntry->resources.size()) return LoadFrom(nullptr, nullptr);
    return LoadEntry(CurrentFile(), &theEntry->resources[index - 1]);
}

void GetResInfo(Handle theResource, SInt16* theID, ResType* theType, Str255 name)
{
    const EntryPlace thePlace = FindEntryOfHandle(theResource);
    if (!thePlace.entry) {
        SetResError(resNotFound);
        return;
    }
    if (theID) *theID = thePlace.entry->id;
    if (theType) *theType = thePlace.type->type;
    if (name) {
        name[0] = static_cast<UInt8>(thePlace.entry->name.size());
        std::memcpy(name + 1, thePlace.entry->name.data(), thePlace.entry->name.size());
    }
    SetResError(noErr);
}

SInt16 GetResAttrs(Handle theResource)
{
    const EntryPlace thePlace = FindEntryOfHandle(theResource);
    SetResError(thePlace.entry ? OSErr(noErr) : OSErr(resNotFound));
    return thePlace.entry ? thePlace.entry->attributes : 0;
}

void SetResAttrs(Handle theResource, SInt16 attrs)
{
    const EntryPlace thePlace = FindEntryOfHandle(theResource);
    if (!thePlace.entry) {
        SetResError(resNotFound);
        return;
    }
    // Changing attributes changes the map; resChanged itself is set only by adding.
    thePlace.entry->attributes = static_cast<UInt8>((attrs & ~resChanged) | (thePlace.entry->attributes & resChanged));
    thePlace.file->changed = true;
    SetResError(noErr);
}

void AddResource(Handle theData, ResType theType, SInt16 theID, ConstStr255Param name)
{
    OpenResourceFile* theFile = CurrentFile();
    if (!theData || !MayChange(theFile) || FindEntryOfHandle(theData).entry || (HGetState(theData) & (1 << kHandleIsResourceBit)) ||
        EntryIn(theFile, theType, theID)) {
        SetResError(addResFailed);
        return;
    }
    ResourceEntry theEntry;
    theEntry.id = theID;
    theEntry.hasName = name && name[0] > 0;
    if (theEntry.hasName) theEntry.name.assign(reinterpret_cast<const char*>(name + 1), name[0]);
    theEntry.attributes = resChanged;
    theEntry.handle = theData;
    try {
        // Held from the start, so that the layout check sees the new data's size.
        theEntry.data.assign(reinterpret_cast<UInt8*>(*theData), reinterpret_cast<UInt8*>(*theData) + GetHandleSize(theData));
        theEntry.inMemory = true;
        ResourceTypeEntry* theTypeEntry = TypeIn(theFile, theType);
        if (!theTypeEntry) {
            theFile->map.types.push_back(ResourceTypeEntry{theType, {}});
            theTypeEntry = &theFile->map.types.back();
        }
        theTypeEntry->resources.push_back(std::move(theEntry));
        if (CheckResourceLayout(theFile->map) != noErr) {
            // Too much for the format's offsets: undo.
            theTypeEntry->resources.pop_back();
            if (theTypeEntry->resources.empty()) theFile->map.types.pop_back();
            SetResError(addResFailed);
            return;
        }
    } catch (const std::bad_alloc&) {
        SetResError(memFullErr);
        return;
    }
    HSetRBit(theData);
    theFile->changed = true;
    SetResError(noErr);
}

void RemoveResource(Handle theResource)
{
    const EntryPlace thePlace = FindEntryOfHandle(theResource);
    if (!thePlace.entry || thePlace.file != CurrentFile() || !MayChange(thePlace.file) ||
        (thePlace.entry->attributes & resProtected)) {
        SetResError(rmvResFailed);
        return;
    }
    std::vector<ResourceEntry>& theList = thePlace.type->resources;
    theList.erase(theList.begin() + (thePlace.entry - theList.data()));
    if (theList.empty()) {
        std::vector<ResourceTypeEntry>& theTypes = thePlace.file->map.types;
        theTypes.erase(theTypes.begin() + (thePlace.type - theTypes.data()));
    }
    HClrRBit(theResource);
    thePlace.file->changed = true;
    SetResError(noErr);
}

void ReleaseResource(Handle theResource)
{
    const EntryPlace thePlace = FindEntryOfHandle(theResource);
    if (!thePlace.entry) {
        SetResError(resNotFound);
        return;
    }
    // An added resource not yet written keeps its bytes in the map.
    if (thePlace.entry->attributes & resChanged) {
        const Size theSize = GetHandleSize(theResource);
        try {
            thePlace.entry->data.assign(reinterpret_cast<UInt8*>(*theResource), reinterpret_cast<UInt8*>(*theResource) + theSize);
            thePlace.entry->inMemory = true;
        } catch (const std::bad_alloc&) {
            SetResError(memFullErr);
            return;
        }
    }
    thePlace.entry->handle = nullptr;
    HClrRBit(theResource);
    DisposeHandle(theResource);
    SetResError(noErr);
}

void DetachResource(Handle theResource)
{
    const EntryPlace thePlace = FindEntryOfHandle(theResource);
    if (!thePlace.entry) {
        SetResError(resNotFound);
        return;
    }
    if (thePlace.entry->attributes & resChanged) {
        SetResError(resAttrErr);
        return;
    }
    thePlace.entry->handle = nullptr;
    HClrRBit(theResource);
    SetResError(noErr);
}

} // extern "C"
