// The real programs a user runs: glintweave itself, and FFmpeg's tools to make and read clips.
#pragma once

#include "videotestsupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rendertest {

// Runs a shell command; its exit status (-1 when it did not exit), with what it printed on
// stdout and stderr when asked for.
int RunCommand(const std::string& theCommand, std::string* outPrinted = nullptr, std::string* outErrors = nullptr);

// Runs glintweave with theArguments (already quoted for the shell) in the test's settings folder.
int RunGlintweave(const std::string& theArguments, std::string* outPrinted = nullptr, std::string* outErrors = nullptr);

// One row of render --plan: movie frames, what fills them, and the clip frame they start at.
struct PlanRow {
    int movieFirst = 0, movieLast = 0;
    std::string what;
    int clipFirst = 0;
};

// The rows glintweave's render --plan prints for theArguments (already quoted for the shell).
std::vector<PlanRow> PlanOf(const std::string& theArguments);

// Frame theFrame of a movie as FFmpeg's own command-line tool decodes it, 8-bit RGB, after
// theFilters (each ending in a comma) where given.
std::vector<uint8_t> FfmpegFrame(const std::string& thePath, int theFrame, const std::string& theFilters = "");

// The frames FFmpeg's prober counts in the movie's first video stream.
int FfprobeFrameCount(const std::string& thePath);

// Mean and 99th percentile of the absolute differences between two pictures of the same size.
struct Difference {
    double mean = 0.0;
    int percentile99 = 0;
};
Difference DifferenceOf(const std::vector<uint8_t>& theOne, const std::vector<uint8_t>& theOther);

} // namespace rendertest
