#include "commands.h"

#include "LumaFile.h"
#include "OneRenderSettings.h"
#include "RenderPlan.h"
#include "ValueParsers.h"
#include "pendingfile.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

extern "C" {
#include <libavutil/parseutils.h>
}

namespace {


struct LumaValues {
    LumaRequest request{0, 0, 0, 3, {0.0, 1.0, 0.0, 1.0}};
    bool hasRegion = false;
    double seconds = 0.0;
    std::string duration; // as given, for messages
    video::FrameRate rate{0, 1};
    std::string output;
    bool replace = false;
};

// The length from --frames, or from --duration and --rate; false with the message.
bool ResolveLength(LumaValues& ioValues, std::string& outError)
{
    SInt32& theFrames = ioValues.request.frames;
    const bool theTimed = ioValues.seconds > 0.0 || ioValues.rate.num > 0;
    if (theFrames > 0 && theTimed) {
        outError = "--frames, or --duration with --rate, not both";
        return false;
    }
    if (theFrames > 0) return true;
    if (ioValues.seconds <= 0.0 || ioValues.rate.num <= 0) {
        outError = "--frames N, or --duration S with --rate R, is missing";
        return false;
    }
    theFrames = SecondsToFrames(ioValues.seconds, ioValues.rate);
    if (theFrames >= 1 && theFrames <= cLongestLumaFrames) return true;
    outError = "--duration " + ioValues.duration + " at that rate is " + std::to_string(theFrames) +
               " frames; a map takes 1 to 32768";
    return false;
}

bool CheckLumaOutput(const LumaValues& theValues, std::string& outError)
{
    const std::string& thePath = theValues.output;
    // MLT reads a map as a PGM only by this name.
    if (thePath.size() < 5 || thePath.compare(thePath.size() - 4, 4, ".pgm") != 0) {
        outError = "the map's name must end in .pgm, not '" + thePath + "'";
        return false;
    }
    // As render's output: a folder or a pipe under the name is refused whatever -y says.
    if (!video::CheckOutputFile(thePath, outError)) return false;
    struct stat theStatus;
    if (!theValues.replace && lstat(thePath.c_str(), &theStatus) == 0) {
        outError = "'" + thePath + "' exists; give -y to replace it";
        return false;
    }
    return true;
}

} // namespace

Command LumaCommand()
{
    const auto theValues = std::make_shared<LumaValues>();
    LumaRequest& theRequest = theValues->request;
    Command theCommand{"luma", "the transition as a greyscale map for Shotcut, Flowblade, melt and FFmpeg"};
    theCommand.description =
        "Writes the transition's random order as a 16-bit greyscale map for a luma wipe (MLT's luma\n"
        "transition in Shotcut, Kdenlive, Flowblade and melt; FFmpeg's threshold filter). With\n"
        "softness 0, over N frames at this size, the wipe shows on every frame exactly the pixels\n"
        "that 'glintweave render' of the same transition shows new; at another length the same\n"
        "order is spread evenly over it. The pattern and region are the saved settings'.";
    Option theSize{"--size", "WxH", "the frame size, 2x2 to 16384x16384 (or a name such as hd1080)",
                   [&theRequest](const std::string& theValue, std::string& outError) {
                       outError = "takes WIDTHxHEIGHT from 2x2 to 16384x16384 or a name such as hd1080";
                       return ParseFrameSize(theValue, theRequest.width, theRequest.height, 16384);
                   }};
    theSize.required = true;
    Option theTransition = TransitionOption("default cross; for in and out the other clip is one of the fill\n"
                                            "colour: the new clip for out, the old one for in",
                                            theRequest.which);
    theTransition.required = false;
    Option theOutput = TextOption("-o", "MAP.pgm", "the map; its name must end in .pgm", theValues->output);
    theOutput.required = true;
    theCommand.options = {
        theSize,
        Option{"--frames", "N", "the transition's length, 1 to 32768 frames",
               [theValues](const std::string& theValue, std::string& outError) {
                   char* theEnd = nullptr;
                   const long theFrames = std::strtol(theValue.c_str(), &theEnd, 10);
                   outError = "takes a whole number of frames from 1 to 32768";
                   if (theEnd == theValue.c_str() || *theEnd || theFrames < 1 || theFrames > cLongestLumaFrames)
                       return false;
                   theValues->request.frames = SInt32(theFrames);
                   return true;
               }},
        Option{"--duration", "SECONDS", "or its length in seconds ([HH:]MM:SS[.m] too), with --rate",
               [theValues](const std::string& theValue, std::string& outError) {
                   theValues->duration = theValue;
                   outError = "takes a time above 0, in seconds or as [HH:]MM:SS[.m]";
                   return ParseSeconds(theValue, theValues->seconds) && theValues->seconds > 0.0;
               }},
        Option{"--rate", "R", "frames a second, above 0 to 1000: 25, 29.97, 30000/1001, ntsc, ...",
               [theValues](const std::string& theValue, std::string& outError) {
                   outError = cFrameRateForms;
                   return ParseFrameRate(theValue, theValues->rate.num, theValues->rate.den);
               }},
        theTransition,
        Option{"--region", "L,R,T,B", "the part of the frame that dissolves, instead of the saved one",
               [theValues](const std::string& theValue, std::string& outError) {
                   outError = "takes LEFT,RIGHT,TOP,BOTTOM, fractions from 0 to 1 with left below right and top "
                              "below bottom";
                   std::array<double, 4> theRegion{};
                   if (!ParseRegion(theValue, theRegion)) return false;
                   theValues->request.region = relRect{theRegion[0], theRegion[1], theRegion[2], theRegion[3]};
                   theValues->hasRegion = true;
                   return true;
               }},
        theOutput,
        FlagOption("-y", "replace MAP.pgm if it exists", theValues->replace)};
    theCommand.check = [theValues](const Arguments& theOperands, std::string& outError) {
        if (!theOperands.empty()) {
            outError = "takes no operands, not '" + theOperands[0] + "'";
            return false;
        }
        return ResolveLength(*theValues, outError) && CheckLumaOutput(*theValues, outError);
    };
    theCommand.run = [theValues](const Arguments&, std::string& outError) {
        if (!theValues->hasRegion) {
            const std::array<double, 4> theSaved = SavedRegion();
            theValues->request.region = relRect{theSaved[0], theSaved[1], theSaved[2], theSaved[3]};
        }
        if (!WriteLumaFile(theValues->request, theValues->output, outError)) return false;
        std::printf("%s\n", theValues->output.c_str());
        return true;
    };
    return theCommand;
}
