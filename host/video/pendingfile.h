// An output file that appears under its name only when complete.
//
// The data go to an unnamed file in the destination's folder (O_TMPFILE), which the system
// reclaims by itself if the program stops for any reason, and which is linked into place on
// Commit. Where the file system has no unnamed files, a hidden temporary name is used and
// removed on failure or on an ending signal.
//
// Only a regular file or nothing is replaced: a folder, device, FIFO or socket under the name is
// refused. An output the user names: a file the user may not write is refused, and a symbolic
// link stays, its target replaced keeping that file's permissions. An installed file: the name
// itself is replaced, a link there too (never what it points at), with the mode given.
#pragma once

#include "signalcleanup.h"

#include <string>
#include <sys/types.h>

namespace video {

class PendingFile {
public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile(); // discards the data unless committed

    bool Create(const std::string& theFinalPath, std::string& outError);
    // An installed file of theMode at theFinalPath.
    bool CreateInstalled(const std::string& theFinalPath, mode_t theMode, std::string& outError);
    int Descriptor() const { return mDescriptor; }

    // Makes the data and the name durable and puts the data under the final name, replacing any
    // file there.
    bool Commit(std::string& outError);

private:
    void Discard();
    bool Fail(const char* theStep, std::string& outError); // with errno's reason
    // Under a signal hold: the data under the final name, or nothing changed.
    bool MoveIntoPlace(std::string& outError);
    bool Open(mode_t theMode, std::string& outError);

    std::string mFinalPath; // the link's target when the name is a symbolic link
    std::string mTemporaryPath; // empty for an unnamed file
    SignalCleanup mCleanup;
    int mDescriptor = -1;
};

// theBytes as the installed file thePath, of theMode, in one step: the name shows the older
// file or the whole new one, never a part.
bool InstallFile(const std::string& thePath, const std::string& theBytes, mode_t theMode, std::string& outError);

// The folder of thePath ("." when it names none).
std::string FolderOf(const std::string& thePath);

// A hidden name beside theFinalPath, unique to this process and call: ".name.XXXXXX".
std::string HiddenTemplateFor(const std::string& theFinalPath);

// The file a chain of symbolic links ends at (which need not exist); thePath itself when it is no link.
std::string FollowLinks(const std::string& thePath);

// True when thePath (links followed) is absent, or a regular file the user may write; then
// outMode is its permissions, or 0 when absent. Else false with the reason.
bool CheckReplaceable(const std::string& thePath, mode_t& outMode, std::string& outError);

// "cannot write 'big.mp4': " and the reason theCode (an errno) gives; for a full disk, the
// folder that is full.
std::string DescribeWriteFailure(const std::string& thePath, int theCode);

// The folder of thePath exists and takes a new file; else false with the reason.
bool CheckOutputFolder(const std::string& thePath, std::string& outError);

// The checks an output file the user names takes before any work: its folder (links followed)
// takes a new file, and the name holds nothing or a regular file the user may write.
bool CheckOutputFile(const std::string& thePath, std::string& outError);

// False, saying what it is and to give a file name such as theExample instead, when thePath is a
// folder (or ends in '/'), a device or a pipe: checked before what its name's extension says.
bool CheckOutputIsNoFolderOrDevice(const std::string& thePath, const std::string& theExample, std::string& outError);

} // namespace video
