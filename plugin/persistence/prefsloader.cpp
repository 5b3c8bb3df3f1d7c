#include "prefsloader.h"

#include "Folders.h"
#include "MacMemory.h"
#include "Resources.h"

#include <cmath>
#include <cstring>

namespace {

constexpr ResType cConfigType = FOUR_CHAR_CODE("Pref");
constexpr SInt16 cConfigID = 1;
constexpr OSType cConfigCreator = FOUR_CHAR_CODE("zqv ");
constexpr OSType cConfigFileType = FOUR_CHAR_CODE("Pref");
constexpr const char cMiscText[] = "Config save for Velk iMovie plug-in";

// The file's FSSpec: noErr when it exists, fnfErr when only the folder does. Without the
// folder there is nothing to name: fnfErr is then kept from meaning that (dirNFErr).
OSErr LocateConfigFile(FSSpec* theSpec)
{
    SInt16 theVolume = 0;
    SInt32 theFolder = 0;
    if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &theVolume, &theFolder) != noErr) return dirNFErr;
    return FSMakeFSSpec(theVolume, theFolder, PSTR("Tamsel-Prefs"), theSpec);
}

// Opens the existing file and makes it current; -1 when it cannot be used.
SInt16 OpenConfigFile()
{
    FSSpec theSpec;
    if (LocateConfigFile(&theSpec) != noErr) return -1;
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsCurPerm);
    if (ResError() != noErr) return -1;
    UseResFile(theRefNum);
    return ResError() == noErr ? theRefNum : SInt16(-1);
}

// Closes the file without writing anything of what was changed in it.
void CloseConfigFileUnchanged(SInt16 theRefNum)
{
    SetResFileAttrs(theRefNum, GetResFileAttrs(theRefNum) | mapReadOnly);
    CloseResFile(theRefNum);
}

bool Finite(const relRect& theRel)
{
    return std::isfinite(theRel.left) && std::isfinite(theRel.right) && std::isfinite(theRel.top) && std::isfinite(theRel.bottom);
}

} // namespace

void CreateConfigFile(void)
{
    FSSpec theSpec;
    if (LocateConfigFile(&theSpec) != fnfErr) return;
    // A failure leaves no file; reads and saves then fail quietly.
    FSpCreateResFile(&theSpec, cConfigCreator, cConfigFileType, smSystemScript);
}

Boolean SaveConfig(pluginDataPtr theConfig)
{
    if (!theConfig) return false;
    const SInt16 theRefNum = OpenConfigFile();
    if (theRefNum == -1) return false;
    // Made first, so that a failure here leaves the file untouched.
    Handle theSave = NewHandleClear(cConfigSaveSize);
    if (!theSave) {
        CloseResFile(theRefNum);
        return false;
    }
    Config2Save(theConfig, theSave);
    // The old record goes in the same write as the new one, so no moment is without it; if
    // either step is refused (read-only file or folder, protected record, full file), the file
    // keeps the old one.
    if (Handle theOld = Get1Resource(cConfigType, cConfigID)) {
        RemoveResource(theOld);
        if (ResError() != noErr) {
            DisposeHandle(theSave);
            CloseConfigFileUnchanged(theRefNum);
            return false;
        }
        DisposeHandle(theOld);
    }
    AddResource(theSave, cConfigType, cConfigID, PSTR("Config Settings"));
    if (ResError() != noErr) {
        DisposeHandle(theSave);
        CloseConfigFileUnchanged(theRefNum);
        return false;
    }
    UpdateResFile(theRefNum);
    const Boolean theWritten = ResError() == noErr;
    ReleaseResource(theSave);
    if (theWritten) CloseResFile(theRefNum);
    else CloseConfigFileUnchanged(theRefNum);
    return theWritten;
}

Boolean ReadConfig(pluginDataPtr theConfig)
{
    if (!theConfig) return false;
    const SInt16 theRefNum = OpenConfigFile();
    if (theRefNum == -1) return false;
    Handle theSave = Get1Resource(cConfigType, cConfigID);
    if (!theSave) {
        CloseResFile(theRefNum);
        return false;
    }
    DetachResource(theSave);
    CloseResFile(theRefNum);
    const Boolean theApplied = Save2Config(theConfig, theSave);
    DisposeHandle(theSave);
    return theApplied;
}

Boolean Config2Save(pluginDataPtr theConfig, Handle theSaveConfig)
{
    if (!theConfig || !theSaveConfig || !*theSaveConfig || GetHandleSize(theSaveConfig) < Size(cConfigSaveSize)) return false;
    configSaveRec theSave;
    std::memset(&theSave, 0, sizeof theSave);
    theSave.sizeInBytes = cConfigSaveSize;
    theSave.version = cConfigSaveVersion;
    theSave.startRel = theConfig->startRel;
    theSave.endRel = theConfig->endRel;
    for (int i = 1; i <= cNumColors; ++i) theSave.colors[i - 1] = theConfig->colors[i];
    for (int i = 1; i <= cNumSliders; ++i) theSave.sliders[i - 1] = theConfig->sliders[i];
    theSave.frameStartColor = theConfig->frameStartColor;
    theSave.frameEndColor = theConfig->frameEndColor;
    theSave.mediaType = theConfig->mediaType;
    theSave.keepProps = theConfig->keepProps ? 1 : 0;
    theSave.method = theConfig->method;
    theSave.miscString[0] = sizeof cMiscText - 1;
    std::memcpy(theSave.miscString + 1, cMiscText, sizeof cMiscText - 1);
    std::memcpy(*theSaveConfig, &theSave, sizeof theSave);
    return true;
}

Boolean Save2Config(pluginDataPtr theConfig, Handle theSaveConfig)
{
    if (!theConfig || !theSaveConfig || !*theSaveConfig || GetHandleSize(theSaveConfig) < Size(cConfigSaveSize)) return false;
    configSaveRec theSave;
    std::memcpy(&theSave, *theSaveConfig, sizeof theSave);
    const relRect theStart = theSave.startRel;
    const relRect theEnd = theSave.endRel;
    // Reals that are not numbers would spread through every frame; such a record is invalid.
    if (theSave.sizeInBytes != cConfigSaveSize || theSave.version != cConfigSaveVersion || !Finite(theStart) || !Finite(theEnd))
        return false;
    theConfig->startRel = theStart;
    theConfig->endRel = theEnd;
    for (int i = 1; i <= cNumColors; ++i) theConfig->colors[i] = theSave.colors[i - 1];
    for (int i = 1; i <= cNumSliders; ++i) theConfig->sliders[i] = theSave.sliders[i - 1];
    theConfig->frameStartColor = theSave.frameStartColor;
    theConfig->frameEndColor = theSave.frameEndColor;
    theConfig->mediaType = theSave.mediaType;
    theConfig->keepProps = theSave.keepProps != 0;
    theConfig->method = theSave.method;
    return true;
}
