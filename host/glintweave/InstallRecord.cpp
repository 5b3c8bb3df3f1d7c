#include "InstallRecord.h"

#include "pendingfile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

extern "C" {
#include <libavutil/hash.h>
}

namespace fs = std::filesystem;

std::string ChecksumOf(const std::string& theBytes)
{
    AVHashContext* theHash = nullptr;
    if (av_hash_alloc(&theHash, "SHA256") < 0) throw std::bad_alloc();
    av_hash_init(theHash);
    av_hash_update(theHash, reinterpret_cast<const uint8_t*>(theBytes.data()), theBytes.size());
    uint8_t theHex[2 * AV_HASH_MAX_SIZE + 1];
    av_hash_final_hex(theHash, theHex, sizeof theHex);
    av_hash_freep(&theHash);
    return reinterpret_cast<const char*>(theHex);
}

bool InstallRecord::Read(const std::string& thePath, const std::string& theRoot, std::string& outError)
{
    mPath = thePath;
    mRoot = theRoot;
    while (!mRoot.empty() && mRoot.back() == '/') mRoot.pop_back();
    std::error_code theMissing;
    if (!fs::exists(thePath, theMissing) && !theMissing) return true;
    std::ifstream theStream(thePath);
    if (!theStream) {
        outError = "cannot read " + thePath;
        return false;
    }
    for (std::string theLine; std::getline(theStream, theLine);) {
        std::istringstream theWords(theLine);
        std::string theKind, theChecksum, thePathOf;
        theWords >> theKind;
        if (theKind == "file") theWords >> theChecksum;
        theWords >> std::ws;
        std::getline(theWords, thePathOf);
        if (thePathOf.empty() || (theKind == "file" && theChecksum.empty())) continue;
        if (theKind == "file") mFiles[mRoot + thePathOf] = theChecksum;
        else if (theKind == "folder") mFolders.insert(mRoot + thePathOf);
    }
    return true;
}

bool InstallRecord::Write(std::string& outError)
{
    if (mFiles.empty()) {
        // Folders that still hold something once no file of ours is left are someone else's now.
        std::error_code theError;
        fs::remove(mPath, theError);
        RemoveEmptyFolders();
        mFolders.clear();
        return true;
    }
    if (!MakeFolders(mPath, outError)) return false;
    std::string theText = "# What glintweave install wrote: uninstall removes these files while their bytes are "
                          "unchanged, then these folders while empty.\n";
    for (const auto& [thePath, theChecksum] : mFiles) theText += "file " + theChecksum + " " + Stored(thePath) + "\n";
    for (const std::string& theFolder : mFolders) theText += "folder " + Stored(theFolder) + "\n";
    return video::InstallFile(mPath, theText, 0644, outError);
}

std::string InstallRecord::Stored(const std::string& thePath) const
{
    return !mRoot.empty() && thePath.rfind(mRoot + "/", 0) == 0 ? thePath.substr(mRoot.size()) : thePath;
}

std::string InstallRecord::ChecksumOf(const std::string& thePath) const
{
    const auto theFound = mFiles.find(thePath);
    return theFound == mFiles.end() ? std::string() : theFound->second;
}

bool InstallRecord::MakeFolders(const std::string& thePath, std::string& outError)
{
    std::vector<fs::path> theMissing;
    std::error_code theError;
    for (fs::path theFolder = fs::path(thePath).parent_path(); theFolder.has_relative_path() && !fs::exists(theFolder, theError);
         theFolder = theFolder.parent_path())
        theMissing.push_back(theFolder);
    if (theMissing.empty()) return true;
    fs::create_directories(theMissing.front(), theError);
    if (theError) {
        outError = theMissing.front().string() + ": " + theError.message();
        return false;
    }
    // The staging root itself is no folder of the package's.
    for (const fs::path& theFolder : theMissing)
        if (mRoot.empty() || Stored(theFolder.string()) != theFolder.string()) mFolders.insert(theFolder.string());
    return true;
}

void InstallRecord::RemoveEmptyFolders()
{
    std::vector<std::string> theFolders(mFolders.begin(), mFolders.end());
    // Longest first: a folder's subfolders go before it.
    std::sort(theFolders.begin(), theFolders.end(),
              [](const std::string& theOne, const std::string& theOther) { return theOne.size() > theOther.size(); });
    for (const std::string& theFolder : theFolders) {
        std::error_code theError;
        const bool theGone = !fs::exists(theFolder, theError) && !theError;
        if (theGone || (fs::is_directory(theFolder, theError) && fs::is_empty(theFolder, theError) && fs::remove(theFolder, theError)))
            mFolders.erase(theFolder);
    }
}
