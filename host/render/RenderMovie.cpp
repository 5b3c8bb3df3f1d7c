#include "RenderMovie.h"

#include "AudioFrames.h"
#include "FrameSource.h"
#include "MovieClips.h"
#include "MovieWriter.h"
#include "MoviePlan.h"
#include "TransitionRun.h"
#include "avsupport.h"

#include <memory>

namespace {

struct GWorldDeleter {
    void operator()(OpaqueGrafPort* theWorld) const { DisposeGWorld(theWorld); }
};

// Hands the movie's frames to the sink in order, with their sound, and counts them.
class MovieRender {
public:
    MovieRender(const RenderPlan& thePlan, const RenderObserver& theObserver, FrameSink& theSink, bool theProxy)
        : mPlan(thePlan), mObserver(theObserver), mSink(theSink), mProxy(theProxy)
    {
    }

    // Hands frames [theFirst, theEnd) of theClip to the sink as the decoder gave them, with their
    // sound at full level.
    bool PassDecodedFrames(video::FrameSource& theClip, SInt32 theFirst, SInt32 theEnd, std::string& outError)
    {
        video::AudioBlock theAudio;
        for (SInt32 theFrame = theFirst; theFrame < theEnd; ++theFrame) {
            const AVFrame* thePicture = theClip.DecodedFrame(theFrame, outError);
            if (!thePicture) return false;
            if (mSink.CarriesAudio() && !theClip.GetFrameAudio(theFrame, theAudio, outError)) return false;
            if (!mSink.AddDecodedFrame(thePicture, mSink.CarriesAudio() ? &theAudio : nullptr, outError)) return false;
            if (mObserver.progress) mObserver.progress(mSink.FramesWritten(), mPlan.totalFrames);
        }
        return true;
    }

    // Copies frames [theFirst, theEnd) of theClip's packets into the sink, with their sound at
    // full level.
    bool CopyFrames(video::FrameSource& theClip, const video::ClipCopyFacts& theFacts, SInt32 theFirst, SInt32 theEnd,
                    std::string& outError)
    {
        const SInt32 theOffset = theFirst - mSink.FramesWritten();
        video::AudioBlock theAudio;
        std::string theSoundError;
        const auto theSoundOf = [&](SInt32 theMovieFrame) -> const video::AudioBlock* {
            if (mObserver.progress) mObserver.progress(theMovieFrame, mPlan.totalFrames);
            if (!mSink.CarriesAudio() || !theSoundError.empty()) return nullptr;
            return theClip.GetFrameAudio(theMovieFrame + theOffset, theAudio, theSoundError) ? &theAudio : nullptr;
        };
        if (!mSink.AddCopiedPackets(theFacts, theFirst, theEnd, theSoundOf, outError)) return false;
        if (!theSoundError.empty()) {
            outError = theSoundError;
            return false;
        }
        if (mObserver.progress) mObserver.progress(mSink.FramesWritten(), mPlan.totalFrames);
        return true;
    }

    // Draws frames [theFirst, theEnd) of theClips into a frame of the movie's size and hands them
    // to the sink, with their sound at full level.
    bool DrawFrames(MovieClips& theClips, SInt32 theFirst, SInt32 theEnd, std::string& outError)
    {
        if (theFirst >= theEnd) return true;
        if (!mCopy) {
            const SInt32 theWidth = mPlan.settings.width, theHeight = mPlan.settings.height;
            Rect theBounds{0, 0, SInt16(theHeight), SInt16(theWidth)};
            GWorldPtr theWorld = nullptr;
            if (NewGWorld(&theWorld, 32, &theBounds, nullptr, nullptr, 0) != noErr || !theWorld) {
                outError = "out of memory for a frame of " + std::to_string(theWidth) + "x" + std::to_string(theHeight);
                return false;
            }
            mCopy.reset(theWorld);
        }
        theClips.SetQuickFrames(mProxy);
        video::AudioBlock theAudio;
        for (SInt32 theFrame = theFirst; theFrame < theEnd; ++theFrame) {
            if (!theClips.DrawFrame(theFrame, mCopy.get(), outError)) return false;
            if (mSink.CarriesAudio() && !theClips.GetFrameAudio(theFrame, theAudio, outError)) return false;
            if (!Write(mCopy.get(), mSink.CarriesAudio() ? &theAudio : nullptr, outError)) return false;
        }
        return true;
    }

