#include "RenderMovie.h"

#include "AudioFrames.h"
#include "FrameSource.h"
#include "MovieClips.h"
#include "MovieWriter.h"
#include "TransitionRun.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr SInt32 cLargestSide = 8192;

struct GWorldDeleter {
    void operator()(OpaqueGrafPort* theWorld) const { DisposeGWorld(theWorld); }
};

class MovieRender {
public:
    MovieRender(const RenderJob& theJob, const RenderObserver& theObserver, MovieClips& theClips,
                FrameSink& theWriter, video::FrameRate theRate, SInt32 theTotal)
        : lgJob(theJob), lgObserver(theObserver), lgClips(theClips), lgWriter(theWriter), lgRate(theRate),
          lgTotal(theTotal)
    {
    }

    // Copies movie frames [theFirst, theEnd) as they are, with their sound at full level.
    bool CopyFrames(SInt32 theFirst, SInt32 theEnd, std::string& outError)
    {
        if (theFirst >= theEnd) return true;
        if (!lgCopy) {
            Rect theBounds{0, 0, SInt16(lgJob.height), SInt16(lgJob.width)};
            GWorldPtr theWorld = nullptr;
            if (NewGWorld(&theWorld, 32, &theBounds, nullptr, nullptr, 0) != noErr || !theWorld) {
                outError = "out of memory for a frame of " + std::to_string(lgJob.width) + "x" +
                           std::to_string(lgJob.height);
                return false;
            }
            lgCopy.reset(theWorld);
        }
        lgClips.SetQuickFrames(lgJob.proxy);
        video::AudioBlock theAudio;
        for (SInt32 theFrame = theFirst; theFrame < theEnd; ++theFrame) {
            if (!lgClips.DrawFrame(theFrame, lgCopy.get(), outError)) return false;
            if (lgWriter.CarriesAudio() && !lgClips.GetFrameAudio(theFrame, theAudio, outError)) return false;
            if (!Write(lgCopy.get(), lgWriter.CarriesAudio() ? &theAudio : nullptr, outError)) return false;
        }
        return true;
    }

    // One rendered transition frame; its sound is what the plug-in mixed for it.
    bool WriteTransitionFrame(const HostSession& theSession, GWorldPtr theFrame, std::string& outError)
    {
        video::AudioBlock theMix;
        if (lgWriter.CarriesAudio()) {
            theMix.samples.assign(size_t(video::AudioSamplesInFrame(lgWriter.FramesWritten(), lgRate)) *
                                      video::cAudioChannels,
                                  0.0f);
            video::AudioBlock theSound;
            const std::vector<AudioMix>& theMixes = theSession.AudioMixes();
            for (; lgMixesDone < theMixes.size(); ++lgMixesDone) {
                if (!lgClips.GetFrameAudio(theMixes[lgMixesDone].frameNumber, theSound, outError)) return false;
                video::AddAudioAtLevel(theMix, theSound, theMixes[lgMixesDone].level);
            }
            video::LimitAudio(theMix);
        }
        return Write(theFrame, lgWriter.CarriesAudio() ? &theMix : nullptr, outError);
    }

    // Out's end state: the sound has faded out by then.
    bool WriteEndFrame(const HostSession& theSession, GWorldPtr theFrame, std::string& outError)
    {
        lgMixesDone = theSession.AudioMixes().size();
        video::AudioBlock theSilence;
        return Write(theFrame, lgWriter.CarriesAudio() ? &theSilence : nullptr, outError);
    }

private:
    bool Write(GWorldPtr theFrame, const video::AudioBlock* theAudio, std::string& outError)
    {
        if (!lgWriter.AddFrame(theFrame, theAudio, outError)) return false;
        if (lgObserver.progress) lgObserver.progress(lgWriter.FramesWritten(), lgTotal);
        return true;
    }

