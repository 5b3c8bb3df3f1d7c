// Internal: whole-file writes that a crash cannot tear.
//
// Every file the Resource Manager and its tools write goes through here, under one rule: the
// path ends up naming either the old file, whole, or the new one, whole, and nothing else is
// touched. Only a regular file is ever replaced; a symbolic link is kept and the file it names
// is replaced in its own folder.
#pragma once

#include <functional>
#include <string>
#include "Files.h"
#include "finderinfo.h"

namespace resources_internal {

// Hands the new file's bytes on, in order; an error ends the write.
using AppendFunction = std::function<OSErr(const UInt8* theBytes, size_t theSize)>;
// Produces the new file's contents through theAppend.
using FileWriter = std::function<OSErr(const AppendFunction& theAppend)>;

// Where a write to thePath lands: thePath itself or, through any symbolic links, the path they
// finally name. notAFileErr when that exists and is not a regular file; a missing file is fine.
OSErr WriteTargetOf(const std::string& thePath, std::string* theTarget);

// Writes a new file beside the target of thePath, syncs it, renames it over the target and
// syncs the folder. The old file's permissions, owner (where allowed) and type and creator
// carry over; theTypes, when given, sets the latter instead. On failure nothing is left
// behind. theNewFile, when given, gets a descriptor reading the new file; the caller closes it.
OSErr ReplaceFileAtomically(const std::string& thePath, const FileWriter& theWriter, const FinderTypes* theTypes = nullptr,
                            int* theNewFile = nullptr);

// As above, but only where no file exists yet: dupFNErr otherwise, even if one appears meanwhile.
OSErr CreateFileAtomically(const std::string& thePath, const FileWriter& theWriter, const FinderTypes& theTypes);

// Opens an existing regular file for reading without ever waiting on a FIFO or device:
// fnfErr, permErr, notAFileErr or ioErr when it cannot.
OSErr OpenRegularFile(const std::string& thePath, int* theFile);

}
