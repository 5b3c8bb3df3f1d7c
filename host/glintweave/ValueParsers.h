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
// Frames a second as FFmpeg's tools take them ("25", "29.97", "30000/1001", "ntsc"), from
// theLeast to theMost.
bool ParseFrameRate(const std::string& theText, double theLeast, double theMost, SInt32& outNum, SInt32& outDen);
// Seconds ("1.5") or [HH:]MM:SS[.m] ("1:30.5"), from 0 to a day.
bool ParseSeconds(const std::string& theText, double& outSeconds);
