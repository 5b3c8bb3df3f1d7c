#include "pendingfile.h"

#include "avsupport.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace video {

namespace {

// Beyond this many links in a chain the system itself gives up (ELOOP).
constexpr int cMostLinks = 40;

mode_t NewFileMode()
{
    mode_t theMask = umask(0);
    umask(theMask);
    return 0666 & ~theMask;
}

} // namespace

std::string FolderOf(const std::string& thePath)
{
    size_t theSlash = thePath.find_last_of('/');
    if (theSlash == std::string::npos) return ".";
    return theSlash == 0 ? "/" : thePath.substr(0, theSlash);
}

std::string HiddenTemplateFor(const std::string& theFinalPath)
{
    std::string theFolder = FolderOf(theFinalPath);
    return (theFolder == "/" ? "" : theFolder) + "/." + FileNameOf(theFinalPath) + ".XXXXXX";
}

std::string FollowLinks(const std::string& thePath)
{
    std::string thePlace = thePath;
    for (int theLinks = 0; theLinks < cMostLinks; ++theLinks) {
        struct stat theStatus;
        if (lstat(thePlace.c_str(), &theStatus) != 0 || !S_ISLNK(theStatus.st_mode)) return thePlace;
        std::vector<char> theTarget(size_t(PATH_MAX) + 1);
        ssize_t theLength = readlink(thePlace.c_str(), theTarget.data(), theTarget.size() - 1);
        if (theLength <= 0) return thePlace;
        std::string theNext(theTarget.data(), size_t(theLength));
        thePlace = theNext[0] == '/' || thePlace.find('/') == std::string::npos ? theNext : FolderOf(thePlace) + "/" + theNext;
    }
    return thePlace;
}

std::string DescribeWriteFailure(const std::string& thePath, int theCode)
{
    std::string theReason = std::strerror(theCode);
    if (theCode == ENOSPC) {
        char* theFolder = realpath(FolderOf(thePath).c_str(), nullptr);
        theReason = "no space left in " + Quoted(theFolder ? theFolder : FolderOf(thePath));
        std::free(theFolder);
    }
    return "cannot write " + Quoted(FileNameOf(thePath)) + ": " + theReason;
}

