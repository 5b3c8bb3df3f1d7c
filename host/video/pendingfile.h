// An output file that appears under its name only when complete.
//
// The data go to an unnamed file in the destination's folder (O_TMPFILE), which the system
// reclaims by itself if the program stops for any reason, and which is linked into place on
// Commit. Where the file system has no unnamed files, a hidden temporary name is used and
// removed on failure.
#pragma once

#include <string>

namespace video {

class PendingFile {
public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile(); // discards the data unless committed

    bool Create(const std::string& theFinalPath, std::string& theError);
    int Descriptor() const { return mDescriptor; }

    // Makes the data durable and puts them under the final name, replacing any file there.
    bool Commit(std::string& theError);

private:
    void Discard();

    std::string mFinalPath;
    std::string mTemporaryPath; // empty for an unnamed file
    int mDescriptor = -1;
};

// The folder of thePath ("." when it names none).
std::string FolderOf(const std::string& thePath);

// A hidden name beside theFinalPath, unique to this process and call: ".name.XXXXXX".
std::string HiddenTemplateFor(const std::string& theFinalPath);

} // namespace video
