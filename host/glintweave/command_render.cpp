#include "commands.h"

#include "OneRenderSettings.h"
#include "PluginBundle.h"
#include "ProgressBar.h"
#include "RenderMovie.h"
#include "MovieWriter.h"
#include "mediainput.h"
#include "outputformats.h"
#include "signalcleanup.h"

#include <cctype>
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
    "  --frames N                 the transition's length in frames (1 or more), instead of --speed\n"
    "  --duration SECONDS         the transition's length in seconds, instead of --speed\n"
    "  --at SECONDS               where in the first clip the transition starts; default: out and\n"
    "                             cross end with the clip, in starts with it\n"
    "  --fill COLOUR              the fill colour of out and in: #RRGGBB or a CSS colour name\n"
    "  --region L,R,T,B           the part of the frame that dissolves, as fractions of its width\n"
    "                             and height (0,1,0,1 is the whole frame)\n"
    "                             --fill and --region hold for this render only: the saved\n"
    "                             settings are used for the rest and never changed\n"
    "  --size WxH                 output size, default the first clip's\n"
    "  --proxy                    a quick proxy: half the size each way, quickly scaled and\n"
    "                             encoded; the plug-in mixes no sound into a proxy's transition\n"
    "  -o OUTPUT                  .mp4 (H.264, AAC), .mov (ProRes 422 HQ, PCM), .mkv (lossless\n"
    "                             UT Video, FLAC), .y4m, or .png\n"
    "                             (one picture a frame: shot_%04d.png)\n"
    "  -y                         replace OUTPUT if it exists (without it, an existing OUTPUT\n"
    "                             is refused)\n"
    "  --crf N, --preset NAME     .mp4 only: x264's quality, 0 (lossless) to 51, default 18, and\n"
    "                             speed, ultrafast to veryslow, default veryfast\n"
    "  --bundle PATH              the plug-in bundle to load\n"
    "  --stats                    afterwards, print on stderr the time taken and the plug-in's\n"
    "                             own share of it\n";

// A number of seconds from 0 to a day; false for anything else.
bool ParseSeconds(const std::string& theValue, double& outSeconds)
{
    char* theEnd = nullptr;
    const double theSeconds = std::strtod(theValue.c_str(), &theEnd);
    if (theEnd == theValue.c_str() || *theEnd || !(theSeconds >= 0.0 && theSeconds <= 86400.0)) return false;
    outSeconds = theSeconds;
    return true;
}

bool ParseFrameCount(const std::string& theValue, SInt32& outFrames)
{
    char* theEnd = nullptr;
    const long theFrames = std::strtol(theValue.c_str(), &theEnd, 10);
    if (theEnd == theValue.c_str() || *theEnd || theFrames < 1 || theFrames > 1000000) return false;
    outFrames = SInt32(theFrames);
    return true;
}

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

// The options that take a value and are render's own; false with the message.
bool TakeRenderOption(const std::string& theOption, const std::string& theValue, RenderJob& ioJob,
                      SettingsChanges& ioChanges, std::string& outError)
{
    if (theOption == "--size") {
        if (ParseSize(theValue, ioJob.width, ioJob.height)) return true;
        outError = "--size takes WIDTHxHEIGHT from 2x2 to 8192x8192, not '" + theValue + "'";
    } else if (theOption == "-o") {
        ioJob.output = theValue;
        return true;
    } else if (theOption == "--crf") {
        char* theEnd = nullptr;
        const long theCrf = std::strtol(theValue.c_str(), &theEnd, 10);
        if (theEnd != theValue.c_str() && !*theEnd && theCrf >= 0 && theCrf <= 51) {
            ioJob.crf = int(theCrf);
            return true;
        }
        outError = "--crf takes a whole number from 0 to 51, not '" + theValue + "'";
    } else if (theOption == "--preset") {
        for (const char* theName : {"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower",
                                    "veryslow", "placebo"}) {
            if (theValue == theName) {
                ioJob.preset = theValue;
                return true;
            }
        }
        outError = "--preset is one of ultrafast, superfast, veryfast, faster, fast, medium, slow, slower, veryslow, "
                   "not '" + theValue + "'";
    } else if (theOption == "--frames") {
        if (ParseFrameCount(theValue, ioJob.frames)) return true;
        outError = "--frames takes a whole number of frames from 1 to 1000000, not '" + theValue + "'";
    } else if (theOption == "--duration") {
        if (ParseSeconds(theValue, ioJob.seconds) && ioJob.seconds > 0.0) return true;
        outError = "--duration takes a number of seconds above 0, not '" + theValue + "'";
    } else if (theOption == "--at") {
        if (ParseSeconds(theValue, ioJob.at)) return true;
        outError = "--at takes a number of seconds from 0, not '" + theValue + "'";
    } else if (theOption == "--fill") {
        Colour8 theColour{};
        if (ParseColour(theValue, theColour)) {
            ioChanges.fill = theColour;
            return true;
        }
        outError = "--fill takes #RRGGBB or a CSS colour name such as orange, not '" + theValue + "'";
    } else if (theOption == "--region") {
        std::array<double, 4> theRegion{};
        if (ParseRegion(theValue, theRegion)) {
            ioChanges.region = theRegion;
            return true;
        }
        outError = "--region takes LEFT,RIGHT,TOP,BOTTOM, fractions from 0 to 1 with left below right and top "
                   "below bottom, not '" + theValue + "'";
    }
    return false;
}

