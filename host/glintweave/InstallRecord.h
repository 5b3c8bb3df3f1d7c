// What install wrote, kept beside the files it installs for uninstall and the next install:
// each file with the SHA-256 of the bytes written, and each folder it made. A text file, a line
// an entry: "file HEX PATH" or "folder PATH", the paths as they are once a staging root
// (DESTDIR) is left out, as a package installs them.
#pragma once

#include <map>
#include <set>
#include <string>

// The SHA-256 of theBytes in lower-case hex.
std::string ChecksumOf(const std::string& theBytes);

class InstallRecord {
public:
    // A record that is missing is empty. Its paths are below theRoot, empty when not staged.
    // False with the reason when it cannot be read.
    bool Read(const std::string& thePath, const std::string& theRoot, std::string& outError);
    // Writes the record where it was read. Without files it removes the record instead, and the
    // recorded folders that are empty then. False with the reason.
    bool Write(std::string& outError);

    // Empty when thePath is not recorded.
    std::string ChecksumOf(const std::string& thePath) const;
    void RecordFile(const std::string& thePath, const std::string& theChecksum) { mFiles[thePath] = theChecksum; }
    void ForgetFile(const std::string& thePath) { mFiles.erase(thePath); }
    bool HasFiles() const { return !mFiles.empty(); }

    // Makes thePath's missing folders, recording each. False with the reason.
    bool MakeFolders(const std::string& thePath, std::string& outError);
    // Removes the recorded folders that are empty, deepest first, and forgets them; a folder
    // holding anything stays recorded.
    void RemoveEmptyFolders();

private:
    std::string Stored(const std::string& thePath) const;

    std::string mPath;
    std::string mRoot;
    std::map<std::string, std::string> mFiles;
    std::set<std::string> mFolders;
};
