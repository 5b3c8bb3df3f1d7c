#include "scratchfolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace video {

std::string TemporaryFolderPath()
{
    const char* theBase = std::getenv("TMPDIR");
    if (!theBase || !*theBase) return "/tmp";
    if (theBase[0] == '/') return theBase;
    // A relative folder would name another place once the working folder changes, and
    // XDG_CONFIG_HOME pointed into it would be ignored.
    std::error_code theError;
    const std::filesystem::path theHere = std::filesystem::current_path(theError);
    return theError ? std::string(theBase) : (theHere / theBase).lexically_normal().string();
}

ScratchFolder::~ScratchFolder()
{
    if (mPath.empty()) return;
    std::error_code theIgnored;
    std::filesystem::remove_all(mPath, theIgnored);
}

bool ScratchFolder::Make(const std::string& theName, std::string& outError)
{
    const std::string theBase = TemporaryFolderPath();
    std::string theTemplate = theBase + "/" + theName + ".XXXXXX";
    std::vector<char> theBuffer(theTemplate.begin(), theTemplate.end());
    theBuffer.push_back('\0');
    // Signals wait until the folder is either unmade or registered for removal.
    SignalHold theHold;
    if (!mkdtemp(theBuffer.data())) {
        outError = "cannot make a temporary folder in " + theBase + ": " + std::strerror(errno);
        return false;
    }
    mPath = theBuffer.data();
    if (!mCleanup.Remember(mPath)) {
        outError = "cannot make a temporary folder in " + theBase + ": its name is too long";
        rmdir(mPath.c_str());
        mPath.clear();
        return false;
    }
    return true;
}

} // namespace video
