// A folder of the process's own in the temporary folder ($TMPDIR, else /tmp), removed with
// everything in it when the object ends or an ending signal ends the program.
#pragma once

#include "signalcleanup.h"

#include <string>

namespace video {

class ScratchFolder {
public:
    ScratchFolder() = default;
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Makes "theName.XXXXXX"; its path is absolute even when TMPDIR is not. False with the reason.
    bool Make(const std::string& theName, std::string& outError);
    // Empty until made.
    const std::string& Path() const { return mPath; }

private:
    std::string mPath;
    SignalCleanup mCleanup;
};

// $TMPDIR made absolute, or /tmp when it is unset or empty.
std::string TemporaryFolderPath();

} // namespace video
