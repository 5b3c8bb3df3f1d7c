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

OSErr ReadWholeFile(const std::string& thePath, std::vector<UInt8>* theBytes)
{
    const int theFile = open(thePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (theFile < 0) return errno == ENOENT ? fnfErr : errno == EACCES ? permErr : ioErr;
    OSErr theErr = noErr;
    struct stat theStat;
    if (fstat(theFile, &theStat) != 0 || !S_ISREG(theStat.st_mode)) theErr = ioErr;
    else if (static_cast<UInt64>(theStat.st_size) > SIZE_MAX / 2) theErr = memFullErr;
    if (!theErr) {
        try {
            theBytes->resize(static_cast<size_t>(theStat.st_size));
        } catch (const std::bad_alloc&) {
            theErr = memFullErr;
        }
    }
    size_t theDone = 0;
    while (!theErr && theDone < theBytes->size()) {
        const ssize_t theCount = read(theFile, theBytes->data() + theDone, theBytes->size() - theDone);
        if (theCount < 0 && errno == EINTR) continue;
        if (theCount < 0) theErr = ioErr;
        else if (theCount == 0) theBytes->resize(theDone); // shrank while we read; parse what is there
        else theDone += static_cast<size_t>(theCount);
    }
    close(theFile);
    return theErr;
}

std::string FolderOf(const std::string& thePath)
{
    const size_t theSlash = thePath.rfind('/');
    return theSlash == std::string::npos ? "." : theSlash == 0 ? "/" : thePath.substr(0, theSlash);
}

// Replacing the file needs the right to write both the file and its folder.
bool MayWrite(const std::string& thePath)
{
    return access(thePath.c_str(), W_OK) == 0 && access(FolderOf(thePath).c_str(), W_OK) == 0;
}

std::vector<UInt8> BytesOfHandle(Handle theHandle)
{
    const Size theSize = GetHandleSize(theHandle);
    return std::vector<UInt8>(reinterpret_cast<UInt8*>(*theHandle), reinterpret_cast<UInt8*>(*theHandle) + theSize);
}

OSErr WriteChanges(OpenResourceFile* theFile)
{
    bool theChanged = theFile->changed;
    try {
        for (ResourceTypeEntry& theType : theFile->map.types)
            for (ResourceEntry& theEntry : theType.resources)
                if (theEntry.attributes & resChanged) {
                    if (theEntry.handle) theEntry.data = BytesOfHandle(theEntry.handle);
                    theChanged = true;
                }
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
    if (!theChanged) return noErr;
    if (!theFile->writable || (theFile->map.attributes & mapReadOnly)) return wrPermErr;
    std::vector<UInt8> theBytes;
    if (OSErr theErr = FlattenResourceFile(theFile->map, &theBytes)) return theErr;
    if (OSErr theErr = ReplaceFileAtomically(theFile->path, theBytes)) return theErr;
    for (ResourceTypeEntry& theType : theFile->map.types)
        for (ResourceEntry& theEntry : theType.resources) theEntry.attributes &= static_cast<UInt8>(~resChanged);
    theFile->changed = false;
    return noErr;
}

} // namespace

SInt16 OpenResourceFileAtPath(const std::string& thePath, SInt8 thePermission)
{
    if (OpenResourceFile* theOpen = FileWithPath(thePath)) {
        UseResFile(theOpen->refNum);
        return theOpen->refNum;
    }
    OpenResourceFile theFile;
    theFile.path = thePath;
    theFile.writable = thePermission != fsRdPerm && MayWrite(thePath);
    if ((thePermission == fsWrPerm || thePermission == fsRdWrPerm) && !theFile.writable) {
        SetResError(access(thePath.c_str(), F_OK) == 0 ? permErr : fnfErr);
        return -1;
    }
    std::vector<UInt8> theBytes;
    OSErr theErr = ReadWholeFile(thePath, &theBytes);
    if (!theErr) theErr = ParseResourceFile(theBytes.data(), theBytes.size(), &theFile.map);
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
    std::vector<UInt8> theBytes;
    OSErr theErr = FlattenResourceFile(ResourceMap(), &theBytes);
    if (!theErr) theErr = CreateFileAtomically(thePath, theBytes, fileType, creator);
    SetResError(theErr);
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

} // extern "C"
