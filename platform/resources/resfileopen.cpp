// Files past 2 GB on the 32-bit targets too.
#define _FILE_OFFSET_BITS 64

#include "MacMemory.h"
#include "Resources.h"
#include "filewrite.h"
#include "fsspecpath.h"
#include "resfilechain.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace resources_internal {

namespace {

std::string FolderOf(const std::string& thePath)
{
    const size_t theSlash = thePath.rfind('/');
    return theSlash == std::string::npos ? "." : theSlash == 0 ? "/" : thePath.substr(0, theSlash);
}

// Replacing the file needs the right to write both the file and the folder it is in; for a
// symbolic link, the file it names and that file's folder.
bool MayWrite(const std::string& thePath)
{
    std::string theTarget;
    return WriteTargetOf(thePath, &theTarget) == noErr && access(theTarget.c_str(), W_OK) == 0 &&
           access(FolderOf(theTarget).c_str(), W_OK) == 0;
}

std::vector<UInt8> BytesOfHandle(Handle theHandle)
{
    const Size theSize = GetHandleSize(theHandle);
    return std::vector<UInt8>(reinterpret_cast<UInt8*>(*theHandle), reinterpret_cast<UInt8*>(*theHandle) + theSize);
}

OSErr FileSize(int theFile, UInt64* theSize)
{
    struct stat theInfo;
    if (fstat(theFile, &theInfo) != 0) return ioErr;
    *theSize = static_cast<UInt64>(theInfo.st_size);
    return noErr;
}

// After a write the new file is the one to read from, and data held in memory is there too.
void TakeNewFile(OpenResourceFile* theFile, int theNewFile, const std::vector<UInt64>& theNewOffsets)
{
    theFile->file = OwnedFile(theNewFile);
    if (FileSize(theNewFile, &theFile->size) != noErr) theFile->size = 0;
    size_t theNext = 0;
    for (ResourceTypeEntry& theType : theFile->map.types)
        for (ResourceEntry& theEntry : theType.resources) {
            theEntry.length = static_cast<UInt32>(theEntry.DataSize());
            theEntry.fileOffset = theNewOffsets[theNext++];
            theEntry.inMemory = false;
            std::vector<UInt8>().swap(theEntry.data);
            theEntry.attributes &= static_cast<UInt8>(~resChanged);
        }
    theFile->changed = false;
}

OSErr WriteChanges(OpenResourceFile* theFile)
{
    bool theChanged = theFile->changed;
    try {
        for (ResourceTypeEntry& theType : theFile->map.types)
            for (ResourceEntry& theEntry : theType.resources)
                if (theEntry.attributes & resChanged) {
                    if (theEntry.handle) {
                        theEntry.data = BytesOfHandle(theEntry.handle);
                        theEntry.inMemory = true;
                    }
                    theChanged = true;
                }
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
    if (!theChanged) return noErr;
    if (!theFile->writable || (theFile->map.attributes & mapReadOnly)) return wrPermErr;
    if (OSErr theErr = CheckResourceLayout(theFile->map)) return theErr;
    std::vector<UInt64> theNewOffsets;
    const ReadAtFunction theOld = ReaderOf(theFile->file.Get());
    int theNewFile = -1;
    const OSErr theErr = ReplaceFileAtomically(
        theFile->path, [&](const AppendFunction& theAppend) { return WriteResourceFile(theFile->map, theOld, theAppend, &theNewOffsets); },
        nullptr, &theNewFile);
    if (theErr) return theErr;
    TakeNewFile(theFile, theNewFile, theNewOffsets);
    return noErr;
}

} // namespace

OwnedFile& OwnedFile::operator=(OwnedFile&& theOther) noexcept
{
    if (this != &theOther) {
        if (mFile >= 0) close(mFile);
        mFile = theOther.mFile;
        theOther.mFile = -1;
    }
    return *this;
}

OwnedFile::~OwnedFile()
{
    if (mFile >= 0) close(mFile);
}

ReadAtFunction ReaderOf(int theFile)
{
    return [theFile](UInt64 theOffset, size_t theSize, UInt8* theInto) -> OSErr {
        size_t theDone = 0;
        while (theDone < theSize) {
            const ssize_t theCount = pread(theFile, theInto + theDone, theSize - theDone, static_cast<off_t>(theOffset + theDone));
            if (theCount < 0 && errno == EINTR) continue;
            if (theCount < 0) return ioErr;
            if (theCount == 0) return eofErr;
            theDone += static_cast<size_t>(theCount);
        }
        return noErr;
    };
}

SInt16 OpenResourceFileAtPath(const std::string& thePath, SInt8 thePermission)
{
    if (OpenResourceFile* theOpen = FileWithPath(thePath)) {
        UseResFile(theOpen->refNum);
        return theOpen->refNum;
    }
    OpenResourceFile theFile;
    theFile.path = thePath;
    int theDescriptor = -1;
    OSErr theErr = OpenRegularFile(thePath, &theDescriptor);
    if (theErr) {
        SetResError(theErr);
        return -1;
    }
    theFile.file = OwnedFile(theDescriptor);
    theFile.writable = thePermission != fsRdPerm && MayWrite(thePath);
    if ((thePermission == fsWrPerm || thePermission == fsRdWrPerm) && !theFile.writable) {
        SetResError(permErr);
        return -1;
    }
    theErr = FileSize(theDescriptor, &theFile.size);
    if (!theErr) theErr = ParseResourceFile(theFile.size, ReaderOf(theDescriptor), &theFile.map);
    if (theErr) {
        SetResError(theErr);
        return -1;
    }
    try {
        const SInt16 theRefNum = PushFile(std::move(theFile));
        SetResError(noErr);
        return theRefNum;
    } catch (const std::bad_alloc&) {
        SetResError(memFullErr);
        return -1;
    }
}

OSErr LoadEntryData(const OpenResourceFile& theFile, const ResourceEntry& theEntry, UInt8* theInto)
{
    if (theEntry.inMemory) {
        std::copy(theEntry.data.begin(), theEntry.data.end(), theInto);
        return noErr;
    }
    return ReaderOf(theFile.file.Get())(theEntry.fileOffset, theEntry.length, theInto);
}

} // namespace resources_internal