    const RenderJob& lgJob;
    const RenderObserver& lgObserver;
    MovieClips& lgClips;
    FrameSink& lgWriter;
    video::FrameRate lgRate;
    SInt32 lgTotal;
    size_t lgMixesDone = 0;
    std::unique_ptr<OpaqueGrafPort, GWorldDeleter> lgCopy;
};

SInt32 SecondsToFrames(double theSeconds, video::FrameRate theRate)
{
    return SInt32(std::min(std::llround(theSeconds * theRate.num / theRate.den), (long long)(INT32_MAX / 2)));
}

// Trims clip A so that the transition starts at its frame theStart.
bool PlaceTransition(MovieClips& theClips, const TransitionLayout& theLayout, SInt32 theStart, double theSeconds,
                     std::string& outError)
{
    const SInt32 theLength = theClips.ClipALength();
    if (theStart + theLayout.frameCount > theLength) {
        char theText[160];
        std::snprintf(theText, sizeof theText,
                      "--at %.3g: the first clip has %d frames; a transition of %d frames from frame %d runs past its end",
                      theSeconds, int(theLength), int(theLayout.frameCount), int(theStart));
        outError = theText;
        return false;
    }
    if (theLayout.pluginType == kPluginTransitionBeforeType) theClips.TrimClipA(theStart, theLength);
    else theClips.TrimClipA(0, theStart + theLayout.frameCount);
    return true;
}

// A movie file as a sink; the writer stays with the caller, who finishes it.
class MovieFileSink : public FrameSink {
public:
    explicit MovieFileSink(video::MovieWriter& theWriter) : lgWriter(theWriter) {}
    bool CarriesAudio() const override { return lgWriter.CarriesAudio(); }
    bool AddFrame(GWorldPtr theFrame, const video::AudioBlock* theAudio, std::string& outError) override
    {
        return lgWriter.AddFrame(theFrame, theAudio, outError);
    }
    SInt32 FramesWritten() const override { return lgWriter.FramesWritten(); }

private:
    video::MovieWriter& lgWriter;
};

} // namespace

