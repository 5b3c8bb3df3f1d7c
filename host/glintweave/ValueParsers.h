// Colours, frame sizes and times as people write them on a command line, read by libavutil's
// own parsers so that they mean what they mean to FFmpeg's tools.
#pragma once

#include "MacTypes.h"

#include <cstdint>
#include <string>

struct Colour8 {
    uint8_t red, green, blue;
};

// "#RRGGBB", "#RGB", "0xRRGGBB" or a CSS colour name, in any case; false for anything else,
// "random" and transparent colours too: a render must come out the same every time.
bool ParseColour(const std::string& theText, Colour8& outColour);
// "WIDTHxHEIGHT" or a name such as hd1080, each side from 2 to theLargest.
bool ParseFrameSize(const std::string& theText, SInt32& outWidth, SInt32& outHeight, SInt32 theLargest = 8192);
// Frames a second as FFmpeg's tools take them ("25", "29.97", "30000/1001", "ntsc"), above 0
// and up to 1000 (libavutil would make any rate above a million that million, without a word).
bool ParseFrameRate(const std::string& theText, SInt32& outNum, SInt32& outDen);
// What ParseFrameRate takes, for the message of an option that refuses a rate.
constexpr const char* cFrameRateForms = "takes frames a second above 0 and up to 1000, such as 25, 29.97, 30000/1001 or ntsc";
// Seconds ("1.5") or [HH:]MM:SS[.m] ("1:30.5"), from 0 to a day.
bool ParseSeconds(const std::string& theText, double& outSeconds);
