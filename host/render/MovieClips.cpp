#include "MovieClips.h"

video::FrameSource* MovieClips::ClipOf(SInt32 theFrameNumber, SInt32& outClipFrame, std::string& outError)
{
    if (theFrameNumber >= 0 && theFrameNumber < ClipALength()) {
        outClipFrame = mClipA.Info().still ? 0 : mAFirst + theFrameNumber;
        return &mClipA;
    }
    if (mClipB && theFrameNumber >= ClipALength() && theFrameNumber < ClipALength() + ClipBLength()) {
        outClipFrame = mClipB->Info().still ? 0 : theFrameNumber - ClipALength();
        return mClipB;
    }
    outError = "no frame " + std::to_string(theFrameNumber) + " in the movie";
    return nullptr;
}

bool MovieClips::DrawFrame(SInt32 theFrameNumber, GWorldPtr theFrame, std::string& outError)
{
    SInt32 theClipFrame = 0;
    video::FrameSource* theClip = ClipOf(theFrameNumber, theClipFrame, outError);
    return theClip && theClip->DrawFrame(theClipFrame, theFrame, outError);
}

bool MovieClips::GetFrameAudio(SInt32 theFrameNumber, video::AudioBlock& outAudio, std::string& outError)
{
    SInt32 theClipFrame = 0;
    video::FrameSource* theClip = ClipOf(theFrameNumber, theClipFrame, outError);
    if (!theClip) return false;
    // A still has no sound; its silence is as long as the frame's place in the movie.
    if (theClip->Info().still) theClipFrame = theFrameNumber - (theClip == &mClipA ? 0 : ClipALength());
    return theClip->GetFrameAudio(theClipFrame, outAudio, outError);
}

std::unique_ptr<video::FrameSource> OpenMovieClip(const std::string& thePath, video::FrameRate theRate,
                                                  std::string& outError)
{
    std::unique_ptr<video::FrameSource> theClip = video::FrameSource::Open(thePath, theRate, outError);
    if (!theClip) return nullptr;
    if (theClip->Info().frameCount <= 0) {
        outError = thePath + ": the clip has no frames";
        return nullptr;
    }
    theClip->SetFitting(true);
    // A still's one picture, scaled, is kept for every frame it shows.
    if (theClip->Info().still) theClip->SetCacheLimits(1, 0);
    return theClip;
}

bool OpenTransitionClips(SInt32 theWhich, const std::string& thePathA, const std::string& thePathB,
                         std::unique_ptr<video::FrameSource>& outClipA, std::unique_ptr<video::FrameSource>& outClipB,
                         std::string& outError)
{
    if (theWhich == 3 && thePathB.empty()) {
        outError = "a Cross needs two clips";
        return false;
    }
    outClipA = OpenMovieClip(thePathA, video::FrameRate{0, 0}, outError);
    if (!outClipA) return false;
    // Clip B plays at its own speed in clip A's frames; its sound is resampled by time.
    if (theWhich == 3 && !(outClipB = OpenMovieClip(thePathB, outClipA->Info().rate, outError))) return false;
    return true;
}
