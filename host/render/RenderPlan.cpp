#include "RenderPlan.h"

#include "FrameSource.h"
#include "HostSession.h"
#include "MovieClips.h"
#include "TransitionRun.h"
#include "outputformats.h"
#include "avsupport.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {

constexpr SInt32 cLargestSide = 8192;
// A movie of stills only: no clip gives a rate or a size, and photos are larger than screens.
constexpr video::FrameRate cStillsRate{30, 1};
constexpr SInt32 cStillsWidth = 1920, cStillsHeight = 1080;

// Only the plug-in's length is asked for, before the clips are opened for the render: any
// length of clip will do.
class LengthOnlyClips : public ClipFrames {
public:
    SInt32 ClipALength() const override { return INT32_MAX / 4; }
    SInt32 ClipBLength() const override { return INT32_MAX / 4; }
    bool DrawFrame(SInt32, GWorldPtr, std::string& outError) override
    {
        outError = "no frames while the render is planned";
        return false;
    }
};

std::string FramesText(SInt32 theCount)
{
    return std::to_string(theCount) + (theCount == 1 ? " frame" : " frames");
}

// "the second clip, 'b.mp4',"
std::string ClipName(size_t theIndex, const std::string& thePath)
{
    static const char* const cOrdinals[] = {"first", "second", "third", "fourth", "fifth",
                                            "sixth", "seventh", "eighth", "ninth", "tenth"};
    const std::string theWhich = theIndex < std::size(cOrdinals) ? std::string("the ") + cOrdinals[theIndex] + " clip"
                                                                 : "clip " + std::to_string(theIndex + 1);
    return theWhich + ", " + video::Quoted(thePath) + ",";
}

// The size a clip shows at: its pixels' shape applied to its width.
void ShownSize(const video::ClipInfo& theInfo, SInt32& outWidth, SInt32& outHeight)
{
    // A wide enough pixel shape leaves no SInt32 width: the largest stands for it, and is refused.
    outWidth = SInt32(std::min<SInt64>((2 * SInt64(theInfo.width) * theInfo.pixelAspectNum + theInfo.pixelAspectDen) /
                                           (2 * SInt64(theInfo.pixelAspectDen)),
                                       INT_MAX));
    outHeight = theInfo.height;
}

// Opens every clip in turn, conformed to the movie's rate (the first moving clip's unless
// given), for its facts.
bool GatherClips(const RenderJob& theJob, const std::function<bool()>& theStopped, RenderPlan& ioPlan,
                 std::vector<video::ClipInfo>& outInfos, std::string& outError)
{
    ioPlan.firstMoving = theJob.clips.size();
    video::FrameRate theRate = theJob.rate;
    for (size_t i = 0; i < theJob.clips.size(); ++i) {
        if (theStopped && theStopped()) {
            outError = "stopped";
            return false;
        }
        std::unique_ptr<video::FrameSource> theClip = OpenMovieClip(theJob.clips[i], theRate, outError);
        if (!theClip) return false;
        outInfos.push_back(theClip->Info());
        if (!theClip->Info().still && ioPlan.firstMoving == theJob.clips.size()) {
            ioPlan.firstMoving = i;
            if (theJob.rate.num == 0) theRate = theClip->Info().rate;
        }
    }
    return true;
}

void ChooseSettings(const RenderJob& theJob, const std::vector<video::ClipInfo>& theInfos, RenderPlan& ioPlan)
{
    video::MovieSettings& theSettings = ioPlan.settings;
    const bool theStillsOnly = ioPlan.firstMoving == theInfos.size();
    const video::ClipInfo& theModel = theInfos[theStillsOnly ? 0 : ioPlan.firstMoving];
    theSettings.rate = theJob.rate.num > 0 ? theJob.rate : theStillsOnly ? cStillsRate : theModel.rate;
    if (theJob.width > 0 && theJob.height > 0) {
        theSettings.width = theJob.width;
        theSettings.height = theJob.height;
    } else if (theStillsOnly) {
        theSettings.width = cStillsWidth;
        theSettings.height = cStillsHeight;
    } else {
        ShownSize(theModel, theSettings.width, theSettings.height);
    }
    if (theJob.proxy) {
        theSettings.width = std::max<SInt32>(2, theSettings.width / 2);
        theSettings.height = std::max<SInt32>(2, theSettings.height / 2);
    }
    theSettings.withAudio = std::any_of(theInfos.begin(), theInfos.end(), [](const auto& i) { return i.hasAudio; });
    theSettings.primaries = theModel.primaries;
    theSettings.transfer = theModel.transfer;
    theSettings.preset = !theJob.preset.empty() ? theJob.preset : theJob.proxy ? "ultrafast" : "";
    theSettings.crf = theJob.crf;
}