using namespace resources_internal;

extern "C" {

void FSpCreateResFile(const FSSpec* theSpec, OSType creator, OSType fileType, ScriptCode /*scriptTag*/)
{
    std::string thePath;
    if (!theSpec || !PathOfFSSpec(*theSpec, &thePath)) {
        SetResError(paramErr);
        return;
    }
    const ResourceMap theEmpty;
    std::vector<UInt64> theOffsets;
    const ReadAtFunction theNothing = [](UInt64, size_t, UInt8*) { return OSErr(eofErr); };
    SetResError(CreateFileAtomically(
        thePath, [&](const AppendFunction& theAppend) { return WriteResourceFile(theEmpty, theNothing, theAppend, &theOffsets); },
        FinderTypes{fileType, creator}));
}

SInt16 FSpOpenResFile(const FSSpec* theSpec, SInt8 permission)
{
    std::string thePath;
    if (!theSpec || !PathOfFSSpec(*theSpec, &thePath)) {
        SetResError(paramErr);
        return -1;
    }
    return OpenResourceFileAtPath(thePath, permission);
}

void UpdateResFile(SInt16 refNum)
{
    OpenResourceFile* theFile = FileWithRefNum(refNum);
    SetResError(theFile ? WriteChanges(theFile) : OSErr(resFNotFound));
}

void CloseResFile(SInt16 refNum)
{
    OpenResourceFile* theFile = FileWithRefNum(refNum);
    if (!theFile) {
        SetResError(resFNotFound);
        return;
    }
    const OSErr theErr = WriteChanges(theFile);
    for (ResourceTypeEntry& theType : theFile->map.types)
        for (ResourceEntry& theEntry : theType.resources)
            if (theEntry.handle) {
                HClrRBit(theEntry.handle);
                DisposeHandle(theEntry.handle);
            }
    RemoveFile(refNum);
    SetResError(theErr);
}

SInt16 GetResFileAttrs(SInt16 refNum)
{
    OpenResourceFile* theFile = FileWithRefNum(refNum);
    SetResError(theFile ? OSErr(noErr) : OSErr(resFNotFound));
    return theFile ? static_cast<SInt16>(theFile->map.attributes) : 0;
}

void SetResFileAttrs(SInt16 refNum, SInt16 attrs)
{
    OpenResourceFile* theFile = FileWithRefNum(refNum);
    if (!theFile) {
        SetResError(resFNotFound);
        return;
    }
    theFile->map.attributes = static_cast<UInt16>(attrs) & ~mapChanged;
    if (attrs & mapChanged) theFile->changed = true;
    SetResError(noErr);
}

} // extern "C"
