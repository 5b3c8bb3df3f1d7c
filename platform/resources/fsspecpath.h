// Internal: how FSSpec records map onto host paths.
#pragma once

#include <string>
#include "Files.h"

namespace resources_internal {

// The number of a host folder; the same path always gets the same number.
SInt32 DirectoryIDForPath(const std::string& theFolder);
// False for a number no path was given.
bool PathOfDirectoryID(SInt32 theDirID, std::string* thePath);
// False when the FSSpec names no known folder or carries a bad name.
bool PathOfFSSpec(const FSSpec& theSpec, std::string* thePath);

}
