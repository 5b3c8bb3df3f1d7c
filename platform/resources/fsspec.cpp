// Files past 2 GB on the 32-bit targets too.
#define _FILE_OFFSET_BITS 64

#include "Files.h"
#include "filewrite.h"
#include "finderinfo.h"
#include "fsspecpath.h"
#include "macromantext.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace resources_internal {

namespace {

constexpr SInt32 cFirstDirectoryID = 100;
std::map<SInt32, std::string> lgFolders{{fsRtDirID, ""}};

bool FolderOfID(SInt32 theDirID, std::string* theFolder)
{
    const auto theFound = lgFolders.find(theDirID);
    if (theFound == lgFolders.end()) return false;
    *theFolder = theFound->second;
    return true;
}

// Names are single path components: no separator of either system, no "." or "..".
bool GoodName(const UInt8* theName)
{
    const size_t theLength = theName[0];
    if (theLength == 0 || theLength > 63) return false;
    for (size_t i = 1; i <= theLength; ++i)
        if (theName[i] == ':' || theName[i] == '/' || theName[i] == 0) return false;
    return !(theLength == 1 && theName[1] == '.') && !(theLength == 2 && theName[1] == '.' && theName[2] == '.');
}

} // namespace

SInt32 DirectoryIDForPath(const std::string& theFolder)
{
    std::string theKey = theFolder;
    while (theKey.size() > 1 && theKey.back() == '/') theKey.pop_back();
    if (theKey == "/") return fsRtDirID;
    for (const auto& [theID, thePath] : lgFolders)
        if (thePath == theKey) return theID;
    const SInt32 theID = cFirstDirectoryID + static_cast<SInt32>(lgFolders.size());
    lgFolders[theID] = theKey;
    return theID;
}

bool PathOfDirectoryID(SInt32 theDirID, std::string* thePath)
{
    return FolderOfID(theDirID, thePath);
}

bool PathOfFSSpec(const FSSpec& theSpec, std::string* thePath)
{
    std::string theFolder;
    if (theSpec.vRefNum != kGlintVolumeRefNum || !FolderOfID(theSpec.parID, &theFolder) || !GoodName(theSpec.name))
        return false;
    *thePath = theFolder + "/" + MacRomanToUTF8(theSpec.name + 1, theSpec.name[0]);
    return true;
}

} // namespace resources_internal

using namespace resources_internal;

extern "C" {

OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* theSpec)
{
    if (!theSpec || !fileName) return paramErr;
    if (vRefNum != kGlintVolumeRefNum && vRefNum != 0) return nsvErr;
    std::string theFolder;
    if (!FolderOfID(dirID, &theFolder)) return dirNFErr;
    if (!GoodName(fileName)) return bdNamErr;
    std::memset(theSpec, 0, sizeof *theSpec);
    theSpec->vRefNum = kGlintVolumeRefNum;
    theSpec->parID = dirID;
    std::memcpy(theSpec->name, fileName, fileName[0] + 1u);

    struct stat theStat;
    if (stat(theFolder.empty() ? "/" : theFolder.c_str(), &theStat) != 0 || !S_ISDIR(theStat.st_mode)) return dirNFErr;
    std::string thePath;
    PathOfFSSpec(*theSpec, &thePath);
    if (stat(thePath.c_str(), &theStat) == 0) return noErr;
    return errno == ENOENT ? fnfErr : ioErr;
}

OSErr FSPathMakeFSSpec(const char* path, FSSpec* theSpec)
{
    if (!path || !theSpec) return paramErr;
    std::string thePath = path;
    if (thePath.empty()) return bdNamErr;
    if (thePath[0] != '/') {
        char theCwd[4096];
        if (!getcwd(theCwd, sizeof theCwd)) return ioErr;
        thePath = std::string(theCwd) + "/" + thePath;
    }
    const size_t theSlash = thePath.rfind('/');
    std::string theName;
    if (!UTF8ToMacRoman(thePath.substr(theSlash + 1), &theName) || theName.empty() || theName.size() > 63) return bdNamErr;
    Str255 thePascalName;
    thePascalName[0] = static_cast<UInt8>(theName.size());
    std::memcpy(thePascalName + 1, theName.data(), theName.size());
    return FSMakeFSSpec(kGlintVolumeRefNum, DirectoryIDForPath(thePath.substr(0, theSlash)), thePascalName, theSpec);
}

OSErr FSpGetFInfo(const FSSpec* theSpec, FInfo* fndrInfo)
{
    std::string thePath;
    if (!theSpec || !fndrInfo || !PathOfFSSpec(*theSpec, &thePath)) return paramErr;
    int theFile = -1;
    if (OSErr theErr = OpenRegularFile(thePath, &theFile)) return theErr == fnfErr ? fnfErr : ioErr;
    FinderTypes theTypes;
    ReadFinderTypes(theFile, &theTypes);
    close(theFile);
    std::memset(fndrInfo, 0, sizeof *fndrInfo);
    fndrInfo->fdType = theTypes.type;
    fndrInfo->fdCreator = theTypes.creator;
    return noErr;
}

} // extern "C"
