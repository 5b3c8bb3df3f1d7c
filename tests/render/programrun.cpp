#include "programrun.h"

#include "pluginfixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>

namespace rendertest {

namespace {

std::string ReadAndRemove(const std::string& thePath)
{
    std::ifstream theStream(thePath, std::ios::binary);
    std::string theText(std::istreambuf_iterator<char>(theStream), {});
    std::remove(thePath.c_str());
    return theText;
}

} // namespace

int RunCommand(const std::string& theCommand, std::string* outPrinted, std::string* outErrors)
{
    static videotest::TemporaryFolder lgScratch;
    const std::string theOut = lgScratch.PathOf("stdout"), theErr = lgScratch.PathOf("stderr");
    const int theStatus = std::system((theCommand + " >" + theOut + " 2>" + theErr + " </dev/null").c_str());
    const std::string thePrinted = ReadAndRemove(theOut), theErrors = ReadAndRemove(theErr);
    if (outPrinted) *outPrinted = thePrinted;
    if (outErrors) *outErrors = theErrors;
    return WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1;
}

int RunGlintweave(const std::string& theArguments, std::string* outPrinted, std::string* outErrors)
{
    testing_support::PreferencesFolder();
    return RunCommand(std::string(GLINT_PROGRAM_PATH) + " " + theArguments, outPrinted, outErrors);
}

std::vector<PlanRow> PlanOf(const std::string& theArguments)
{
    std::string thePrinted, theErrors;
    EXPECT_EQ(RunGlintweave("render --plan " + theArguments, &thePrinted, &theErrors), 0) << theErrors;
    std::vector<PlanRow> theRows;
    std::istringstream theLines(thePrinted);
    for (std::string theLine; std::getline(theLines, theLine);) {
        // Columns are two spaces apart.
        std::vector<std::string> theColumns;
        for (size_t theAt = 0; theAt < theLine.size();) {
            const size_t theGap = theLine.find("  ", theAt);
            theColumns.push_back(theLine.substr(theAt, theGap - theAt));
            theAt = theLine.find_first_not_of(' ', theGap);
        }
        PlanRow theRow;
        if (theColumns.size() < 4 || std::sscanf(theColumns[0].c_str(), "%d-%d", &theRow.movieFirst, &theRow.movieLast) != 2 ||
            std::sscanf(theColumns[2].c_str(), "%d", &theRow.clipFirst) != 1)
            continue;
        theRow.what = theColumns[1];
        theRows.push_back(theRow);
    }
    return theRows;
}

std::vector<uint8_t> FfmpegFrame(const std::string& thePath, int theFrame, const std::string& theFilters)
{
    std::string thePixels, theErrors;
    const std::string theCommand = "ffmpeg -v error -i '" + thePath + "' -vf '" + theFilters + "select=eq(n\\," + std::to_string(theFrame) +
                                   ")' -frames:v 1 -f rawvideo -pix_fmt rgb24 -";
    EXPECT_EQ(RunCommand(theCommand, &thePixels, &theErrors), 0) << theErrors;
    return std::vector<uint8_t>(thePixels.begin(), thePixels.end());
}

int FfprobeFrameCount(const std::string& thePath)
{
    std::string theCount;
    EXPECT_EQ(RunCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames "
                         "-of csv=p=0 '" + thePath + "'",
                         &theCount),
              0);
    return std::atoi(theCount.c_str());
}

Difference DifferenceOf(const std::vector<uint8_t>& theOne, const std::vector<uint8_t>& theOther)
{
    EXPECT_EQ(theOne.size(), theOther.size());
    const size_t theSize = std::min(theOne.size(), theOther.size());
    if (theSize == 0) return Difference{255.0, 255};
    std::array<size_t, 256> theCounts{};
    double theSum = 0.0;
    for (size_t i = 0; i < theSize; ++i) {
        const int theGap = std::abs(int(theOne[i]) - int(theOther[i]));
        ++theCounts[size_t(theGap)];
        theSum += theGap;
    }
    Difference theResult{theSum / double(theSize), 0};
    size_t theSeen = 0;
    while (theSeen + theCounts[size_t(theResult.percentile99)] < theSize * 99 / 100) theSeen += theCounts[size_t(theResult.percentile99++)];
    return theResult;
}

} // namespace rendertest
