#include "WipeOptions.h"

#include "OneRenderSettings.h"
#include "RenderPlan.h"
#include "ValueParsers.h"
#include "commands.h"

#include <array>
#include <cstdlib>

std::vector<Option> WipeOptions(const std::shared_ptr<WipeValues>& theValues, const WipeWords& theWords)
{
    LumaRequest& theRequest = theValues->request;
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
    Option theOutput = TextOption("-o", theWords.output, theWords.outputHelp, theValues->output);
    theOutput.required = true;
    return {theSize,
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
            Option{"--rate", "R",
                   theWords.rateWithFrames ? "frames a second, above 0 to 1000: 25, 29.97, 30000/1001, ntsc, ...;\n"
                                             "default 25"
                                           : "frames a second, above 0 to 1000: 25, 29.97, 30000/1001, ntsc, ...",
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
            FlagOption("-y", theWords.replaceHelp, theValues->replace)};
}

bool CheckWipeCommandLine(const Arguments& theOperands, WipeValues& ioValues, const WipeWords& theWords,
                          std::string& outError)
{
    if (!theOperands.empty()) {
        outError = "takes no operands, not '" + theOperands[0] + "'";
        return false;
    }
    SInt32& theFrames = ioValues.request.frames;
    const bool theTimed = ioValues.seconds > 0.0 || (ioValues.rate.num > 0 && !theWords.rateWithFrames);
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
    outError = "--duration " + ioValues.duration + " at that rate is " + std::to_string(theFrames) + " frames; a " +
               theWords.thing + " takes 1 to 32768";
    return false;
}

void ResolveWipeRegion(WipeValues& ioValues)
{
    if (ioValues.hasRegion) return;
    const std::array<double, 4> theSaved = SavedRegion();
    ioValues.request.region = relRect{theSaved[0], theSaved[1], theSaved[2], theSaved[3]};
}
