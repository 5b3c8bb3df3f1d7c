#include "renderarguments.h"

#include "MovieWriter.h"
#include "ValueParsers.h"

#include <cctype>
#include <cstdlib>

namespace {

constexpr const char* cPresets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                    "medium",    "slow",      "slower",   "veryslow", "placebo"};

constexpr const char* cTimeForms = "in seconds or as [HH:]MM:SS[.m]";

// An option whose value theParse stores; theWhat is what it takes, for the message.
template <typename Parse>
Option ValueOption(const char* theName, const char* theArgument, const char* theHelp, std::string theWhat,
                   Parse theParse)
{
    return Option{theName, theArgument, theHelp,
                  [theWhat, theParse](const std::string& theValue, std::string& outError) {
                      if (theParse(theValue)) return true;
                      outError = theWhat;
                      return false;
                  }};
}

// A whole number from theLeast to theMost.
bool ParseWhole(const std::string& theValue, long theLeast, long theMost, long& outNumber)
{
    char* theEnd = nullptr;
    const long theNumber = std::strtol(theValue.c_str(), &theEnd, 10);
    if (theEnd == theValue.c_str() || *theEnd || theNumber < theLeast || theNumber > theMost) return false;
    outNumber = theNumber;
    return true;
}

Option SecondsOption(const char* theName, const char* theHelp, bool theAboveZero, double& outSeconds)
{
    return ValueOption(theName, "SECONDS", theHelp,
                       std::string(theAboveZero ? "takes a time above 0, " : "takes a time from 0, ") + cTimeForms,
                       [theAboveZero, &outSeconds](const std::string& theValue) {
                           double theSeconds = 0.0;
                           if (!ParseSeconds(theValue, theSeconds) || (theAboveZero && theSeconds <= 0.0)) return false;
                           outSeconds = theSeconds;
                           return true;
                       });
}

std::string PresetList()
{
    std::string theList;
    for (const char* thePreset : cPresets) theList += (theList.empty() ? "" : ", ") + std::string(thePreset);
    return theList;
}

bool IsMp4(const std::string& thePath)
{
    if (thePath.size() < 4) return false;
    std::string theEnd = thePath.substr(thePath.size() - 4);
    for (char& c : theEnd) c = char(std::tolower(static_cast<unsigned char>(c)));
    return theEnd == ".mp4";
}

} // namespace

