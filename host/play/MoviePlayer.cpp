#include "MoviePlayer.h"

#include "AudioFrames.h"
#include "PlayClock.h"

#include <algorithm>
#include <cstdio>

namespace play {

namespace {

// Frames taken from the render ahead of the one shown: their sound is already with the
// device, so a render that falters briefly is not heard.
constexpr SInt64 cFramesAhead = 6;
// The frames kept behind the one shown, for Left: about 12 frames of 1080p, hundreds of small ones.
constexpr size_t cKeptBytes = 100 * 1000 * 1000;

std::string TimeText(SInt64 theNanoseconds)
{
    const SInt64 theTenths = theNanoseconds / 100000000;
    char theText[32];
    std::snprintf(theText, sizeof theText, "%lld:%02lld.%lld", static_cast<long long>(theTenths / 600),
                  static_cast<long long>(theTenths / 10 % 60), static_cast<long long>(theTenths % 10));
    return theText;
}

} // namespace

MoviePlayer::MoviePlayer(PlayQueue& theQueue, PlayerWindow& theWindow, SoundOutput* theSound,
                         const video::MovieSettings& theSettings, const std::string& theName)
    : mQueue(theQueue), mWindow(theWindow), mSound(theSettings.withAudio ? theSound : nullptr),
      mSettings(theSettings), mName(theName)
{
}

bool MoviePlayer::Run(std::string& outError)
{
    bool theFailed = false;
    while (!mQuit && !theFailed) {
        if (mQueue.HasFailed()) return true; // the caller reports the render's error
        TakeFrames();
        if (!mStarted && (mFrames.size() >= size_t(cFramesAhead) || mQueue.Drained())) {
            if (mFrames.empty()) return true;
            if (!ShowFrame(0, outError)) return false;
            StartPlaying();
        } else if (mStarted && !mPaused) {
            const SInt64 theNext = mShown + 1;
            const bool theDue = UntilDue(theNext) <= 0;
            if (FrameAt(theNext)) {
                if (theDue && !ShowFrame(theNext, outError)) return false;
            } else if (mQueue.Drained()) {
                if (theDue) return true; // the last frame has had its time
            } else if (theDue && !mToldLate) {
                std::fputs("glintweave: note: the render cannot keep up: playing slower than real time\n", stderr);
                mToldLate = true;
            }
        }
        UpdateTitle();
        SDL_Event theEvent;
        if (SDL_WaitEventTimeout(&theEvent, WaitMilliseconds())) {
            do SDLEventHandler(theEvent, outError, theFailed);
            while (!mQuit && !theFailed && SDL_PollEvent(&theEvent));
        }
    }
    return !theFailed;
}

void MoviePlayer::TakeFrames()
{
    while (mFrames.empty() || mFrames.back()->index - mShown < cFramesAhead) {
        std::unique_ptr<PlayFrame> theFrame = mQueue.TryPop();
        if (!theFrame) return;
        if (mSound && theFrame->index == mSoundFedUntil) {
            mSound->Append(theFrame->sound);
            ++mSoundFedUntil;
        }
        mFrames.push_back(std::move(theFrame));
    }
}

void MoviePlayer::StartPlaying()
{
    mStarted = true;
    mSoundStart = 0;
    mStart = Clock::now();
    if (mSound) mSound->SetPlaying(true);
}

SInt64 MoviePlayer::SteadyTime()
{
    if (mPaused || !mStarted) return mFrozenTime;
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - mStart).count();
}

SInt64 MoviePlayer::UntilDue(SInt64 theFrame)
{
    // With sound, in samples: a frame's sound starts on a whole sample, which in nanoseconds
    // falls a little before the frame's start, and the last frame would never end.
    if (mSound)
        return SamplesToNanoseconds(video::FirstAudioSampleOfFrame(theFrame, mSettings.rate) - mSoundStart -
                                    mSound->PlayedSamples());
    return FrameStartNanoseconds(theFrame, mSettings.rate) - SteadyTime();
}

const PlayFrame* MoviePlayer::FrameAt(SInt64 theIndex) const
{
    if (mFrames.empty() || theIndex < mFrames.front()->index || theIndex > mFrames.back()->index) return nullptr;
    return mFrames[size_t(theIndex - mFrames.front()->index)].get();
}

