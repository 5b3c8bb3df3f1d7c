// Internal: whole-file writes that a crash cannot tear.
#pragma once

#include <string>
#include <vector>
#include "MacTypes.h"

namespace resources_internal {

// Writes theBytes to a new file beside thePath, syncs it and renames it over thePath, then
// syncs the folder: at any moment thePath is either the old file or the new one. The old
// file's permissions and Finder information carry over.
OSErr ReplaceFileAtomically(const std::string& thePath, const std::vector<UInt8>& theBytes);

// As above, but only where no file exists yet (dupFNErr otherwise); theFinderInfo is the new
// file's type and creator.
OSErr CreateFileAtomically(const std::string& thePath, const std::vector<UInt8>& theBytes, OSType theType, OSType theCreator);

}
