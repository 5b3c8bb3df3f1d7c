// File Manager: FSSpec records and Finder information, over the host's file system.
//
// There is one volume. A directory is known by a number handed out when its path is first met
// (FindFolder, FSPathMakeFSSpec); the number lasts for the process.
#pragma once

#include <stddef.h>
#include "MacTypes.h"

enum {
    dskFulErr = -34,
    nsvErr = -35,
    ioErr = -36,
    bdNamErr = -37,
    eofErr = -39,
    fnfErr = -43,
    dupFNErr = -48,
    permErr = -54,
    wrPermErr = -61,
    dirNFErr = -120,
    notAFileErr = -1302, // a folder, device, FIFO or socket where a file was wanted
    buffersTooSmall = -3008
};

// Open permissions.
enum {
    fsCurPerm = 0,
    fsRdPerm = 1,
    fsWrPerm = 2,
    fsRdWrPerm = 3
};

enum {
    kGlintVolumeRefNum = -1, // the one volume
    fsRtParID = 1,
    fsRtDirID = 2            // "/"
};

#pragma pack(push, 2)
struct FSSpec {
    SInt16 vRefNum;
    SInt32 parID;
    Str63 name; // Mac Roman, no path separators
};
#pragma pack(pop)
typedef FSSpec* FSSpecPtr;

static_assert(sizeof(FSSpec) == 70, "host records embed FSSpec at its classic size");
static_assert(offsetof(FSSpec, parID) == 2 && offsetof(FSSpec, name) == 6, "FSSpec field offsets");

// A reference to an existing file or folder; its contents are private to the File Manager.
struct FSRef {
    UInt8 hidden[80];
};

struct FInfo {
    OSType fdType;
    OSType fdCreator;
    UInt16 fdFlags;
    Point fdLocation;
    SInt16 fdFldr;
};

extern "C" {

// fnfErr when the directory exists but the file does not; the FSSpec is filled in then too.
OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* theSpec);
// The FSSpec of a host path (UTF-8); the file itself need not exist (fnfErr).
OSErr FSPathMakeFSSpec(const char* path, FSSpec* theSpec);
// Type and creator are kept in an extended attribute; a file without it reports zeros.
OSErr FSpGetFInfo(const FSSpec* theSpec, FInfo* fndrInfo);

// fnfErr when nothing exists at the path (UTF-8).
OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory);
// The reference's path, zero-terminated; paramErr for a damaged reference, buffersTooSmall
// when the path does not fit.
OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize);

}
