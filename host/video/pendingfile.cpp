#include "pendingfile.h"

#include "avsupport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace video {

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

PendingFile::~PendingFile()
{
    Discard();
}

void PendingFile::Discard()
{
    if (mDescriptor >= 0) close(mDescriptor);
    if (!mTemporaryPath.empty()) unlink(mTemporaryPath.c_str());
    mDescriptor = -1;
    mTemporaryPath.clear();
}

bool PendingFile::Create(const std::string& theFinalPath, std::string& theError)
{
    Discard();
    mFinalPath = theFinalPath;
    std::string theFolder = FolderOf(theFinalPath);
    struct stat theStatus;
    if (stat(theFinalPath.c_str(), &theStatus) == 0 && S_ISDIR(theStatus.st_mode)) {
        theError = "Cannot write " + Quoted(theFinalPath) + ": it is a folder";
        return false;
    }
    mDescriptor = open(theFolder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (mDescriptor >= 0) {
        // Unnamed files are created with the mode as given; apply the umask as a named file would.
        mode_t theMask = umask(0);
        umask(theMask);
        fchmod(mDescriptor, 0666 & ~theMask);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        theError = "Cannot write in " + Quoted(theFolder) + ": " + std::strerror(errno);
        return false;
    }
    std::string theTemplate = HiddenTemplateFor(theFinalPath);
    std::vector<char> theName(theTemplate.begin(), theTemplate.end());
    theName.push_back('\0');
    mDescriptor = mkostemp(theName.data(), O_CLOEXEC);
    if (mDescriptor < 0) {
        theError = "Cannot write in " + Quoted(theFolder) + ": " + std::strerror(errno);
        return false;
    }
    mTemporaryPath = theName.data();
    return true;
}

bool PendingFile::Commit(std::string& theError)
{
    auto theFailure = [&](const char* theStep) {
        theError = "Cannot " + std::string(theStep) + " " + Quoted(mFinalPath) + ": " + std::strerror(errno);
        Discard();
        return false;
    };
    if (mDescriptor < 0) {
        errno = EBADF;
        return theFailure("finish");
    }
    if (fsync(mDescriptor) != 0) return theFailure("write");
    if (mTemporaryPath.empty()) {
        // An unnamed file can only be linked to a free name: link it to a hidden one, then
        // rename that over the destination, which replaces an older file in one step.
        std::string theTemplate = HiddenTemplateFor(mFinalPath);
        std::string theProcPath = "/proc/self/fd/" + std::to_string(mDescriptor);
        for (int theTry = 0; mTemporaryPath.empty(); ++theTry) {
            std::vector<char> theName(theTemplate.begin(), theTemplate.end());
            theName.push_back('\0');
            int theProbe = mkstemp(theName.data()); // reserves a fresh name
            if (theProbe < 0) return theFailure("create");
            close(theProbe);
            unlink(theName.data());
            if (linkat(AT_FDCWD, theProcPath.c_str(), AT_FDCWD, theName.data(), AT_SYMLINK_FOLLOW) == 0) {
                mTemporaryPath = theName.data();
            } else if (errno != EEXIST || theTry > 10) {
                return theFailure("create");
            }
        }
    }
    if (rename(mTemporaryPath.c_str(), mFinalPath.c_str()) != 0) return theFailure("create");
    mTemporaryPath.clear();
    close(mDescriptor);
    mDescriptor = -1;
    return true;
}

} // namespace video