std::string SizeText(SInt32 theWidth, SInt32 theHeight)
{
    return std::to_string(theWidth) + "x" + std::to_string(theHeight);
}

// 4:2:0 movies take only even sizes: an odd --size is refused, and an odd clip's size is
// rounded down, with a note.
bool CheckEvenSize(const RenderJob& theJob, const RenderPlan& thePlan, const std::vector<video::ClipInfo>& theInfos,
                   std::string& outError)
{
    const video::OutputFormat* theFormat = thePlan.format;
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
    if (thePlan.firstMoving == theInfos.size()) return true; // stills are fitted at even sizes
    const video::ClipInfo& theModel = theInfos[thePlan.firstMoving];
    if (theModel.width % 2 != 0 || theModel.height % 2 != 0) {
        std::fprintf(stderr, "glintweave: note: %s is %s; %s takes only even sizes, so the movie is %s\n",
                     video::Quoted(theJob.clips[thePlan.firstMoving]).c_str(),
                     SizeText(theModel.width, theModel.height).c_str(), theKind.c_str(),
                     SizeText(theModel.width & ~1, theModel.height & ~1).c_str());
    }
    return true;
}

bool AskTransitionLength(HYPluginMainProc theMain, const RenderJob& theJob, RenderPlan& ioPlan, std::string& outError)
{
    LengthOnlyClips theClips;
    HostSession theSession(theMain, theClips);
    TransitionPlan thePlan{theJob.which, theJob.speed, SInt16(ioPlan.settings.width), SInt16(ioPlan.settings.height),
                           theJob.proxy};
    if (theJob.frames > 0) thePlan.frames = theJob.frames;
    else if (theJob.seconds > 0.0) thePlan.frames = std::max<SInt32>(1, SecondsToFrames(theJob.seconds, ioPlan.settings.rate));
    TransitionLayout theLayout;
    if (!AskTransitionLayout(theSession, thePlan, theLayout, outError)) return false;
    ioPlan.transitionFrames = theLayout.frameCount;
    return true;
}

// --at trims the first clip so that the transition starts at the given time.
bool PlaceTransition(const RenderJob& theJob, RenderPlan& ioPlan, std::string& outError)
{
    const SInt32 theLength = ioPlan.lengths[0], theCount = ioPlan.transitionFrames;
    ioPlan.firstOfA = 0;
    ioPlan.endOfA = theLength;
    if (theJob.at < 0.0) return true;
    const size_t theSingle = theJob.which == 3 ? 2 : 1;
    if (theJob.clips.size() != theSingle) {
        outError = "--at places a single transition in the first clip: give it with " +
                   std::string(theJob.which == 3 ? "two clips for cross" : "one clip for out and in") + ", not " +
                   std::to_string(theJob.clips.size());
        return false;
    }
    const SInt32 theStart = SecondsToFrames(theJob.at, ioPlan.settings.rate);
    if (theStart + theCount > theLength) {
        char theText[160];
        std::snprintf(theText, sizeof theText,
                      "--at %.3g: the first clip has %d frames; a transition of %d frames from frame %d runs past its end",
                      theJob.at, int(theLength), int(theCount), int(theStart));
        outError = theText;
        return false;
    }
    if (theJob.which == 2) ioPlan.firstOfA = theStart;
    else ioPlan.endOfA = theStart + theCount;
    return true;
}

// What to give instead so that a clip too short holds its transitions: a longer still, or a
// transition of theFitting frames at most.
std::string WayOut(const RenderJob& theJob, video::FrameRate theRate, bool theStill, SInt32 theNeeded, SInt32 theFitting)
{
    char theText[96];
    const double theFrameSeconds = double(theRate.den) / theRate.num;
    if (theStill) {
        std::snprintf(theText, sizeof theText, ": give --still-duration %g or more", std::ceil(theNeeded * theFrameSeconds * 100) / 100);
    } else if (theFitting < 1) {
        return "";
    } else if (theJob.frames > 0) {
        std::snprintf(theText, sizeof theText, ": give --frames %d or fewer", int(theFitting));
    } else {
        // Rounded down, so that the time gives no more frames than fit.
        std::snprintf(theText, sizeof theText, ": give --duration %g or less", std::floor(theFitting * theFrameSeconds * 100) / 100);
    }
    return theText;
}

