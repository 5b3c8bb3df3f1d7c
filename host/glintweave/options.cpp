#include "commands.h"

#include <cstdlib>

Option TransitionOption(const char* theHelp, SInt32& outWhich)
{
    Option theOption{"--transition", "out|in|cross", theHelp, [&outWhich](const std::string& theValue, std::string& outError) {
                         outWhich = theValue == "out" ? 1 : theValue == "in" ? 2 : theValue == "cross" ? 3 : 0;
                         outError = "is out, in or cross";
                         return outWhich != 0;
                     }};
    theOption.required = true;
    return theOption;
}

Option SpeedOption(const char* theHelp, float& outSpeed)
{
    return Option{"--speed", "S", theHelp, [&outSpeed](const std::string& theValue, std::string& outError) {
                      char* theEnd = nullptr;
                      const float theSpeed = std::strtof(theValue.c_str(), &theEnd);
                      outError = "takes a number from 0 to 1";
                      if (theEnd == theValue.c_str() || *theEnd || !(theSpeed >= 0.0f && theSpeed <= 1.0f)) return false;
                      outSpeed = theSpeed;
                      return true;
                  }};
}

Option BundleOption(std::string& outPath)
{
    return TextOption("--bundle", "PATH", "the plug-in bundle to load, default the build's own", outPath);
}

std::unique_ptr<PluginBundle> LoadBundle(const std::string& theGiven, std::string& outError)
{
    return PluginBundle::Load(theGiven.empty() ? DefaultBundlePath() : theGiven, outError);
}

bool CheckClipCount(SInt32 theWhich, size_t theCount, bool theSingle, std::string& outError)
{
    const size_t theLeast = theWhich == 3 ? 2 : 1;
    if (theSingle ? theCount == theLeast : theCount >= theLeast) return true;
    const char* const theNames[] = {"", "out", "in", "cross"};
    const char* const theClips = theWhich == 3 ? (theSingle ? "two clips" : "two clips or more")
                                               : (theSingle ? "one clip" : "a clip or more");
    outError = std::string(theNames[theWhich]) + " takes " + theClips + ", not " + std::to_string(theCount);
    return false;
}