bool MoviePlayer::ShowFrame(SInt64 theIndex, std::string& outError)
{
    const PlayFrame* theFrame = FrameAt(theIndex);
    if (!mWindow.Show(*theFrame, outError)) return false;
    if (!mSound && mStarted && !mPaused) {
        // Late by more than a frame (a slow render, a busy machine): the steady clock takes up
        // from this frame, as the sound's clock does when the sound runs out.
        if (-UntilDue(theIndex) > FrameStartNanoseconds(1, mSettings.rate))
            mStart = Clock::now() - std::chrono::nanoseconds(FrameStartNanoseconds(theIndex, mSettings.rate));
    }
    mShown = theIndex;
    mNewestShown = std::max(mNewestShown, theIndex);
    mAtHistoryStart = false;
    DropOldFrames();
    return true;
}

void MoviePlayer::DropOldFrames()
{
    size_t theKept = 0;
    for (const auto& theFrame : mFrames)
        if (theFrame->index < mShown) theKept += theFrame->Bytes();
    while (theKept > cKeptBytes && mFrames.front()->index < mShown) {
        theKept -= mFrames.front()->Bytes();
        mFrames.pop_front();
    }
}

void MoviePlayer::SetPaused(bool thePaused)
{
    if (!mStarted || thePaused == mPaused) return;
    if (thePaused) {
        mFrozenTime = SteadyTime();
        if (mSound) mSound->SetPlaying(false);
        mPaused = true;
        mStepped = false;
        return;
    }
    mPaused = false;
    // After steps the movie goes on from the frame shown, its sound from that frame's start.
    if (mStepped) mFrozenTime = FrameStartNanoseconds(mShown, mSettings.rate);
    mStart = Clock::now() - std::chrono::nanoseconds(mFrozenTime);
    if (!mSound) return;
    if (mStepped) {
        mSound->Clear();
        mSoundStart = video::FirstAudioSampleOfFrame(mShown, mSettings.rate);
        for (SInt64 i = mShown; FrameAt(i); ++i) mSound->Append(FrameAt(i)->sound);
        mSoundFedUntil = mFrames.back()->index + 1;
    }
    mSound->SetPlaying(true);
}

bool MoviePlayer::Step(int theDirection, std::string& outError)
{
    if (!mPaused) return true;
    const SInt64 theTarget = mShown + theDirection;
    if (!FrameAt(theTarget)) {
        if (theDirection < 0 && theTarget >= 0) {
            mAtHistoryStart = true;
            if (!mToldHistory)
                std::fprintf(stderr, "glintweave: note: Left goes back at most %lld frames, those kept in memory\n",
                             static_cast<long long>(mNewestShown - mFrames.front()->index));
            mToldHistory = true;
        }
        return true;
    }
    mStepped = true;
    return ShowFrame(theTarget, outError);
}

void MoviePlayer::SDLEventHandler(const SDL_Event& theEvent, std::string& outError, bool& outFailed)
{
    switch (theEvent.type) {
    case SDL_QUIT:
        mQuit = true;
        break;
    case SDL_WINDOWEVENT:
        if (theEvent.window.windowID != mWindow.WindowID()) break;
        if (theEvent.window.event == SDL_WINDOWEVENT_CLOSE) mQuit = true;
        else if (theEvent.window.event == SDL_WINDOWEVENT_EXPOSED || theEvent.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            mWindow.Redraw();
        break;
    case SDL_KEYDOWN:
        switch (theEvent.key.keysym.sym) {
        case SDLK_q:
        case SDLK_ESCAPE:
            mQuit = true;
            break;
        case SDLK_SPACE:
            if (!theEvent.key.repeat) SetPaused(!mPaused);
            break;
        case SDLK_LEFT:
        case SDLK_RIGHT:
            outFailed = !Step(theEvent.key.keysym.sym == SDLK_LEFT ? -1 : 1, outError);
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
}

void MoviePlayer::UpdateTitle()
{
    if (mShown < 0) return;
    std::string theTitle = mName + " - " + TimeText(FrameStartNanoseconds(mShown, mSettings.rate));
    if (const SInt64 theTotal = mQueue.TotalFrames(); theTotal > 0)
        theTitle += " / " + TimeText(FrameStartNanoseconds(theTotal, mSettings.rate));
    if (mPaused) {
        theTitle += " - paused, frame " + std::to_string(mShown);
        if (mAtHistoryStart) theTitle += " (the first kept)";
    }
    mWindow.SetTitle(theTitle);
}

int MoviePlayer::WaitMilliseconds()
{
    if (!mStarted || mPaused) return 10;
    return int(std::clamp<SInt64>(UntilDue(mShown + 1) / 1000000, 1, 10));
}

} // namespace play
