// Colours as people write them on a command line.
#pragma once

#include <cstdint>
#include <string>

struct Colour8 {
    uint8_t red, green, blue;
};

// "#RRGGBB" (either case) or one of CSS's named colours (any case); false for anything else.
bool ParseColour(const std::string& theText, Colour8& outColour);
