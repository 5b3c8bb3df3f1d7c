// Folder Manager: where the system keeps a user's folders.
#pragma once

#include "MacTypes.h"

enum {
    kOnSystemDisk = -32768,
    kOnAppropriateDisk = -32767,
    kUserDomain = -32763
};

enum {
    kDontCreateFolder = 0,
    kCreateFolder = 1
};

constexpr OSType kPreferencesFolderType = FOUR_CHAR_CODE("pref");

extern "C" {

// The preferences folder is $XDG_CONFIG_HOME, else ~/.config. It is never created, whatever
// createFolder says: a missing folder gives fnfErr.
OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16* foundVRefNum, SInt32* foundDirID);
// The preferences folder's path, whether it exists or not, so that a program can make it:
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; "" when neither is known. The
// text stays valid until the next call.
const char* GlintPreferencesPath(void);

}