    // Runs the plug-in's transition on the two clips around a cut (or the one clip of an In or
    // an Out), writing each frame with the sound the plug-in mixed for it.
    bool RunTransitionOf(HYPluginMainProc theMain, MovieClips& theClips, const TransitionPlan& thePlan,
                         std::string& outError)
    {
        HostSession theSession(theMain, theClips);
        size_t theMixesDone = 0;
        std::string theSinkError;
        const SInt32 theCount = mPlan.transitionFrames;
        const bool theRan = RunTransition(
            theSession, thePlan,
            [&](SInt32 theIndex, GWorldPtr theFrame) {
                if (mObserver.transitionFrame) mObserver.transitionFrame(theIndex, theCount, theFrame);
                const std::vector<AudioMix>& theMixes = theSession.AudioMixes();
                video::AudioBlock theMix;
                if (theIndex < theCount && mSink.CarriesAudio()) {
                    theMix.samples.assign(
                        size_t(video::AudioSamplesInFrame(mSink.FramesWritten(), mPlan.settings.rate)) *
                            video::cAudioChannels,
                        0.0f);
                    video::AudioBlock theSound;
                    for (; theMixesDone < theMixes.size(); ++theMixesDone) {
                        if (!theClips.GetFrameAudio(theMixes[theMixesDone].frameNumber, theSound, theSinkError))
                            return false;
                        video::AddAudioAtLevel(theMix, theSound, theMixes[theMixesDone].level);
                    }
                    video::LimitAudio(theMix);
                }
                // Out's end state is silent: the sound has faded out by then.
                theMixesDone = theMixes.size();
                return Write(theFrame, mSink.CarriesAudio() ? &theMix : nullptr, theSinkError);
            },
            outError);
        mPluginSeconds += theSession.PluginSeconds();
        if (!theRan && !theSinkError.empty()) outError = theSinkError;
        return theRan;
    }

    double PluginSeconds() const { return mPluginSeconds; }

private:
    bool Write(GWorldPtr theFrame, const video::AudioBlock* theAudio, std::string& outError)
    {
        if (!mSink.AddFrame(theFrame, theAudio, outError)) return false;
        if (mObserver.progress) mObserver.progress(mSink.FramesWritten(), mPlan.totalFrames);
        return true;
    }

    const RenderPlan& mPlan;
    const RenderObserver& mObserver;
    FrameSink& mSink;
    bool mProxy;
    double mPluginSeconds = 0.0;
    std::unique_ptr<OpaqueGrafPort, GWorldDeleter> mCopy;
};

// A movie file as a sink; the writer stays with the caller, who finishes it.
class MovieFileSink : public FrameSink {
public:
    explicit MovieFileSink(video::MovieWriter& theWriter) : mWriter(theWriter) {}
    bool CarriesAudio() const override { return mWriter.CarriesAudio(); }
    bool AddFrame(GWorldPtr theFrame, const video::AudioBlock* theAudio, std::string& outError) override
    {
        return mWriter.AddFrame(theFrame, theAudio, outError);
    }
    bool AddDecodedFrame(const AVFrame* theFrame, const video::AudioBlock* theAudio, std::string& outError) override
    {
        return mWriter.AddDecodedFrame(theFrame, theAudio, outError);
    }
    bool AddCopiedPackets(const video::ClipCopyFacts& theClip, SInt32 theFirst, SInt32 theEnd,
                          const video::MovieWriter::SoundOfFrame& theSound, std::string& outError) override
    {
        return mWriter.AddCopiedPackets(theClip, theFirst, theEnd, theSound, outError);
    }
    SInt32 FramesWritten() const override { return mWriter.FramesWritten(); }

private:
    video::MovieWriter& mWriter;
};

} // namespace