// Every clip holds the transitions at its ends: a Cross takes from both clips of each cut, an
// In from the first clip's head, an Out from the last clip's tail.
bool CheckLengths(const RenderJob& theJob, const RenderPlan& thePlan, std::string& outError)
{
    const size_t theCount = theJob.clips.size();
    for (size_t i = 0; i < theCount; ++i) {
        int theEnds = 0;
        if (theJob.which == 3) theEnds = (i > 0) + (i + 1 < theCount);
        else if (theJob.which == 2) theEnds = i == 0;
        else theEnds = i + 1 == theCount;
        const SInt32 theNeeded = theEnds * thePlan.transitionFrames;
        if (thePlan.lengths[i] >= theNeeded) continue;
        outError = ClipName(i, theJob.clips[i]) + " is " + FramesText(thePlan.lengths[i]) + " long";
        if (thePlan.stills[i]) {
            char theText[64];
            std::snprintf(theText, sizeof theText, " (a still of %g s)", theJob.stillSeconds);
            outError += theText;
        }
        outError += theEnds == 2 ? "; the transitions at both of its ends need " + FramesText(theNeeded)
                                 : "; the transition needs " + FramesText(theNeeded);
        outError += WayOut(theJob, thePlan.settings.rate, thePlan.stills[i], theNeeded, thePlan.lengths[i] / theEnds);
        return false;
    }
    return true;
}

} // namespace

SInt32 SecondsToFrames(double theSeconds, video::FrameRate theRate)
{
    return SInt32(std::min(std::llround(theSeconds * theRate.num / theRate.den), (long long)(INT32_MAX / 2)));
}

bool PlanRender(HYPluginMainProc theMain, const RenderJob& theJob, RenderPlan& outPlan, std::string& outError,
                const std::function<bool()>& theStopped)
{
    outPlan = RenderPlan{};
    if (theJob.clips.empty() || (theJob.which == 3 && theJob.clips.size() < 2)) {
        outError = theJob.which == 3 ? "a Cross needs two clips or more" : "no clip to render";
        return false;
    }
    std::vector<video::ClipInfo> theInfos;
    if (!GatherClips(theJob, theStopped, outPlan, theInfos, outError)) return false;
    ChooseSettings(theJob, theInfos, outPlan);
    std::string theIgnored; // a faulty name was refused before any clip was opened
    if (!theJob.output.empty()) outPlan.format = video::OutputFormatFor(theJob.output, theIgnored);
    if (!CheckEvenSize(theJob, outPlan, theInfos, outError)) return false;
    if (outPlan.settings.width > cLargestSide || outPlan.settings.height > cLargestSide) {
        outError = "frames larger than " + std::to_string(cLargestSide) + " pixels a side are not supported";
        return false;
    }
    outPlan.stillFrames = std::max<SInt32>(1, SecondsToFrames(theJob.stillSeconds, outPlan.settings.rate));
    for (const video::ClipInfo& theInfo : theInfos) {
        outPlan.stills.push_back(theInfo.still);
        outPlan.lengths.push_back(theInfo.still ? outPlan.stillFrames : theInfo.frameCount);
    }
    if (!AskTransitionLength(theMain, theJob, outPlan, outError)) return false;
    if (!PlaceTransition(theJob, outPlan, outError)) return false;
    std::vector<SInt32> theUsed = outPlan.lengths;
    theUsed[0] = outPlan.endOfA - outPlan.firstOfA;
    RenderPlan theChecked = outPlan;
    theChecked.lengths = theUsed;
    if (!CheckLengths(theJob, theChecked, outError)) return false;
    outPlan.infos = std::move(theInfos);
    SInt64 theTotal = 0;
    for (SInt32 theLength : theUsed) theTotal += theLength;
    if (theJob.which == 3) theTotal -= SInt64(theUsed.size() - 1) * outPlan.transitionFrames;
    if (theJob.which == 1) theTotal += 1;
    if (theTotal > INT32_MAX / 2) {
        outError = "the movie would be too long";
        return false;
    }
    outPlan.totalFrames = SInt32(theTotal);
    return true;
}
