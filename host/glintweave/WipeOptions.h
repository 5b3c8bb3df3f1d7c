// The options of the commands that write the transition's order for other editors (luma maps,
// mattes): one table, one reading of the length, the region and the output.
#pragma once

#include "OptionTable.h"

#include "LumaMap.h"
#include "VideoTypes.h"

#include <memory>
#include <string>
#include <vector>

struct WipeValues {
    LumaRequest request{0, 0, 0, 3, {0.0, 1.0, 0.0, 1.0}};
    bool hasRegion = false;
    double seconds = 0.0;
    std::string duration; // as given, for messages
    video::FrameRate rate{0, 1};
    std::string output;
    bool replace = false;
};

struct WipeWords {
    const char* thing;      // "map", "matte": for messages
    const char* output;     // -o's argument, "MAP.pgm"
    const char* outputHelp;
    const char* replaceHelp; // -y's
    bool rateWithFrames;    // --rate also goes with --frames (the movie's rate)
};

// --size, --frames, --duration, --rate, --transition, --region, -o and -y.
std::vector<Option> WipeOptions(const std::shared_ptr<WipeValues>& theValues, const WipeWords& theWords);

// No operands, and the length from --frames, or from --duration and --rate; false with the message.
bool CheckWipeCommandLine(const Arguments& theOperands, WipeValues& ioValues, const WipeWords& theWords,
                          std::string& outError);

// The region --region gave, else the saved settings'.
void ResolveWipeRegion(WipeValues& ioValues);
