#include "commands.h"

#include "PluginBundle.h"
#include "ProgressBar.h"
#include "RenderMovie.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

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
    "  --proxy                    a quick proxy: half the size each way, quickly scaled and\n"
    "                             encoded; the plug-in mixes no sound into a proxy's transition\n"
    "  -o OUTPUT                  .mp4 (H.264, AAC), .mkv (lossless FFV1, FLAC), .y4m, or .png\n"
    "                             (one picture a frame: shot_%04d.png)\n"
    "  --bundle PATH              the plug-in bundle to load\n"
    "  --stats                    afterwards, print on stderr the time taken and the plug-in's\n"
    "                             own share of it\n";

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

double ProcessorSeconds()
{
    rusage theUsage{};
    getrusage(RUSAGE_SELF, &theUsage);
    return double(theUsage.ru_utime.tv_sec + theUsage.ru_stime.tv_sec) +
           double(theUsage.ru_utime.tv_usec + theUsage.ru_stime.tv_usec) * 1e-6;
}

// The plug-in's share is of the processor time of every thread: wall time would count the
// moments the plug-in's thread waited for the encoder's to leave it a core.
void PrintStatistics(const RenderStatistics& theStatistics, std::chrono::steady_clock::time_point theStart)
{
    const double theWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - theStart).count();
    const double theProcessor = ProcessorSeconds();
    std::fprintf(stderr, "render: %d frames in %.2f s, %.2f s of processor time; the plug-in's own %.3f s (%.1f %%)\n",
                 int(theStatistics.frames), theWall, theProcessor, theStatistics.pluginSeconds,
                 theProcessor > 0.0 ? 100.0 * theStatistics.pluginSeconds / theProcessor : 0.0);
}

} // namespace

int RenderCommand(const Arguments& theArguments)
{
    RenderJob theJob;
    theJob.which = 0;
    std::string theBundlePath = DefaultBundlePath();
    std::vector<std::string> theClips;
    bool theStatsWanted = false;
    const auto theStart = std::chrono::steady_clock::now();
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
        if (theArgument == "--stats") {
            theStatsWanted = true;
            continue;
        }
        if (IsSharedOption(theArgument) || theArgument == "--size" || theArgument == "-o") {
            if (i + 1 >= theArguments.size()) return Fail("render: " + theArgument + " needs a value");
            const std::string& theValue = theArguments[++i];
            std::string theError;
            if (theArgument == "--size") {
                if (!ParseSize(theValue, theJob.width, theJob.height))
                    return Fail("--size takes WIDTHxHEIGHT from 2x2 to 8192x8192, not '" + theValue + "'");
            } else if (theArgument == "-o") {
                theJob.output = theValue;
            } else if (!TakeSharedOption(theArgument, theValue, theJob.which, theJob.speed, theBundlePath, theError)) {
                return Fail(theError);
            }
            continue;
        }
        if (!theArgument.empty() && theArgument[0] == '-') return Fail("render: unknown option '" + theArgument + "'");
        theClips.push_back(theArgument);
    }
    std::string theError;
    if (!TakeTransitionClips("render", theJob.which, theClips, theJob.clipA, theJob.clipB, theError))
        return Fail(theError);
    if (theJob.output.empty()) return Fail("render: -o OUTPUT is missing");

    std::unique_ptr<PluginBundle> theBundle = PluginBundle::Load(theBundlePath, theError);
    if (!theBundle) return Fail(theError);
    RenderObserver theObserver;
    RenderStatistics theStatistics;
    bool theFinished = false;
    {
        ProgressBar theBar("rendering");
        theObserver.progress = [&](SInt32 theDone, SInt32 theTotal) { theBar.Update(theDone, theTotal); };
        theFinished = RenderMovie(theBundle->Main(), theJob, theObserver, theError, &theStatistics);
    }
    if (!theFinished) return Fail(theError);
    if (theStatsWanted) PrintStatistics(theStatistics, theStart);
    std::printf("%s\n", theJob.output.c_str());
    return 0;
}
