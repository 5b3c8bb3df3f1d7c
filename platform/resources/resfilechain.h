// Internal: the chain of open resource files and the Resource Manager's error.
#pragma once

#include <string>
#include <vector>
#include "resfilemodel.h"

namespace resources_internal {

// A descriptor that closes itself.
class OwnedFile {
public:
    OwnedFile() = default;
    explicit OwnedFile(int theFile) : mFile(theFile) {}
    OwnedFile(OwnedFile&& theOther) noexcept : mFile(theOther.mFile) { theOther.mFile = -1; }
    OwnedFile& operator=(OwnedFile&& theOther) noexcept;
    ~OwnedFile();
    int Get() const { return mFile; }

private:
    int mFile = -1;
};

struct OpenResourceFile {
    SInt16 refNum = 0;
    std::string path;
    bool writable = false;
    bool changed = false; // the map differs from the file
    ResourceMap map;
    // The file as it was read (or last written): data not yet loaded is read from here.
    OwnedFile file;
    UInt64 size = 0;
};

// Reads from theFile, as a ParseResourceFile source.
ReadAtFunction ReaderOf(int theFile);
// Copies theEntry's data, DataSize() bytes, from memory or from theFile's file.
OSErr LoadEntryData(const OpenResourceFile& theFile, const ResourceEntry& theEntry, UInt8* theInto);

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
