#include "Files.h"
#include "ResourceFaults.h"
#include "filewrite.h"
#include "finderinfo.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace resources_internal {

namespace {

long lgGoodStepsLeft = -1;
unsigned long lgTemporaryCount = 0;

// Every step that touches the disk asks first, so that a test can stop a write anywhere.
bool StepAllowed()
{
    if (lgGoodStepsLeft < 0) return true;
    if (lgGoodStepsLeft == 0) return false;
    --lgGoodStepsLeft;
    return true;
}

OSErr ErrorOf(int theErrno)
{
    switch (theErrno) {
    case ENOSPC:
    case EDQUOT:
        return dskFulErr;
    case EACCES:
    case EPERM:
    case EROFS:
        return permErr;
    case ENOENT:
    case ENOTDIR:
        return dirNFErr;
    default:
        return ioErr;
    }
}

std::string FolderOf(const std::string& thePath)
{
    const size_t theSlash = thePath.rfind('/');
    if (theSlash == std::string::npos) return ".";
    return theSlash == 0 ? "/" : thePath.substr(0, theSlash);
}

// A hidden name beside thePath, unique to this process and call.
std::string TemporaryPathFor(const std::string& thePath)
{
    const size_t theSlash = thePath.rfind('/');
    const std::string theName = theSlash == std::string::npos ? thePath : thePath.substr(theSlash + 1);
    const std::string thePrefix = theSlash == std::string::npos ? "" : thePath.substr(0, theSlash + 1);
    return thePrefix + "." + theName + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(++lgTemporaryCount);
}

OSErr WriteAll(int theFile, const std::vector<UInt8>& theBytes)
{
    constexpr size_t cChunk = 64 * 1024;
    size_t theDone = 0;
    while (theDone < theBytes.size()) {
        if (!StepAllowed()) return ioErr;
        const ssize_t theCount = write(theFile, theBytes.data() + theDone, std::min(cChunk, theBytes.size() - theDone));
        if (theCount < 0 && errno == EINTR) continue;
        if (theCount <= 0) return ErrorOf(errno);
        theDone += static_cast<size_t>(theCount);
    }
    return noErr;
}

// Writes the new file's bytes and settles its permissions and Finder information.
OSErr WriteTemporary(const std::string& theTemp, const std::vector<UInt8>& theBytes, const struct stat* theOldStat,
                     const FinderTypes* theTypes)
{
    if (!StepAllowed()) return ioErr;
    const int theFile = open(theTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (theFile < 0) return ErrorOf(errno);
    OSErr theErr = noErr;
    if (theOldStat && fchmod(theFile, theOldStat->st_mode & 07777) != 0) theErr = ErrorOf(errno);
    if (!theErr && theTypes) WriteFinderTypes(theFile, *theTypes);
    if (!theErr) theErr = WriteAll(theFile, theBytes);
    if (!theErr && !StepAllowed()) theErr = ioErr;
    if (!theErr && fsync(theFile) != 0) theErr = ErrorOf(errno);
    const bool theClosed = close(theFile) == 0;
    if (!theErr && (!StepAllowed() || !theClosed)) theErr = ioErr;
    if (theErr) unlink(theTemp.c_str());
    return theErr;
}

// The rename is durable only once the folder itself is on disk.
OSErr SyncFolder(const std::string& thePath)
{
    if (!StepAllowed()) return ioErr;
    const int theFolder = open(FolderOf(thePath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (theFolder < 0) return ErrorOf(errno);
    const bool theSynced = fsync(theFolder) == 0;
    close(theFolder);
    return theSynced ? OSErr(noErr) : OSErr(ioErr);
}

} // namespace

OSErr ReplaceFileAtomically(const std::string& thePath, const std::vector<UInt8>& theBytes)
{
    struct stat theOldStat;
    FinderTypes theTypes;
    bool theHasStat = false;
    bool theHasTypes = false;
    const int theOld = open(thePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (theOld >= 0) {
        theHasStat = fstat(theOld, &theOldStat) == 0;
        theHasTypes = ReadFinderTypes(theOld, &theTypes);
        close(theOld);
    }
    const std::string theTemp = TemporaryPathFor(thePath);
    if (OSErr theErr = WriteTemporary(theTemp, theBytes, theHasStat ? &theOldStat : nullptr, theHasTypes ? &theTypes : nullptr))
        return theErr;
    OSErr theErr = noErr;
    if (!StepAllowed()) theErr = ioErr;
    else if (rename(theTemp.c_str(), thePath.c_str()) != 0) theErr = ErrorOf(errno);
    if (theErr) {
        unlink(theTemp.c_str());
        return theErr;
    }
    return SyncFolder(thePath);
}

OSErr CreateFileAtomically(const std::string& thePath, const std::vector<UInt8>& theBytes, OSType theType, OSType theCreator)
{
    const FinderTypes theTypes{theType, theCreator};
    const std::string theTemp = TemporaryPathFor(thePath);
    if (OSErr theErr = WriteTemporary(theTemp, theBytes, nullptr, &theTypes)) return theErr;
    // A hard link, unlike rename, never replaces a file that appeared meanwhile.
    OSErr theErr = noErr;
    if (!StepAllowed()) theErr = ioErr;
    else if (link(theTemp.c_str(), thePath.c_str()) != 0) theErr = errno == EEXIST ? OSErr(dupFNErr) : ErrorOf(errno);
    unlink(theTemp.c_str());
    return theErr ? theErr : SyncFolder(thePath);
}

} // namespace resources_internal

extern "C" {

void SetResourceWriteFailureAfter(long theGoodSteps)
{
    resources_internal::lgGoodStepsLeft = theGoodSteps;
}

} // extern "C"
