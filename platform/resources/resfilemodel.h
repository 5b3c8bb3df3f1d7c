// Internal: a resource file held in memory, and the classic layout it is read from and written to.
#pragma once

#include <string>
#include <vector>
#include "MacTypes.h"

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
    std::string name;        // Mac Roman, at most 255 bytes
    UInt8 attributes = 0;
    std::vector<UInt8> data; // as on disk, or as last taken from the handle
    Handle handle = nullptr; // while loaded or added; the map owns it until detached or removed
};

struct ResourceTypeEntry {
    ResType type = 0;
    std::vector<ResourceEntry> resources;
};

struct ResourceMap {
    UInt16 attributes = 0;
    std::vector<ResourceTypeEntry> types;
};

// Reads a whole file image. Every offset, length and count is checked against theSize before
// use: eofErr when the header points past the end, mapReadErr for anything else inconsistent.
OSErr ParseResourceFile(const UInt8* theBytes, size_t theSize, ResourceMap* theMap);

// Checks that the map fits the format's 16- and 24-bit offsets (addResFailed otherwise).
OSErr CheckResourceLayout(const ResourceMap& theMap);

// The file image of theMap; handles are not looked at.
OSErr FlattenResourceFile(const ResourceMap& theMap, std::vector<UInt8>* theBytes);

}