bool RenderToSink(HYPluginMainProc theMain, const RenderJob& theJob, const FrameSinkMaker& theMakeSink,
                  const RenderObserver& theObserver, std::string& outError, RenderStatistics* outStatistics)
{
    MoviePlan theMoviePlan;
    if (!PlanMovie(theMain, theJob, theMoviePlan, outError, theObserver.stopped)) return false;
    const RenderPlan& thePlan = theMoviePlan.render;
    std::unique_ptr<FrameSink> theSink = theMakeSink(thePlan.settings, outError);
    if (!theSink) return false;

    MovieRender theRender(thePlan, theObserver, *theSink, theJob.proxy);
    const TransitionPlan theTransition{theJob.which,
                                       theJob.speed,
                                       SInt16(thePlan.settings.width),
                                       SInt16(thePlan.settings.height),
                                       theJob.proxy,
                                       true,
                                       thePlan.transitionFrames};
    // Each clip is opened when its first segment comes and closed once the segments have moved
    // past it: at most the two around a cut are open.
    std::vector<std::unique_ptr<video::FrameSource>> theOpen(theJob.clips.size());
    const auto theClip = [&](size_t theIndex) -> video::FrameSource* {
        if (!theOpen[theIndex]) {
            const video::FrameRate theRate =
                theIndex == thePlan.firstMoving && theJob.rate.num == 0 ? video::FrameRate{0, 0} : thePlan.settings.rate;
            theOpen[theIndex] = OpenMovieClip(theJob.clips[theIndex], theRate, outError);
            // Every frame is asked for once.
            if (theOpen[theIndex] && !theOpen[theIndex]->Info().still) theOpen[theIndex]->SetCacheLimits(0, 0);
        }
        return theOpen[theIndex].get();
    };
    RenderStatistics theCounts;
    const auto theRenderSegment = [&](const MovieSegment& theSegment) {
        for (size_t i = 0; i < theSegment.clip; ++i) theOpen[i].reset();
        video::FrameSource* theA = theClip(theSegment.clip);
        if (!theA) return false;
        const SInt32 theFrames = theSegment.movieEnd - theSegment.movieFirst;
        switch (theSegment.source) {
        case MovieSegment::Source::CopyPackets:
            if (!theRender.CopyFrames(*theA, thePlan.settings.copySources[theSegment.copySource], theSegment.first,
                                      theSegment.end, outError))
                return false;
            theCounts.copied += theFrames;
            break;
        case MovieSegment::Source::PassDecoded:
            if (!theSegment.drawn) {
                if (!theRender.PassDecodedFrames(*theA, theSegment.first, theSegment.end, outError)) return false;
                theCounts.passedDecoded += theFrames;
            } else {
                MovieClips theClips(*theA, nullptr, thePlan.stillFrames);
                if (!theRender.DrawFrames(theClips, theSegment.first, theSegment.end, outError)) return false;
                theCounts.passedDrawn += theFrames;
            }
            break;
        case MovieSegment::Source::RenderTransition: {
            video::FrameSource* theB = theSegment.clipB != theSegment.clip ? theClip(theSegment.clipB) : nullptr;
            if (theSegment.clipB != theSegment.clip && !theB) return false;
            MovieClips theClips(*theA, theB, thePlan.stillFrames);
            theClips.TrimClipA(theSegment.first, theSegment.end);
            if (!theRender.RunTransitionOf(theMain, theClips, theTransition, outError)) return false;
            theCounts.rendered += theFrames;
            break;
        }
        }
        return true;
    };
    bool theRendered = true;
    for (const MovieSegment& theSegment : theMoviePlan.segments)
        if (!(theRendered = theRenderSegment(theSegment))) break;
    // A render stopped early (a player closed) still counts what it made.
    if (outStatistics) {
        theCounts.frames = theSink->FramesWritten();
        theCounts.pluginSeconds = theRender.PluginSeconds();
        *outStatistics = theCounts;
    }
    return theRendered;
}

bool RenderMovie(HYPluginMainProc theMain, const RenderJob& theJob, const RenderObserver& theObserver,
                 std::string& outError, RenderStatistics* outStatistics)
{
    if (!video::CheckMovieOutput(theJob.output, outError)) return false;
    if (!theJob.replace && video::MovieOutputExists(theJob.output)) {
        outError = video::Quoted(video::FirstFileOf(theJob.output)) + " exists; give -y to replace it";
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
