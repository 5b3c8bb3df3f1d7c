// Internal: the chain of open resource files and the Resource Manager's error.
#pragma once

#include <string>
#include <vector>
#include "resfilemodel.h"

namespace resources_internal {

struct OpenResourceFile {
    SInt16 refNum = 0;
    std::string path;
    bool writable = false;
    bool changed = false; // the map differs from the file
    ResourceMap map;
};

void SetResError(OSErr theErr);

// Opens a resource file by host path, on top of the chain, and makes it current; the way in for
// files that have no FSSpec, such as a bundle's. -1 on failure, ResError tells why.
SInt16 OpenResourceFileAtPath(const std::string& thePath, SInt8 thePermission);

// Null when refNum names no open file.
OpenResourceFile* FileWithRefNum(SInt16 theRefNum);
OpenResourceFile* FileWithPath(const std::string& thePath);
OpenResourceFile* CurrentFile();
// The files GetResource searches, current first.
std::vector<OpenResourceFile*> SearchOrder();

// Puts a newly opened file on top of the chain and makes it current.
SInt16 PushFile(OpenResourceFile theFile);
// Takes a file off the chain; the next one down becomes current if it was.
void RemoveFile(SInt16 theRefNum);

// The entry that owns theResource, in any open file.
struct EntryPlace {
    OpenResourceFile* file = nullptr;
    ResourceTypeEntry* type = nullptr;
    ResourceEntry* entry = nullptr;
};
EntryPlace FindEntryOfHandle(Handle theResource);

}
