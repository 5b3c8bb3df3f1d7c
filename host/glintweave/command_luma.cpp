#include "commands.h"

#include "LumaFile.h"
#include "OneRenderSettings.h"
#include "RenderPlan.h"
#include "renderarguments.h"

#include <cstdio>
#include <sys/stat.h>

extern "C" {
#include <libavutil/parseutils.h>
}

namespace {

const char* const cUsage =
    "usage: glintweave luma --size WxH --frames N [options] -o MAP.pgm\n"
    "\n"
    "Writes the transition's random order as a 16-bit greyscale map for a luma wipe (MLT's luma\n"
    "transition in Shotcut, Kdenlive, Flowblade and melt; FFmpeg's threshold filter). With\n"
    "softness 0, over N frames at this size, the wipe shows on every frame exactly the pixels\n"
    "that 'glintweave render' of the same transition shows new; at another length the same\n"
    "order is spread evenly over it. The pattern and region are the saved settings'.\n"
    "\n"
    "options:\n"
    "  --size WxH                 the frame size, 2x2 to 16384x16384\n"
    "  --frames N                 the transition's length, 1 to 32768 frames\n"
    "  --duration S --rate R      or its length in seconds at a frame rate (25, 30000/1001, ntsc)\n"
    "  --transition cross|in|out  default cross; for in and out the other clip is one of the fill\n"
    "                             colour: the new clip for out, the old one for in\n"
    "  --region L,R,T,B           the part of the frame that dissolves, instead of the saved one\n"
    "  -o MAP.pgm                 the map; its name must end in .pgm\n"
    "  -y                         replace MAP.pgm if it exists\n";

struct LumaArguments {
    LumaRequest request{0, 0, 0, 3, {0.0, 1.0, 0.0, 1.0}};
    double seconds = 0.0;
    std::string duration; // as given, for messages
    AVRational rate{0, 1};
    bool hasRegion = false;
    std::string output;
    bool replace = false;
};

// One option and its value; false with the message.
bool TakeLumaOption(const std::string& theOption, const std::string& theValue, LumaArguments& ioArguments,
                    std::string& outError)
{
    LumaRequest& theRequest = ioArguments.request;
    if (theOption == "--size") {
        if (ParseSize(theValue, theRequest.width, theRequest.height, 16384)) return true;
        outError = "--size takes WIDTHxHEIGHT from 2x2 to 16384x16384, not '" + theValue + "'";
    } else if (theOption == "--frames") {
        if (ParseFrameCount(theValue, theRequest.frames) && theRequest.frames <= cLongestLumaFrames) return true;
        outError = "--frames takes a whole number of frames from 1 to 32768, not '" + theValue + "'";
    } else if (theOption == "--duration") {
        ioArguments.duration = theValue;
        if (ParseSeconds(theValue, ioArguments.seconds) && ioArguments.seconds > 0.0) return true;
        outError = "--duration takes a number of seconds above 0, not '" + theValue + "'";
    } else if (theOption == "--rate") {
        if (av_parse_video_rate(&ioArguments.rate, theValue.c_str()) >= 0 && ioArguments.rate.num > 0 &&
            ioArguments.rate.den > 0)
            return true;
        outError = "--rate takes frames a second such as 25, 29.97, 30000/1001 or ntsc, not '" + theValue + "'";
    } else if (theOption == "--transition") {
        int theWhich = 0;
        float theSpeed = 0.0f;
        std::string theBundle;
        if (!TakeSharedOption(theOption, theValue, theWhich, theSpeed, theBundle, outError)) return false;
        theRequest.which = SInt16(theWhich);
        return true;
    } else if (theOption == "--region") {
        std::array<double, 4> theRegion{};
        if (ParseRegion(theValue, theRegion)) {
            theRequest.region = relRect{theRegion[0], theRegion[1], theRegion[2], theRegion[3]};
            ioArguments.hasRegion = true;
            return true;
        }
        outError = "--region takes LEFT,RIGHT,TOP,BOTTOM, fractions from 0 to 1 with left below right and top "
                   "below bottom, not '" + theValue + "'";
    } else if (theOption == "-o") {
        ioArguments.output = theValue;
        return true;
    } else {
        outError = "unknown option '" + theOption + "'";
    }
    return false;
}

// The length from --frames, or from --duration and --rate; false with the message.
bool ResolveLength(LumaArguments& ioArguments, std::string& outError)
{
    SInt32& theFrames = ioArguments.request.frames;
    const bool theTimed = ioArguments.seconds > 0.0 || ioArguments.rate.num > 0;
    if (theFrames > 0 && theTimed) {
        outError = "--frames, or --duration with --rate, not both";
        return false;
    }
    if (theFrames > 0) return true;
    if (ioArguments.seconds <= 0.0 || ioArguments.rate.num <= 0) {
        outError = "--frames N, or --duration S with --rate R, is missing";
        return false;
    }
    theFrames = SecondsToFrames(ioArguments.seconds, video::FrameRate{ioArguments.rate.num, ioArguments.rate.den});
    if (theFrames >= 1 && theFrames <= cLongestLumaFrames) return true;
    outError = "--duration " + ioArguments.duration + " at that rate is " + std::to_string(theFrames) +
               " frames; a map takes 1 to 32768";
    return false;
}

bool CheckLumaOutput(const LumaArguments& theArguments, std::string& outError)
{
    const std::string& thePath = theArguments.output;
    if (thePath.empty()) {
        outError = "-o MAP.pgm is missing";
        return false;
    }
    // MLT reads a map as a PGM only by this name.
    if (thePath.size() < 5 || thePath.compare(thePath.size() - 4, 4, ".pgm") != 0) {
        outError = "the map's name must end in .pgm, not '" + thePath + "'";
        return false;
    }
    struct stat theStatus;
    if (!theArguments.replace && lstat(thePath.c_str(), &theStatus) == 0) {
        outError = "'" + thePath + "' exists; give -y to replace it";
        return false;
    }
    return true;
}

} // namespace

int LumaCommand(const Arguments& theArguments)
{
    LumaArguments theLuma;
    std::string theError;
    for (size_t i = 0; i < theArguments.size(); ++i) {
        const std::string& theArgument = theArguments[i];
        if (theArgument == "--help" || theArgument == "-h") {
            std::fputs(cUsage, stdout);
            return 0;
        }
        if (theArgument == "-y") {
            theLuma.replace = true;
            continue;
        }
        if (i + 1 >= theArguments.size()) {
            const bool theKnown = theArgument == "-o" || theArgument.starts_with("--");
            return Fail("luma: " + theArgument + (theKnown ? " needs a value" : ": unknown argument"));
        }
        if (!TakeLumaOption(theArgument, theArguments[++i], theLuma, theError)) return Fail("luma: " + theError);
    }
    if (theLuma.request.width == 0) return Fail("luma: --size WxH is missing");
    if (!ResolveLength(theLuma, theError) || !CheckLumaOutput(theLuma, theError)) return Fail("luma: " + theError);
    if (!theLuma.hasRegion) {
        const std::array<double, 4> theSaved = SavedRegion();
        theLuma.request.region = relRect{theSaved[0], theSaved[1], theSaved[2], theSaved[3]};
    }
    if (!WriteLumaFile(theLuma.request, theLuma.output, theError)) return Fail("luma: " + theError);
    std::printf("%s\n", theLuma.output.c_str());
    return 0;
}
