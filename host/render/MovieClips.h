// The host's frames from real movie files: clip A, then clip B (absent for Out and In). A still
// picture is a clip of its own length, the same picture in every frame, silent.
#pragma once

#include "ClipFrames.h"
#include "FrameSource.h"

#include <memory>

class MovieClips : public ClipFrames {
public:
    // theStillFrames: how many frames a still picture lasts.
    MovieClips(video::FrameSource& theClipA, video::FrameSource* theClipB, SInt32 theStillFrames = 1)
        : mClipA(theClipA), mClipB(theClipB), mStillFrames(theStillFrames), mAEnd(LengthOf(theClipA))
    {
    }
    SInt32 ClipALength() const override { return mAEnd - mAFirst; }
    SInt32 ClipBLength() const override { return mClipB ? LengthOf(*mClipB) : 0; }
    bool DrawFrame(SInt32 theFrameNumber, GWorldPtr theFrame, std::string& outError) override;
    void SetQuickFrames(bool theQuick) override
    {
        mClipA.SetQuickScaling(theQuick);
        if (mClipB) mClipB->SetQuickScaling(theQuick);
    }
    // Only clip A's frames [theFirst, theEnd) take part: the movie's frame 0 is clip A's theFirst.
    void TrimClipA(SInt32 theFirst, SInt32 theEnd)
    {
        mAFirst = theFirst;
        mAEnd = theEnd;
    }
    // The sound of a movie frame, as the clip it belongs to has it.
    bool GetFrameAudio(SInt32 theFrameNumber, video::AudioBlock& outAudio, std::string& outError);

private:
    SInt32 LengthOf(const video::FrameSource& theClip) const
    {
        return theClip.Info().still ? mStillFrames : theClip.Info().frameCount;
    }
    // The clip holding a movie frame and the frame's number in it; null past the end.
    video::FrameSource* ClipOf(SInt32 theFrameNumber, SInt32& outClipFrame, std::string& outError);

    video::FrameSource& mClipA;
    video::FrameSource* mClipB;
    SInt32 mStillFrames;
    SInt32 mAFirst = 0;
    SInt32 mAEnd;
};

// Opens a clip as movies use it: conformed to theRate ({0, 0}: its own), fitted into frames of
// another shape, a still decoded once and kept. False with the reason when it cannot be read
// or has no frames.
std::unique_ptr<video::FrameSource> OpenMovieClip(const std::string& thePath, video::FrameRate theRate,
                                                  std::string& outError);

// The clips of transition theWhich, each with at least one frame: clip A, and clip B for a
// Cross, conformed to clip A's frame rate; false with the reason.
bool OpenTransitionClips(SInt32 theWhich, const std::string& thePathA, const std::string& thePathB,
                         std::unique_ptr<video::FrameSource>& outClipA, std::unique_ptr<video::FrameSource>& outClipB,
                         std::string& outError);
