// The text form of a resource file, which restool compiles and dumps.
//
//   # a comment, to the end of the line
//   resource 'STR#' 128 "Transition names" strings {
//       "Out"
//       "In \"quoted\" \xA5"
//   }
//   resource 'Pref' 1 "Config Settings" attributes 0x20 hex {
//       0000018c 00000003
//   }
//
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

// False with "line N: what" in theError when theText is not a valid description.
bool ParseResourceText(const std::string& theText, std::vector<TextResource>* theResources, std::string* theError);

// The description of one resource; strings form for a 'STR#' whose data is a well-formed list.
std::string PrintResource(const TextResource& theResource);
