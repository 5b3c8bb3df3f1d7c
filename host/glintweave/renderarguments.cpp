#include "renderarguments.h"

#include "PluginBundle.h"
#include "mediainput.h"
#include "outputformats.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

const char* const cRenderOptionsHelp =
    "  --transition out|in|cross  which transition: cross at every cut between two clips or more;\n"
    "                             in opens the movie on the first clip and out closes it on the\n"
    "                             last, the clips between joined by plain cuts\n"
    "  --speed S                  0 (short) to 1 (long), default 0.5\n"
    "  --frames N                 the transition's length in frames (1 or more), instead of --speed\n"
    "  --duration SECONDS         the transition's length in seconds, instead of --speed\n"
    "  --at SECONDS               where in the first clip the transition starts; default: out and\n"
    "                             cross end with the clip, in starts with it (only with a single\n"
    "                             transition: one clip, or two for cross)\n"
    "  --still-duration SECONDS   how long a still picture (PNG, JPEG) among the clips lasts,\n"
    "                             default 3; it is fitted into the frame on black, and silent\n"
    "  --fill COLOUR              the fill colour of out and in: #RRGGBB or a CSS colour name\n"
    "  --region L,R,T,B           the part of the frame that dissolves, as fractions of its width\n"
    "                             and height (0,1,0,1 is the whole frame)\n"
    "                             --fill and --region hold for this render only: the saved\n"
    "                             settings are used for the rest and never changed\n"
    "  --size WxH                 output size, default the first moving clip's (a movie of stills\n"
    "                             only: the first still's, within 1920x1080; 25 frames a second);\n"
    "                             a clip of another shape is fitted inside the frame on black\n"
    "  --proxy                    a quick proxy: half the size each way, quickly scaled and\n"
    "                             encoded; the plug-in mixes no sound into a proxy's transition\n"
    "  --bundle PATH              the plug-in bundle to load\n"
    "  --stats                    afterwards, print on stderr the time taken and the plug-in's\n"
    "                             own share of it\n";

namespace {

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

bool IsOutputOption(const std::string& theOption)
{
    return theOption == "-o" || theOption == "--crf" || theOption == "--preset" || theOption == "--plan" ||
           theOption == "--reencode";
}

bool IsValueOption(const std::string& theOption)
{
    for (const char* theName : {"--size", "--frames", "--duration", "--at", "--still-duration", "--fill", "--region"})
        if (theOption == theName) return true;
    return IsOutputOption(theOption) && theOption != "--plan" && theOption != "--reencode";
}

// The options with a value beyond the shared ones; false with the message.
bool TakeValueOption(const std::string& theOption, const std::string& theValue, RenderJob& ioJob,
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
    } else if (theOption == "--still-duration") {
        if (ParseSeconds(theValue, ioJob.stillSeconds) && ioJob.stillSeconds > 0.0) return true;
        outError = "--still-duration takes a number of seconds above 0, not '" + theValue + "'";
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
    // The movie takes the first moving clip's size; a picture (read by FFmpeg's image readers,
    // not a numbered sequence of them) is fitted into it.
    for (const std::string& thePath : theJob.clips) {
        video::MediaInput theClip;
        if (!theClip.Open(thePath, AVMEDIA_TYPE_VIDEO, theIgnored)) return true; // the render says why
        const std::string theReader = theClip.Format()->iformat->name;
        if ((theReader == "image2" && thePath.find('%') == std::string::npos) || theReader.ends_with("_pipe")) continue;
        const SInt32 theWidth = theClip.Stream()->codecpar->width, theHeight = theClip.Stream()->codecpar->height;
        if (theWidth % 2 != 0 || theHeight % 2 != 0) {
            std::fprintf(stderr, "glintweave: note: %s is %s; %s takes only even sizes, so the movie is %s\n",
                         video::Quoted(thePath).c_str(), SizeText(theWidth, theHeight).c_str(), theKind.c_str(),
                         SizeText(theWidth & ~1, theHeight & ~1).c_str());
        }
        return true;
    }
    return true;
}

// What render checks of its output before loading anything.
bool CheckOutput(const RenderJob& theJob, std::string& outError)
{
    if (theJob.output.empty()) {
        outError = "render: -o OUTPUT is missing";
        return false;
    }
    if ((theJob.crf >= 0 || !theJob.preset.empty()) && !IsMp4(theJob.output)) {
        outError = "render: --crf and --preset are for .mp4 outputs only";
        return false;
    }
    if (!video::CheckOutputSparesInputs(theJob.output, theJob.clips, outError)) {
        outError = "render: " + outError;
        return false;
    }
    if (!video::CheckMovieOutput(theJob.output, outError)) return false;
    if (!CheckEvenSize(theJob, outError)) {
        outError = "render: " + outError;
        return false;
    }
    return true;
}

} // namespace

bool ParseRenderArguments(const Arguments& theArguments, bool theWantsOutput, RenderRequest& outRequest,
                          std::string& outError)
{
    const std::string theCommand = theWantsOutput ? "render" : "play";
    RenderRequest& theRequest = outRequest;
    theRequest = RenderRequest{};
    theRequest.job.which = 0;
    theRequest.bundlePath = DefaultBundlePath();
    std::vector<std::string> theClips;
    for (size_t i = 0; i < theArguments.size(); ++i) {
        const std::string& theArgument = theArguments[i];
        if (!theWantsOutput && (theArgument == "-y" || IsOutputOption(theArgument))) {
            outError = theCommand + ": " + theArgument + " is for render; play writes no file";
            return false;
        }
        if (theArgument == "--proxy") {
            theRequest.job.proxy = true;
        } else if (theArgument == "-y") {
            theRequest.job.replace = true;
        } else if (theArgument == "--stats") {
            theRequest.stats = true;
        } else if (theArgument == "--plan") {
            theRequest.plan = true;
        } else if (theArgument == "--reencode") {
            theRequest.job.reencode = true;
        } else if (IsSharedOption(theArgument) || IsValueOption(theArgument)) {
            if (i + 1 >= theArguments.size()) {
                outError = theCommand + ": " + theArgument + " needs a value";
                return false;
            }
            const std::string& theValue = theArguments[++i];
            int theWhich = theRequest.job.which;
            const bool theTaken =
                IsValueOption(theArgument)
                    ? TakeValueOption(theArgument, theValue, theRequest.job, theRequest.changes, outError)
                    : TakeSharedOption(theArgument, theValue, theWhich, theRequest.job.speed, theRequest.bundlePath,
                                       outError);
            theRequest.job.which = theWhich;
            if (!theTaken) return false;
        } else if (!theArgument.empty() && theArgument[0] == '-') {
            outError = theCommand + ": unknown option '" + theArgument + "'";
            return false;
        } else {
            theClips.push_back(theArgument);
        }
    }
    const int theWhich = theRequest.job.which;
    if (theWhich <= 0) {
        outError = theCommand + ": --transition out|in|cross is missing (see glintweave " + theCommand + " --help)";
        return false;
    }
    if (theClips.size() < (theWhich == 3 ? 2u : 1u)) {
        outError = theCommand + ": " + (theWhich == 3 ? "cross takes two clips or more" : "out and in take a clip") +
                   ", not " + std::to_string(theClips.size());
        return false;
    }
    theRequest.job.clips = theClips;
    return !theWantsOutput || CheckOutput(theRequest.job, outError);
}
