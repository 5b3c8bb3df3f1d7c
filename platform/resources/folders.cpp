#include "Files.h"
#include "Folders.h"
#include "fsspecpath.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>

using namespace resources_internal;

namespace {

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; empty when neither is known.
std::string PreferencesPath()
{
    const char* theConfig = std::getenv("XDG_CONFIG_HOME");
    if (theConfig && theConfig[0] == '/') return theConfig;
    const char* theHome = std::getenv("HOME");
    if (theHome && theHome[0] == '/') return std::string(theHome) + "/.config";
    return std::string();
}

std::string lgPreferencesPath;

} // namespace

extern "C" {

const char* GlintPreferencesPath(void)
{
    lgPreferencesPath = PreferencesPath();
    return lgPreferencesPath.c_str();
}

OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean /*createFolder*/, SInt16* foundVRefNum, SInt32* foundDirID)
{
    if (!foundVRefNum || !foundDirID) return paramErr;
    if (vRefNum != kOnSystemDisk && vRefNum != kOnAppropriateDisk && vRefNum != kUserDomain && vRefNum != kGlintVolumeRefNum)
        return nsvErr;
    if (folderType != kPreferencesFolderType) return fnfErr;
    const std::string thePath = PreferencesPath();
    struct stat theStat;
    if (thePath.empty() || stat(thePath.c_str(), &theStat) != 0 || !S_ISDIR(theStat.st_mode)) return fnfErr;
    *foundVRefNum = kGlintVolumeRefNum;
    *foundDirID = DirectoryIDForPath(thePath);
    return noErr;
}

} // extern "C"
