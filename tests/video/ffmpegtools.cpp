#include "ffmpegtools.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace videotest {

std::string Output(const std::string& theCommand)
{
    std::string thePrinted;
    FILE* thePipe = popen(theCommand.c_str(), "r");
    if (!thePipe) return "(cannot run " + theCommand + ")";
    char theBuffer[4096];
    size_t theCount;
    while ((theCount = fread(theBuffer, 1, sizeof theBuffer, thePipe)) > 0) thePrinted.append(theBuffer, theCount);
    pclose(thePipe);
    return thePrinted;
}

std::string MakePatternClip(const TemporaryFolder& theFolder, const std::string& theName, const std::string& theSource,
                            const std::string& theOptions, double theSeconds, bool theWithSound)
{
    const std::string thePath = theFolder.PathOf(theName);
    const std::string theLength = std::to_string(theSeconds);
    std::string theCommand = "ffmpeg -v error -nostdin -y -f lavfi -i " + theSource + "=s=320x240:r=25:d=" + theLength + " ";
    if (theWithSound) theCommand += "-f lavfi -i sine=f=330:d=" + theLength + " ";
    theCommand += theOptions + " '" + thePath + "' 2>&1";
    EXPECT_EQ(Output(theCommand), "") << theCommand;
    return thePath;
}

std::vector<std::string> PictureHashes(const std::string& thePath, double theSeconds, int theCount)
{
    std::string theCommand = "ffmpeg -v error -nostdin ";
    if (theSeconds >= 0) theCommand += "-ss " + std::to_string(theSeconds) + " ";
    theCommand += "-i '" + thePath + "' -map 0:v ";
    if (theCount > 0) theCommand += "-frames:v " + std::to_string(theCount) + " ";
    std::istringstream theLines(Output(theCommand + "-f framemd5 - 2>/dev/null"));
    std::vector<std::string> theHashes;
    for (std::string theLine; std::getline(theLines, theLine);) {
        if (theLine.empty() || theLine[0] == '#') continue;
        theHashes.push_back(theLine.substr(theLine.rfind(',') + 1));
    }
    return theHashes;
}

std::vector<std::pair<long long, long long>> PacketTimes(const std::string& thePath)
{
    std::istringstream theLines(Output("ffprobe -v error -select_streams v -show_entries packet=dts,pts -of csv=p=0 '" +
                                       thePath + "'"));
    std::vector<std::pair<long long, long long>> theTimes;
    for (std::string theLine; std::getline(theLines, theLine);) {
        long long theDts = 0, thePts = 0;
        if (std::sscanf(theLine.c_str(), "%lld,%lld", &thePts, &theDts) == 2) theTimes.emplace_back(theDts, thePts);
    }
    return theTimes;
}

double StreamSeconds(const std::string& thePath, char theKind)
{
    double theSeconds = -1;
    std::sscanf(Output(std::string("ffprobe -v error -select_streams ") + theKind +
                       " -show_entries stream=duration -of csv=p=0 '" + thePath + "'")
                    .c_str(),
                "%lf", &theSeconds);
    return theSeconds;
}

} // namespace videotest