bool IsMp4(const std::string& thePath)
{
    if (thePath.size() < 4) return false;
    std::string theEnd = thePath.substr(thePath.size() - 4);
    for (char& c : theEnd) c = char(std::tolower(static_cast<unsigned char>(c)));
    return theEnd == ".mp4";
}

bool IsRenderOption(const std::string& theOption)
{
    for (const char* theName :
         {"--size", "-o", "--frames", "--duration", "--at", "--fill", "--region", "--crf", "--preset"})
        if (theOption == theName) return true;
    return false;
}

std::string SizeText(SInt32 theWidth, SInt32 theHeight)
{
    return std::to_string(theWidth) + "x" + std::to_string(theHeight);
}

// 4:2:0 movies take only even sizes: an odd --size is refused, and an odd clip's size is
// rounded down, with a note.
bool CheckEvenSize(const RenderJob& theJob, std::string& outError)
{
    std::string theIgnored;
    const video::OutputFormat* theFormat = video::OutputFormatFor(theJob.output, theIgnored);
    if (!theFormat || !video::NeedsEvenSize(*theFormat)) return true;
    const std::string theKind = theFormat->extension;
    if (theJob.width > 0) {
        if (theJob.width % 2 == 0 && theJob.height % 2 == 0) return true;
        outError = "--size " + SizeText(theJob.width, theJob.height) + ": " + theKind +
                   " takes only an even width and height, such as " +
                   SizeText(theJob.width & ~1, theJob.height & ~1) + " or " +
                   SizeText((theJob.width + 1) & ~1, (theJob.height + 1) & ~1);
        return false;
    }
    video::MediaInput theClip;
    if (!theClip.Open(theJob.clipA, AVMEDIA_TYPE_VIDEO, theIgnored)) return true; // the render says why
    const SInt32 theWidth = theClip.Stream()->codecpar->width, theHeight = theClip.Stream()->codecpar->height;
    if (theWidth % 2 != 0 || theHeight % 2 != 0) {
        std::fprintf(stderr, "glintweave: note: %s is %s; %s takes only even sizes, so the movie is %s\n",
                     video::Quoted(theJob.clipA).c_str(), SizeText(theWidth, theHeight).c_str(), theKind.c_str(),
                     SizeText(theWidth & ~1, theHeight & ~1).c_str());
    }
    return true;
}

} // namespace

int RenderCommand(const Arguments& theArguments)
{
    RenderJob theJob;
    theJob.which = 0;
    SettingsChanges theChanges;
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
        if (theArgument == "-y") {
            theJob.replace = true;
            continue;
        }
        if (theArgument == "--stats") {
            theStatsWanted = true;
            continue;
        }
        if (IsSharedOption(theArgument) || IsRenderOption(theArgument)) {
            if (i + 1 >= theArguments.size()) return Fail("render: " + theArgument + " needs a value");
            const std::string& theValue = theArguments[++i];
            std::string theError;
            const bool theTaken = IsRenderOption(theArgument)
                                      ? TakeRenderOption(theArgument, theValue, theJob, theChanges, theError)
                                      : TakeSharedOption(theArgument, theValue, theJob.which, theJob.speed,
                                                         theBundlePath, theError);
            if (!theTaken) return Fail(theError);
            continue;
        }
        if (!theArgument.empty() && theArgument[0] == '-') return Fail("render: unknown option '" + theArgument + "'");
        theClips.push_back(theArgument);
    }
    std::string theError;
    if (!TakeTransitionClips("render", theJob.which, theClips, theJob.clipA, theJob.clipB, theError))
        return Fail(theError);
    if (theJob.output.empty()) return Fail("render: -o OUTPUT is missing");
    if ((theJob.crf >= 0 || !theJob.preset.empty()) && !IsMp4(theJob.output))
        return Fail("render: --crf and --preset are for .mp4 outputs only");
    std::vector<std::string> theInputs{theJob.clipA};
    if (!theJob.clipB.empty()) theInputs.push_back(theJob.clipB);
    if (!video::CheckOutputSparesInputs(theJob.output, theInputs, theError)) return Fail("render: " + theError);
    if (!video::CheckMovieOutput(theJob.output, theError)) return Fail(theError);
    if (!CheckEvenSize(theJob, theError)) return Fail("render: " + theError);
    video::RemovePendingOutputsOnSignals();

    OneRenderSettings theSettings;
    if (theChanges.Any() && !theSettings.Apply(theChanges, theError)) return Fail(theError);
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
