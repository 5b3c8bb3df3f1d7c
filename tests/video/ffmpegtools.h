// Clips made by FFmpeg's command line and x264, and what FFmpeg's own tools read from a movie:
// for the tests that check copied pictures against the programs users have.
#pragma once

#include "videotestsupport.h"

#include <string>
#include <utility>
#include <vector>

namespace videotest {

// What a shell command printed on stdout (add 2>&1 for stderr too).
std::string Output(const std::string& theCommand);

// A 320x240 25 fps clip of FFmpeg's test pattern (theSource picks which one), encoded with
// theOptions; theSeconds long, with a tone when theWithSound.
std::string MakePatternClip(const TemporaryFolder& theFolder, const std::string& theName, const std::string& theSource,
                            const std::string& theOptions, double theSeconds = 3, bool theWithSound = false);

// Each picture's MD5 in display order, as FFmpeg decodes the file (from theSeconds on, at
// most theCount of them, when given).
std::vector<std::string> PictureHashes(const std::string& thePath, double theSeconds = -1, int theCount = 0);

// Decode and presentation times of the movie's pictures, in file order.
std::vector<std::pair<long long, long long>> PacketTimes(const std::string& thePath);

// The length in seconds ffprobe gives the first stream of theKind ('v' or 'a'); -1 without one.
double StreamSeconds(const std::string& thePath, char theKind);

} // namespace videotest
