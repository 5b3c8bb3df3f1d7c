// Files past 2 GB on the 32-bit targets too.
#define _FILE_OFFSET_BITS 64

#include "Files.h"
#include "fsspecpath.h"

#include <cstring>
#include <sys/stat.h>

using namespace resources_internal;

namespace {

// A reference holds a mark, so that stray bytes are not taken for one, and the number of its
// path in the same table that numbers folders.
constexpr UInt8 cRefMark[4] = {'G', 'l', 'F', 'R'};

} // namespace

extern "C" {

OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory)
{
    if (!path || !ref || path[0] != '/') return paramErr;
    struct stat theInfo;
    if (stat(reinterpret_cast<const char*>(path), &theInfo) != 0) return fnfErr;
    const SInt32 theID = DirectoryIDForPath(reinterpret_cast<const char*>(path));
    std::memset(ref, 0, sizeof *ref);
    std::memcpy(ref->hidden, cRefMark, sizeof cRefMark);
    std::memcpy(ref->hidden + sizeof cRefMark, &theID, sizeof theID);
    if (isDirectory) *isDirectory = S_ISDIR(theInfo.st_mode);
    return noErr;
}

OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize)
{
    if (!ref || !path || std::memcmp(ref->hidden, cRefMark, sizeof cRefMark) != 0) return paramErr;
    SInt32 theID;
    std::memcpy(&theID, ref->hidden + sizeof cRefMark, sizeof theID);
    std::string thePath;
    if (!PathOfDirectoryID(theID, &thePath)) return paramErr;
    const char* theText = thePath.empty() ? "/" : thePath.c_str(); // the root folder is kept as ""
    const size_t theSize = std::strlen(theText) + 1;
    if (theSize > maxPathSize) return buffersTooSmall;
    std::memcpy(path, theText, theSize);
    return noErr;
}

} // extern "C"