bool CheckOutputFolder(const std::string& thePath, std::string& outError)
{
    std::string theFolder = FolderOf(thePath);
    struct stat theStatus;
    if (stat(theFolder.c_str(), &theStatus) != 0) {
        outError = "cannot write in " + Quoted(theFolder) + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(theStatus.st_mode)) {
        outError = "cannot write in " + Quoted(theFolder) + ": it is not a folder";
        return false;
    }
    if (access(theFolder.c_str(), W_OK | X_OK) != 0) {
        outError = "cannot write in " + Quoted(theFolder) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CheckOutputIsNoFolderOrDevice(const std::string& thePath, const std::string& theExample, std::string& outError)
{
    struct stat theStatus;
    const bool theFolderName = !thePath.empty() && thePath.back() == '/';
    if (!theFolderName && (stat(thePath.c_str(), &theStatus) != 0 || S_ISREG(theStatus.st_mode))) return true;
    const bool theFolder = theFolderName || S_ISDIR(theStatus.st_mode);
    outError = "cannot write " + Quoted(thePath) + ": it is " + (theFolder ? "a folder" : KindOfFile(theStatus.st_mode)) +
               "; give a file name such as " + (theFolder ? thePath + (theFolderName ? "" : "/") : std::string()) +
               theExample;
    return false;
}

bool CheckOutputFile(const std::string& thePath, std::string& outError)
{
    mode_t theMode;
    return CheckOutputFolder(FollowLinks(thePath), outError) && CheckReplaceable(thePath, theMode, outError);
}

bool CheckReplaceable(const std::string& thePath, mode_t& outMode, std::string& outError)
{
    outMode = 0;
    struct stat theStatus;
    if (stat(thePath.c_str(), &theStatus) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return true; // a missing folder is the folder check's to report
        outError = "cannot write " + Quoted(thePath) + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(theStatus.st_mode)) {
        outError = "cannot write " + Quoted(thePath) + ": it is " + KindOfFile(theStatus.st_mode);
        return false;
    }
    if (access(thePath.c_str(), W_OK) != 0) {
        outError = "cannot write " + Quoted(thePath) + ": " +
                   (errno == EACCES || errno == EPERM ? std::string("it is read-only") : std::strerror(errno));
        return false;
    }
    outMode = theStatus.st_mode & 0777;
    return true;
}

PendingFile::~PendingFile()
{
    Discard();
}

void PendingFile::Discard()
{
    if (mDescriptor >= 0) close(mDescriptor);
    if (!mTemporaryPath.empty()) unlink(mTemporaryPath.c_str());
    mCleanup.Forget();
    mDescriptor = -1;
    mTemporaryPath.clear();
}

bool PendingFile::Create(const std::string& theFinalPath, std::string& outError)
{
    Discard();
    mode_t theMode = 0;
    if (!CheckReplaceable(theFinalPath, theMode, outError)) return false;
    // The file replaced keeps its permissions; a new one gets what the umask leaves.
    if (theMode == 0) theMode = NewFileMode();
    mFinalPath = FollowLinks(theFinalPath);
    return Open(theMode, outError);
}

bool PendingFile::CreateInstalled(const std::string& theFinalPath, mode_t theMode, std::string& outError)
{
    Discard();
    struct stat theStatus;
    if (lstat(theFinalPath.c_str(), &theStatus) == 0 && !S_ISREG(theStatus.st_mode) && !S_ISLNK(theStatus.st_mode)) {
        outError = "cannot write " + Quoted(theFinalPath) + ": it is " + KindOfFile(theStatus.st_mode);
        return false;
    }
    mFinalPath = theFinalPath;
    return Open(theMode, outError);
}

bool PendingFile::Open(mode_t theMode, std::string& outError)
{
    EndByNotedSignal(); // one that came as an earlier output was put in place
    std::string theFolder = FolderOf(mFinalPath);
    mDescriptor = open(theFolder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (mDescriptor < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        outError = "cannot write in " + Quoted(theFolder) + ": " + std::strerror(errno);
        return false;
    }
    if (mDescriptor < 0) {
        std::string theTemplate = HiddenTemplateFor(mFinalPath);
        std::vector<char> theName(theTemplate.begin(), theTemplate.end());
        theName.push_back('\0');
        mDescriptor = mkostemp(theName.data(), O_CLOEXEC);
        if (mDescriptor < 0) {
            outError = "cannot write in " + Quoted(theFolder) + ": " + std::strerror(errno);
            return false;
        }
        mTemporaryPath = theName.data();
        mCleanup.Remember(mTemporaryPath);
    }
    if (fchmod(mDescriptor, theMode) != 0) {
        outError = "cannot set the permissions of " + Quoted(mFinalPath) + ": " + std::strerror(errno);
        Discard();
        return false;
    }
    return true;
}

bool PendingFile::Fail(const char* theStep, std::string& outError)
{
    outError = errno == ENOSPC ? DescribeWriteFailure(mFinalPath, errno)
                               : "cannot " + std::string(theStep) + " " + Quoted(mFinalPath) + ": " + std::strerror(errno);
    Discard();
    return false;
}

bool PendingFile::MoveIntoPlace(std::string& outError)
{
    SignalHold theHold; // a named temporary file exists from here until the rename
    if (mTemporaryPath.empty()) {
        // An unnamed file can only be linked to a free name: link it to a hidden one, then
        // rename that over the destination, which replaces an older file in one step.
        std::string theTemplate = HiddenTemplateFor(mFinalPath);
        std::string theProcPath = "/proc/self/fd/" + std::to_string(mDescriptor);
        for (int theTry = 0; mTemporaryPath.empty(); ++theTry) {
            std::vector<char> theName(theTemplate.begin(), theTemplate.end());
            theName.push_back('\0');
            int theProbe = mkstemp(theName.data()); // reserves a fresh name
            if (theProbe < 0) return Fail("create", outError);
            close(theProbe);
            unlink(theName.data());
            if (linkat(AT_FDCWD, theProcPath.c_str(), AT_FDCWD, theName.data(), AT_SYMLINK_FOLLOW) == 0) {
                mTemporaryPath = theName.data();
            } else if (errno != EEXIST || theTry > 10) {
                return Fail("create", outError);
            }
        }
    }
    // A signal that came meanwhile gives the rename up: the name keeps what it had.
    if (SignalHold::SignalWaiting()) {
        std::fprintf(stderr, "glintweave: note: the signal came before %s was put in place: it is left as it was\n",
                     Quoted(mFinalPath).c_str());
        Discard();
        outError = "stopped before " + Quoted(mFinalPath) + " was replaced";
        return false;
    }
    if (rename(mTemporaryPath.c_str(), mFinalPath.c_str()) != 0) return Fail("create", outError);
    // One that comes during the rename finds the output whole: it stays, and the program goes on.
    theHold.Completed();
    mTemporaryPath.clear();
    mCleanup.Forget();
    return true;
}

bool PendingFile::Commit(std::string& outError)
{
    if (mDescriptor < 0) {
        errno = EBADF;
        return Fail("finish", outError);
    }
    if (fsync(mDescriptor) != 0) return Fail("write", outError);
    const bool theNotedBefore = NotedSignal() != 0;
    if (!MoveIntoPlace(outError)) return false;
    if (!theNotedBefore && NotedSignal() != 0)
        std::fprintf(stderr, "glintweave: note: the signal came as %s was put in place: it is complete, and kept\n",
                     Quoted(mFinalPath).c_str());
    close(mDescriptor);
    mDescriptor = -1;
    // The rename lives in the folder: until the folder is synced, a crash may undo it.
    const int theFolder = open(FolderOf(mFinalPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (theFolder < 0) return Fail("write", outError);
    const bool theSynced = fsync(theFolder) == 0 || errno == EINVAL;
    const int theCode = errno;
    close(theFolder);
    if (!theSynced) {
        errno = theCode;
        return Fail("write", outError);
    }
    return true;
}

bool InstallFile(const std::string& thePath, const std::string& theBytes, mode_t theMode, std::string& outError)
{
    PendingFile theFile;
    if (!theFile.CreateInstalled(thePath, theMode, outError)) return false;
    for (size_t theDone = 0; theDone < theBytes.size();) {
        const ssize_t theWritten = write(theFile.Descriptor(), theBytes.data() + theDone, theBytes.size() - theDone);
        if (theWritten < 0 && errno == EINTR) continue;
        if (theWritten <= 0) {
            outError = DescribeWriteFailure(thePath, theWritten < 0 ? errno : ENOSPC);
            return false;
        }
        theDone += size_t(theWritten);
    }
    return theFile.Commit(outError);
}

} // namespace video