bool RenderToSink(HYPluginMainProc theMain, const RenderJob& theJob, const FrameSinkMaker& theMakeSink,
                  const RenderObserver& theObserver, std::string& outError, RenderStatistics* outStatistics)
{
    std::unique_ptr<video::FrameSource> theClipA, theClipB;
    const std::string theNone;
    if (theJob.clips.empty()) {
        outError = "no clips to render";
        return false;
    }
    if (!OpenTransitionClips(theJob.which, theJob.clips[0], theJob.clips.size() > 1 ? theJob.clips[1] : theNone,
                             theClipA, theClipB, outError))
        return false;
    // Every frame is asked for once: a cache would only cost a copy of each.
    theClipA->SetCacheLimits(0, 0);
    if (theClipB) theClipB->SetCacheLimits(0, 0);

    RenderJob theSized = theJob;
    if (theSized.width <= 0 || theSized.height <= 0) {
        theSized.width = theClipA->Info().width;
        theSized.height = theClipA->Info().height;
    }
    if (theSized.proxy) {
        theSized.width = std::max<SInt32>(2, theSized.width / 2);
        theSized.height = std::max<SInt32>(2, theSized.height / 2);
    }
    if (theSized.width > cLargestSide || theSized.height > cLargestSide) {
        outError = "frames larger than " + std::to_string(cLargestSide) + " pixels a side are not supported";
        return false;
    }

    MovieClips theClips(*theClipA, theClipB.get());
    HostSession theSession(theMain, theClips);
    TransitionPlan thePlan{theSized.which, theSized.speed, SInt16(theSized.width), SInt16(theSized.height),
                           theSized.proxy, true};
    const video::FrameRate theRate = theClipA->Info().rate;
    if (theJob.frames > 0) thePlan.frames = theJob.frames;
    else if (theJob.seconds > 0.0) thePlan.frames = std::max<SInt32>(1, SecondsToFrames(theJob.seconds, theRate));
    TransitionLayout theLayout;
    if (!AskTransitionLayout(theSession, thePlan, theLayout, outError)) return false;
    if (theJob.at >= 0.0 && !PlaceTransition(theClips, theLayout, SecondsToFrames(theJob.at, theRate), theJob.at, outError))
        return false;
    if (!AskTransitionLayout(theSession, thePlan, theLayout, outError)) return false;
    const SInt32 theCount = theLayout.frameCount;
    const SInt32 theLengthA = theClips.ClipALength();

    // Before the transition: clip A up to it. After: the rest of clip B (Cross) or of clip A (In).
    SInt32 theTailFirst = 0, theTailEnd = 0;
    if (theLayout.pluginType == kPluginTransitionBetweenType) {
        theTailFirst = theLengthA + theCount;
        theTailEnd = theLengthA + theClips.ClipBLength();
    } else if (theLayout.pluginType == kPluginTransitionBeforeType) {
        theTailFirst = theCount;
        theTailEnd = theLengthA;
    }
    const bool theEndState = theLayout.pluginType == kPluginTransitionAfterType;
    const SInt32 theTotal = theLayout.startFrame + theCount + (theEndState ? 1 : 0) + (theTailEnd - theTailFirst);

    video::MovieSettings theSettings;
    theSettings.width = theSized.width;
    theSettings.height = theSized.height;
    theSettings.rate = theClipA->Info().rate;
    theSettings.withAudio = theClipA->Info().hasAudio || (theClipB && theClipB->Info().hasAudio);
    theSettings.primaries = theClipA->Info().primaries;
    theSettings.transfer = theClipA->Info().transfer;
    theSettings.preset = !theJob.preset.empty() ? theJob.preset : theSized.proxy ? "ultrafast" : "";
    theSettings.crf = theJob.crf;
    std::unique_ptr<FrameSink> theWriter = theMakeSink(theSettings, outError);
    if (!theWriter) return false;

    MovieRender theRender(theSized, theObserver, theClips, *theWriter, theSettings.rate, theTotal);
    if (!theRender.CopyFrames(0, theLayout.startFrame, outError)) return false;
    std::string theSinkError;
    const bool theRan = RunTransition(
        theSession, thePlan,
        [&](SInt32 theIndex, GWorldPtr theFrame) {
            if (theObserver.transitionFrame) theObserver.transitionFrame(theIndex, theCount, theFrame);
            return theIndex < theCount ? theRender.WriteTransitionFrame(theSession, theFrame, theSinkError)
                                       : theRender.WriteEndFrame(theSession, theFrame, theSinkError);
        },
        outError);
    if (!theRan) {
        if (!theSinkError.empty()) outError = theSinkError;
        return false;
    }
    if (!theRender.CopyFrames(theTailFirst, theTailEnd, outError)) return false;
    if (outStatistics) *outStatistics = RenderStatistics{theWriter->FramesWritten(), theSession.PluginSeconds()};
    return true;
}

bool RenderMovie(HYPluginMainProc theMain, const RenderJob& theJob, const RenderObserver& theObserver,
                 std::string& outError, RenderStatistics* outStatistics)
{
    if (!video::CheckMovieOutput(theJob.output, outError)) return false;
    if (!theJob.replace && video::MovieOutputExists(theJob.output)) {
        outError = "'" + theJob.output + "' exists; give -y to replace it";
        return false;
    }
    std::unique_ptr<video::MovieWriter> theWriter;
    const FrameSinkMaker theMakeSink = [&](const video::MovieSettings& theSettings,
                                           std::string& theError) -> std::unique_ptr<FrameSink> {
        theWriter = video::MovieWriter::Create(theJob.output, theSettings, theError);
        if (!theWriter) return nullptr;
        return std::make_unique<MovieFileSink>(*theWriter);
    };
    return RenderToSink(theMain, theJob, theMakeSink, theObserver, outError, outStatistics) &&
           theWriter->Finish(outError);
}
