// Internal: a file's type and creator, kept in the extended attribute a Mac uses for them.
#pragma once

#include <string>
#include "MacTypes.h"

namespace resources_internal {

struct FinderTypes {
    OSType type = 0;
    OSType creator = 0;
};

// False when the file has no such attribute or the file system keeps none.
bool ReadFinderTypes(int theFile, FinderTypes* theTypes);
// Best effort: file systems without extended attributes simply lose them.
void WriteFinderTypes(int theFile, const FinderTypes& theTypes);

}
