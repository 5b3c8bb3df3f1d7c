// The text form of a resource file, which restool compiles and dumps.
//
//   # a comment, to the end of the line
//   file type 'Pref' creator 'zqv ' attributes 0x80
//   resource 'STR#' 128 "Transition names" strings {
//       "Out"
//       "In \"quoted\" \xA5"
//   }
//   resource 'Pref' 1 "Config Settings" attributes 0x20 hex {
//       0000018c 00000003
//   }
//
// The file statement, optional and first, gives the file's type and creator (by default
// 'rsrc' and 'RSED') and its map's attributes (by default 0), each part optional.
// A resource is its type (four characters in single quotes), its ID (-32768 to 32767), an
// optional name, optional attributes (a number) and its data: either "strings", a 'STR#' list
// of quoted strings, or "hex", bytes as pairs of hex digits with any spacing. Text is UTF-8
// and is stored as Mac Roman; in quotes, \" \\ \n \r \t stand for themselves and \xHH for the
// raw byte HH.
#pragma once

#include <string>
#include <vector>
#include "MacTypes.h"

struct TextResource {
    ResType type = 0;
    SInt16 id = 0;
    bool hasName = false;
    std::string name; // Mac Roman
    UInt8 attributes = 0;
    std::string data;
    int line = 0;
};

struct TextResourceFile {
    OSType type = FOUR_CHAR_CODE("rsrc");
    OSType creator = FOUR_CHAR_CODE("RSED");
    UInt16 attributes = 0;
    std::vector<TextResource> resources;
};

// False with "line N: what" in theError when theText is not a valid description.
bool ParseResourceText(const std::string& theText, TextResourceFile* theFile, std::string* theError);

// The file statement; empty when it would say only the defaults. A type and creator of zero
// (a file that has none) are left out.
std::string PrintFileStatement(const TextResourceFile& theFile);
// The description of one resource; strings form for a 'STR#' whose data is a well-formed list.
std::string PrintResource(const TextResource& theResource);
