// Files past 2 GB on the 32-bit targets too.
#define _FILE_OFFSET_BITS 64

#include "Files.h"
#include "PendingFiles.h"
#include "ResourceFaults.h"
#include "filewrite.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace resources_internal {

namespace {

long lgGoodStepsLeft = -1;
unsigned long lgTemporaryCount = 0;
GlintPendingFileBeginProcPtr lgPendingBegin = nullptr;
GlintPendingFileEndProcPtr lgPendingEnd = nullptr;

// The program hears of the temporary file from before it is made until it is renamed or removed.
class PendingFile {
public:
    explicit PendingFile(const std::string& thePath)
        : mEnd(lgPendingEnd), mToken(lgPendingBegin && mEnd ? lgPendingBegin(thePath.c_str()) : nullptr)
    {
    }
    ~PendingFile()
    {
        if (mToken) mEnd(mToken);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

private:
    GlintPendingFileEndProcPtr mEnd;
    void* mToken;
};

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
    case EISDIR:
        return notAFileErr;
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

OSErr WriteAll(int theFile, const UInt8* theBytes, size_t theSize)
{
    size_t theDone = 0;
    while (theDone < theSize) {
        const ssize_t theCount = write(theFile, theBytes + theDone, theSize - theDone);
        if (theCount < 0 && errno == EINTR) continue;
        if (theCount <= 0) return ErrorOf(errno);
        theDone += static_cast<size_t>(theCount);
    }
    return noErr;
}

// Collects what a writer appends and writes it in large pieces.
class BufferedFile {
public:
    explicit BufferedFile(int theFile) : mFile(theFile) { mBuffer.reserve(cChunk); }

    OSErr Append(const UInt8* theBytes, size_t theSize)
    {
        while (theSize > 0) {
            const size_t theTaken = std::min(theSize, cChunk - mBuffer.size());
            mBuffer.insert(mBuffer.end(), theBytes, theBytes + theTaken);
            theBytes += theTaken;
            theSize -= theTaken;
            if (mBuffer.size() == cChunk)
                if (OSErr theErr = Flush()) return theErr;
        }
        return noErr;
    }