void AddRenderOptions(Command& ioCommand, bool theWantsOutput, RenderRequest& ioRequest)
{
    RenderJob& theJob = ioRequest.job;
    theJob.which = 0;
    std::vector<Option>& theOptions = ioCommand.options;
    Option theTransition = TransitionOption("which transition, default cross: cross at every cut between two\n"
                                            "clips or more; in opens the movie on the first clip and out\n"
                                            "closes it on the last, the clips between joined by plain cuts",
                                            theJob.which);
    theTransition.required = false;
    theOptions.push_back(theTransition);
    theOptions.push_back(SpeedOption("0 (short) to 1 (long), default 0.5", theJob.speed));
    theOptions.push_back(ValueOption("--frames", "N", "the transition's length in frames (1 or more), instead of --speed",
                                     "takes a whole number of frames from 1 to 1000000",
                                     [&theJob](const std::string& theValue) {
                                         long theFrames = 0;
                                         if (!ParseWhole(theValue, 1, 1000000, theFrames)) return false;
                                         theJob.frames = SInt32(theFrames);
                                         return true;
                                     }));
    theOptions.push_back(SecondsOption("--duration",
                                       "the transition's length, instead of --speed: seconds (1.5) or\n"
                                       "[HH:]MM:SS[.m] (0:01.5), as for --at and --still-duration",
                                       true, theJob.seconds));
    theOptions.push_back(SecondsOption("--at",
                                       "where in the first clip the transition starts; default: out and\n"
                                       "cross end with the clip, in starts with it (only with a single\n"
                                       "transition: one clip, or two for cross)",
                                       false, theJob.at));
    theOptions.push_back(SecondsOption("--still-duration",
                                       "how long a still picture (PNG, JPEG) among the clips lasts,\n"
                                       "default 3; it is fitted into the frame on black, and silent",
                                       true, theJob.stillSeconds));
    theOptions.push_back(ValueOption("--fill", "COLOUR",
                                     "the fill colour of out and in: #RRGGBB, #RGB, 0xRRGGBB or a CSS\n"
                                     "colour name",
                                     "takes #RRGGBB, #RGB, 0xRRGGBB or a CSS colour name such as orange, opaque",
                                     [&ioRequest](const std::string& theValue) {
                                         Colour8 theColour{};
                                         if (!ParseColour(theValue, theColour)) return false;
                                         ioRequest.changes.fill = theColour;
                                         return true;
                                     }));
    theOptions.push_back(ValueOption("--region", "L,R,T,B",
                                     "the part of the frame that dissolves, as fractions of its width\n"
                                     "and height (0,1,0,1 is the whole frame)\n"
                                     "--fill and --region hold for this render only: the saved\n"
                                     "settings are used for the rest and never changed",
                                     "takes LEFT,RIGHT,TOP,BOTTOM, fractions from 0 to 1 with left below right and "
                                     "top below bottom",
                                     [&ioRequest](const std::string& theValue) {
                                         std::array<double, 4> theRegion{};
                                         if (!ParseRegion(theValue, theRegion)) return false;
                                         ioRequest.changes.region = theRegion;
                                         return true;
                                     }));
    theOptions.push_back(ValueOption("--size", "WxH",
                                     "output size (or a name: hd720, hd1080, uhd2160, ...), default\n"
                                     "the first moving clip's (a movie of stills only: 1920x1080);\n"
                                     "a clip of another shape is fitted inside the frame on black",
                                     "takes WIDTHxHEIGHT from 2x2 to 8192x8192 or a name such as hd1080",
                                     [&theJob](const std::string& theValue) {
                                         return ParseFrameSize(theValue, theJob.width, theJob.height);
                                     }));
    theOptions.push_back(ValueOption("--rate", "R",
                                     "frames a second (25, 29.97, 30000/1001, ntsc, ...), default the\n"
                                     "first moving clip's (a movie of stills only: 30); a clip of\n"
                                     "another rate plays at its own speed",
                                     cFrameRateForms, [&theJob](const std::string& theValue) {
                                         return ParseFrameRate(theValue, theJob.rate.num, theJob.rate.den);
                                     }));
    theOptions.push_back(FlagOption("--proxy",
                                    "a quick proxy: half the size each way, quickly scaled and\n"
                                    "encoded; the plug-in mixes no sound into a proxy's transition",
                                    theJob.proxy));
    theOptions.push_back(BundleOption(ioRequest.bundlePath));
    theOptions.push_back(FlagOption("--stats",
                                    "afterwards, print on stderr the time taken and the plug-in's\n"
                                    "own share of it",
                                    ioRequest.stats));
    if (!theWantsOutput) return;
    Option theOutput = TextOption("-o", "OUTPUT",
                                  ".mp4 (H.264, AAC), .mov (ProRes 422 HQ, PCM), .mkv (lossless\n"
                                  "UT Video, FLAC), .y4m, or .png\n"
                                  "(one picture a frame: shot_%04d.png)",
                                  theJob.output);
    theOutput.required = true;
    theOptions.push_back(theOutput);
    theOptions.push_back(FlagOption("-y",
                                    "replace OUTPUT if it exists (without it, an existing OUTPUT\n"
                                    "is refused)",
                                    theJob.replace));
    theOptions.push_back(FlagOption("--plan",
                                    "print what each stretch of the movie is made from, and why,\n"
                                    "and write no movie",
                                    ioRequest.plan));
    theOptions.push_back(FlagOption("--reencode", "encode every frame, copying none of the clips' pictures",
                                    theJob.reencode));
    theOptions.push_back(ValueOption("--crf", "N", ".mp4 only: x264's quality, 0 (lossless, copying nothing) to 51,\ndefault 18",
                                     "takes a whole number from 0 to 51", [&theJob](const std::string& theValue) {
                                         long theCrf = 0;
                                         if (!ParseWhole(theValue, 0, 51, theCrf)) return false;
                                         theJob.crf = int(theCrf);
                                         return true;
                                     }));
    theOptions.push_back(ValueOption("--preset", "NAME", ".mp4 only: x264's speed, ultrafast to placebo, default veryfast",
                                     "is one of " + PresetList(), [&theJob](const std::string& theValue) {
                                         for (const char* thePreset : cPresets)
                                             if (theValue == thePreset) theJob.preset = theValue;
                                         return !theJob.preset.empty();
                                     }));
}

bool CheckRenderArguments(const Arguments& theClips, RenderRequest& ioRequest, std::string& outError)
{
    RenderJob& theJob = ioRequest.job;
    if (theJob.which == 0) {
        theJob.which = 3;
        if (!CheckClipCount(theJob.which, theClips.size(), false, outError)) {
            outError = "a cross, the default transition, takes two clips or more; give --transition in or out "
                       "for " + std::string(theClips.empty() ? "a clip" : "one clip");
            return false;
        }
    }
    if (!CheckClipCount(theJob.which, theClips.size(), false, outError)) return false;
    if (theJob.frames > 0 && theJob.seconds > 0.0) {
        outError = "give one of --frames and --duration";
        return false;
    }
    theJob.clips = theClips;
    if ((theJob.crf >= 0 || !theJob.preset.empty()) && !IsMp4(theJob.output)) {
        outError = "--crf and --preset are for .mp4 outputs only";
        return false;
    }
    return true;
}

bool CheckOutput(const RenderJob& theJob, std::string& outError)
{
    return video::CheckOutputSparesInputs(theJob.output, theJob.clips, outError) &&
           video::CheckMovieOutput(theJob.output, outError);
}
