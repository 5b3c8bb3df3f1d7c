// Internal: a resource file held in memory, and the classic layout it is read from and written to.
#pragma once

#include <functional>
#include <string>
#include <vector>
#include "MacTypes.h"
#include "filewrite.h"

namespace resources_internal {

// The classic layout: a 16-byte header (data offset, map offset, data length, map length), the
// reserved area, the data (each resource preceded by its 4-byte length), then the map: a copy of
// the header, 8 reserved bytes, attributes, type list and name list offsets, the type list
// (count - 1, then type, count - 1, reference list offset), the reference lists (ID, name offset
// or -1, attributes, 3-byte data offset, 4 reserved bytes) and the names. All big-endian.
constexpr size_t cHeaderSize = 16;
constexpr size_t cDataStart = 256;
constexpr size_t cMapHeaderSize = 28;
constexpr size_t cTypeEntrySize = 8;
constexpr size_t cRefEntrySize = 12;
constexpr UInt16 cNoName = 0xFFFF;

struct ResourceEntry {
    SInt16 id = 0;
    bool hasName = false;
    std::string name; // Mac Roman, at most 255 bytes
    UInt8 attributes = 0;
    // The data stays in the file, length bytes at fileOffset, until it is changed; from then on
    // it is held in data.
    bool inMemory = false;
    std::vector<UInt8> data;
    UInt64 fileOffset = 0;
    UInt32 length = 0;
    Handle handle = nullptr; // while loaded or added; the map owns it until detached or removed

    UInt64 DataSize() const { return inMemory ? data.size() : length; }
};

struct ResourceTypeEntry {
    ResType type = 0;
    std::vector<ResourceEntry> resources;
};

struct ResourceMap {
    UInt16 attributes = 0;
    std::vector<ResourceTypeEntry> types;
};

// Fills theInto with theSize bytes from theOffset of a file; eofErr when the file is shorter.
using ReadAtFunction = std::function<OSErr(UInt64 theOffset, size_t theSize, UInt8* theInto)>;

// Reads the map of a file of theSize bytes, and only the map: the header's offsets and lengths
// are checked against theSize first, then every offset, length and count of the map and every
// resource's length word. eofErr when the header points past the end, mapReadErr for anything
// else inconsistent. Entries keep their data in the file.
OSErr ParseResourceFile(UInt64 theSize, const ReadAtFunction& theRead, ResourceMap* theMap);

// Checks that the map fits the format's 16- and 24-bit offsets (addResFailed otherwise).
OSErr CheckResourceLayout(const ResourceMap& theMap);

// Writes the file image of theMap through theAppend, taking data still in the file from
// theRead; handles are not looked at. theNewOffsets gets, entry by entry in map order, where
// each one's data starts in the new image.
OSErr WriteResourceFile(const ResourceMap& theMap, const ReadAtFunction& theRead, const AppendFunction& theAppend,
                        std::vector<UInt64>* theNewOffsets);

}
