// Resource Manager: resource files in the classic format, kept in ordinary files.
//
// Open files form a chain; the newest is on top. GetResource and GetIndString search from the
// current file down to the oldest; the Get1 calls look in the current file only.
#pragma once

#include "Files.h"
#include "MacTypes.h"

enum {
    resNotFound = -192,
    resFNotFound = -193,
    addResFailed = -194,
    rmvResFailed = -196,
    resAttrErr = -198,
    mapReadErr = -199
};

// Resource attributes.
enum {
    resSysHeap = 64,
    resPurgeable = 32,
    resLocked = 16,
    resProtected = 8,
    resPreload = 4,
    resChanged = 2
};

// Resource map attributes.
enum {
    mapReadOnly = 128,
    mapCompact = 64,
    mapChanged = 32
};

extern "C" {

OSErr ResError(void);

// Writes an empty resource file; dupFNErr when the file exists.
void FSpCreateResFile(const FSSpec* theSpec, OSType creator, OSType fileType, ScriptCode scriptTag);
// Opens the file on top of the chain and makes it current; -1 on failure. A file already open
// gives its reference number again.
SInt16 FSpOpenResFile(const FSSpec* theSpec, SInt8 permission);
// Writes pending changes, disposes of the file's resource handles and takes it off the chain;
// when it was current, the next file down (or else the top one) becomes current.
void CloseResFile(SInt16 refNum);
// 0 when no file is open.
SInt16 CurResFile(void);
void UseResFile(SInt16 refNum);
// Writes the whole file beside the old one and renames it into place.
void UpdateResFile(SInt16 refNum);
// The map's attributes. Setting mapReadOnly makes the Resource Manager leave the file as it
// is, pending changes included; setting mapChanged has the map written at the next update.
SInt16 GetResFileAttrs(SInt16 refNum);
void SetResFileAttrs(SInt16 refNum, SInt16 attrs);

Handle GetResource(ResType theType, SInt16 theID);
Handle Get1Resource(ResType theType, SInt16 theID);
SInt16 Count1Types(void);
void Get1IndType(ResType* theType, SInt16 index);
SInt16 Count1Resources(ResType theType);
Handle Get1IndResource(ResType theType, SInt16 index);
void GetResInfo(Handle theResource, SInt16* theID, ResType* theType, Str255 name);
SInt16 GetResAttrs(Handle theResource);
void SetResAttrs(Handle theResource, SInt16 attrs);

// Adds to the current file; an ID already used for the type there is refused (addResFailed).
// An empty or null name means no name.
void AddResource(Handle theData, ResType theType, SInt16 theID, ConstStr255Param name);
// The handle stays the caller's, who disposes of it.
void RemoveResource(Handle theResource);
void ReleaseResource(Handle theResource);
void DetachResource(Handle theResource);

// String number index (from 1) of the 'STR#' list strListID; empty when there is none.
void GetIndString(Str255 theString, SInt16 strListID, SInt16 index);

}