    OSErr Flush()
    {
        if (mBuffer.empty()) return noErr;
        if (!StepAllowed()) return ioErr;
        const OSErr theErr = WriteAll(mFile, mBuffer.data(), mBuffer.size());
        mBuffer.clear();
        return theErr;
    }

private:
    static constexpr size_t cChunk = 64 * 1024;
    int mFile;
    std::vector<UInt8> mBuffer;
};

// What a replaced file hands on to its successor.
struct OldFile {
    bool exists = false;
    struct stat info {};
    bool hasTypes = false;
    FinderTypes types;
};

// The file at theTarget, if any; never waits on anything but a regular file.
OldFile OldFileAt(const std::string& theTarget)
{
    OldFile theOld;
    theOld.exists = stat(theTarget.c_str(), &theOld.info) == 0 && S_ISREG(theOld.info.st_mode);
    int theFile = -1;
    if (theOld.exists && OpenRegularFile(theTarget, &theFile) == noErr) {
        theOld.hasTypes = ReadFinderTypes(theFile, &theOld.types);
        close(theFile);
    }
    return theOld;
}

// Writes the new file and settles its permissions, owner and type and creator. The descriptor
// stays open for the caller when theKeep is given.
OSErr WriteTemporary(const std::string& theTemp, const FileWriter& theWriter, const OldFile& theOld, const FinderTypes* theTypes,
                     int* theKeep)
{
    if (!StepAllowed()) return ioErr;
    const int theFile = open(theTemp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (theFile < 0) return ErrorOf(errno);
    OSErr theErr = noErr;
    if (theOld.exists) {
        // Only root may give a file away; anyone else keeps it as their own.
        (void)!fchown(theFile, theOld.info.st_uid, theOld.info.st_gid);
        if (fchmod(theFile, theOld.info.st_mode & 07777) != 0) theErr = ErrorOf(errno);
    }
    if (!theErr && (theTypes || theOld.hasTypes)) WriteFinderTypes(theFile, theTypes ? *theTypes : theOld.types);
    if (!theErr) {
        BufferedFile theBuffer(theFile);
        theErr = theWriter([&](const UInt8* theBytes, size_t theSize) { return theBuffer.Append(theBytes, theSize); });
        if (!theErr) theErr = theBuffer.Flush();
    }
    if (!theErr && !StepAllowed()) theErr = ioErr;
    if (!theErr && fsync(theFile) != 0) theErr = ErrorOf(errno);
    if (!theErr && !StepAllowed()) theErr = ioErr;
    if (!theErr && theKeep) {
        *theKeep = theFile;
        return noErr;
    }
    const bool theClosed = close(theFile) == 0;
    if (!theErr && !theClosed) theErr = ioErr;
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

OSErr WriteTargetOf(const std::string& thePath, std::string* theTarget)
{
    std::string thePlace = thePath;
    // The kernel's own limit on links followed in one lookup.
    for (int theLinks = 0; theLinks <= 40; ++theLinks) {
        struct stat theInfo;
        if (lstat(thePlace.c_str(), &theInfo) != 0) {
            if (errno != ENOENT) return ErrorOf(errno);
            *theTarget = thePlace;
            return noErr;
        }
        if (S_ISREG(theInfo.st_mode)) {
            *theTarget = thePlace;
            return noErr;
        }
        if (!S_ISLNK(theInfo.st_mode)) return notAFileErr;
        std::vector<char> theLink(PATH_MAX + 1);
        const ssize_t theLength = readlink(thePlace.c_str(), theLink.data(), theLink.size());
        if (theLength <= 0 || static_cast<size_t>(theLength) >= theLink.size()) return ioErr;
        const std::string theNamed(theLink.data(), static_cast<size_t>(theLength));
        thePlace = theNamed[0] == '/' ? theNamed : FolderOf(thePlace) + "/" + theNamed;
    }
    return ioErr;
}

OSErr OpenRegularFile(const std::string& thePath, int* theFile)
{
    struct stat theInfo;
    if (stat(thePath.c_str(), &theInfo) != 0) return errno == ENOENT || errno == ENOTDIR ? OSErr(fnfErr) : ErrorOf(errno);
    if (!S_ISREG(theInfo.st_mode)) return notAFileErr;
    // Without blocking, in case a FIFO took the file's place since.
    const int theOpened = open(thePath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (theOpened < 0) return errno == ENOENT ? OSErr(fnfErr) : ErrorOf(errno);
    if (fstat(theOpened, &theInfo) != 0 || !S_ISREG(theInfo.st_mode)) {
        close(theOpened);
        return notAFileErr;
    }
    *theFile = theOpened;
    return noErr;
}

OSErr ReplaceFileAtomically(const std::string& thePath, const FileWriter& theWriter, const FinderTypes* theTypes, int* theNewFile)
{
    std::string theTarget;
    if (OSErr theErr = WriteTargetOf(thePath, &theTarget)) return theErr;
    const std::string theTemp = TemporaryPathFor(theTarget);
    const PendingFile thePending(theTemp);
    int theFile = -1;
    if (OSErr theErr = WriteTemporary(theTemp, theWriter, OldFileAt(theTarget), theTypes, &theFile)) return theErr;
    OSErr theErr = noErr;
    std::string theStill;
    // Whatever took the old file's place meanwhile must be replaceable too.
    if (!StepAllowed()) theErr = ioErr;
    else if (OSErr theCheck = WriteTargetOf(theTarget, &theStill)) theErr = theCheck;
    else if (rename(theTemp.c_str(), theTarget.c_str()) != 0) theErr = ErrorOf(errno);
    if (!theErr) theErr = SyncFolder(theTarget);
    else unlink(theTemp.c_str());
    if (theErr || !theNewFile) close(theFile);
    else *theNewFile = theFile;
    return theErr;
}

OSErr CreateFileAtomically(const std::string& thePath, const FileWriter& theWriter, const FinderTypes& theTypes)
{
    std::string theTarget;
    if (OSErr theErr = WriteTargetOf(thePath, &theTarget)) return theErr == notAFileErr ? OSErr(dupFNErr) : theErr;
    if (access(theTarget.c_str(), F_OK) == 0) return dupFNErr;
    const std::string theTemp = TemporaryPathFor(theTarget);
    const PendingFile thePending(theTemp);
    if (OSErr theErr = WriteTemporary(theTemp, theWriter, OldFile(), &theTypes, nullptr)) return theErr;
    // A hard link, unlike rename, never replaces a file that appeared meanwhile.
    OSErr theErr = noErr;
    if (!StepAllowed()) theErr = ioErr;
    else if (link(theTemp.c_str(), theTarget.c_str()) != 0) theErr = errno == EEXIST ? OSErr(dupFNErr) : ErrorOf(errno);
    unlink(theTemp.c_str());
    return theErr ? theErr : SyncFolder(theTarget);
}

} // namespace resources_internal

extern "C" {

void SetResourceWriteFailureAfter(long theGoodSteps)
{
    resources_internal::lgGoodStepsLeft = theGoodSteps;
}

void GlintSetPendingFileProcs(GlintPendingFileBeginProcPtr theBegin, GlintPendingFileEndProcPtr theEnd)
{
    resources_internal::lgPendingBegin = theBegin;
    resources_internal::lgPendingEnd = theEnd;
}

} // extern "C"
