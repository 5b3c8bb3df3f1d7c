#include "commands.h"

#include <cstdlib>

namespace {

// 1 Out, 2 In, 3 Cross; -1 for anything else.
int ParseTransition(const std::string& theValue)
{
    return theValue == "out" ? 1 : theValue == "in" ? 2 : theValue == "cross" ? 3 : -1;
}

} // namespace

bool ParseSpeed(const std::string& theValue, float& outSpeed)
{
    char* theEnd = nullptr;
    const float theSpeed = std::strtof(theValue.c_str(), &theEnd);
    if (theEnd == theValue.c_str() || *theEnd || !(theSpeed >= 0.0f && theSpeed <= 1.0f)) return false;
    outSpeed = theSpeed;
    return true;
}

bool TakeTransitionClips(const std::string& theCommand, int theWhich, const std::vector<std::string>& theClips,
                         std::string& outClipA, std::string& outClipB, std::string& outError)
{
    if (theWhich <= 0) {
        outError = theCommand + ": --transition out|in|cross is missing (see glintweave " + theCommand + " --help)";
        return false;
    }
    const size_t theNeeded = theWhich == 3 ? 2 : 1;
    if (theClips.size() != theNeeded) {
        outError = theCommand + ": " + (theWhich == 3 ? "cross takes two clips" : "out and in take one clip") +
                   ", not " + std::to_string(theClips.size());
        return false;
    }
    outClipA = theClips[0];
    if (theNeeded == 2) outClipB = theClips[1];
    return true;
}

bool IsSharedOption(const std::string& theOption)
{
    return theOption == "--transition" || theOption == "--speed" || theOption == "--bundle";
}

bool TakeSharedOption(const std::string& theOption, const std::string& theValue, int& ioWhich, float& ioSpeed,
                      std::string& ioBundlePath, std::string& outError)
{
    if (theOption == "--transition") {
        ioWhich = ParseTransition(theValue);
        if (ioWhich < 0) outError = "--transition is out, in or cross, not '" + theValue + "'";
        return ioWhich >= 0;
    }
    if (theOption == "--speed") {
        if (ParseSpeed(theValue, ioSpeed)) return true;
        outError = "--speed takes a number from 0 to 1, not '" + theValue + "'";
        return false;
    }
    ioBundlePath = theValue;
    return true;
}
