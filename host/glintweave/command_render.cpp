#include "commands.h"

#include "PluginBundle.h"
#include "ProgressBar.h"
#include "RenderMovie.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* cUsage =
    "usage: glintweave render --transition out|in|cross [options] CLIP [CLIP_B] -o OUTPUT\n"
    "\n"
    "Renders a finished movie: for cross, clip A, the transition into clip B and the rest of B;\n"
    "for out, clip A ending in the transition; for in, clip A starting with it. The transition's\n"
    "length comes from the plug-in at the chosen speed; the sound fades at the plug-in's levels.\n"
    "\n"
    "options:\n"
    "  --transition out|in|cross  which transition (cross takes two clips, out and in one)\n"
    "  --speed S                  0 (short) to 1 (long), default 0.5\n"
    "  --size WxH                 output size, default the first clip's\n"
    "  --proxy                    quick proxy rendering\n"
    "  -o OUTPUT                  .mp4 (H.264, AAC), .mkv (lossless FFV1, FLAC), .y4m, or .png\n"
    "                             (one picture a frame: shot_%04d.png)\n"
    "  --bundle PATH              the plug-in bundle to load\n";

bool ParseSize(const std::string& theValue, SInt32& outWidth, SInt32& outHeight)
{
    char* theEnd = nullptr;
    const long theWidth = std::strtol(theValue.c_str(), &theEnd, 10);
    if (theEnd == theValue.c_str() || (*theEnd != 'x' && *theEnd != 'X')) return false;
    const char* theHeightText = theEnd + 1;
    const long theHeight = std::strtol(theHeightText, &theEnd, 10);
    if (theEnd == theHeightText || *theEnd || theWidth < 2 || theHeight < 2 || theWidth > 8192 || theHeight > 8192)
        return false;
    outWidth = SInt32(theWidth);
    outHeight = SInt32(theHeight);
    return true;
}

} // namespace

int RenderCommand(const Arguments& theArguments)
{
    RenderJob theJob;
    theJob.which = 0;
    std::string theBundlePath = DefaultBundlePath();
    std::vector<std::string> theClips;
    for (size_t i = 0; i < theArguments.size(); ++i) {
        const std::string& theArgument = theArguments[i];
        if (theArgument == "--help" || theArgument == "-h") {
            std::fputs(cUsage, stdout);
            return 0;
        }
        if (theArgument == "--proxy") {
            theJob.proxy = true;
            continue;
        }
        const bool theTakesValue = theArgument == "--transition" || theArgument == "--speed" ||
                                   theArgument == "--size" || theArgument == "-o" || theArgument == "--bundle";
        if (theTakesValue) {
            if (i + 1 >= theArguments.size()) return Fail("render: " + theArgument + " needs a value");
            const std::string& theValue = theArguments[++i];
            if (theArgument == "--transition") {
                theJob.which = ParseTransition(theValue);
                if (theJob.which < 0) return Fail("--transition is out, in or cross, not '" + theValue + "'");
            } else if (theArgument == "--speed") {
                if (!ParseSpeed(theValue, theJob.speed))
                    return Fail("--speed takes a number from 0 to 1, not '" + theValue + "'");
            } else if (theArgument == "--size") {
                if (!ParseSize(theValue, theJob.width, theJob.height))
                    return Fail("--size takes WIDTHxHEIGHT from 2x2 to 8192x8192, not '" + theValue + "'");
            } else if (theArgument == "-o") {
                theJob.output = theValue;
            } else {
                theBundlePath = theValue;
            }
            continue;
        }
        if (!theArgument.empty() && theArgument[0] == '-') return Fail("render: unknown option '" + theArgument + "'");
        theClips.push_back(theArgument);
    }
    if (theJob.which == 0) return Fail("render: --transition out|in|cross is missing (see glintweave render --help)");
    if (theJob.output.empty()) return Fail("render: -o OUTPUT is missing");
    const size_t theNeeded = theJob.which == 3 ? 2 : 1;
    if (theClips.size() != theNeeded)
        return Fail(std::string("render: ") + (theJob.which == 3 ? "cross takes two clips" : "out and in take one clip") +
                    ", not " + std::to_string(theClips.size()));
    theJob.clipA = theClips[0];
    if (theNeeded == 2) theJob.clipB = theClips[1];

    std::string theError;
    std::unique_ptr<PluginBundle> theBundle = PluginBundle::Load(theBundlePath, theError);
    if (!theBundle) return Fail(theError);
    RenderObserver theObserver;
    bool theFinished = false;
    {
        ProgressBar theBar("rendering");
        theObserver.progress = [&](SInt32 theDone, SInt32 theTotal) { theBar.Update(theDone, theTotal); };
        theFinished = RenderMovie(theBundle->Main(), theJob, theObserver, theError);
    }
    if (!theFinished) return Fail(theError);
    std::printf("%s\n", theJob.output.c_str());
    return 0;
}
