// Plays the frames a render hands over, in real time, in a window: paced by the sound device's
// clock while the movie has sound and a device, else by a steady clock. A frame the render has
// not delivered in time is shown late, never skipped; the picture and the sound wait together.
//
// Keys: space pauses and resumes (the sound too); Left and Right step a frame while paused,
// Left back through the frames still kept; q, Escape or closing the window stop at once.
#pragma once

#include "PlayQueue.h"
#include "PlayerWindow.h"
#include "SoundOutput.h"

#include <chrono>
#include <deque>
#include <memory>
#include <string>

namespace play {

class MoviePlayer {
public:
    // theSound: null to play silently; used only when the frames carry sound.
    MoviePlayer(PlayQueue& theQueue, PlayerWindow& theWindow, SoundOutput* theSound,
                const video::MovieSettings& theSettings, const std::string& theName);

    // Until the movie has ended, the person has quit or the render has failed; false with the
    // reason when the window cannot show a frame.
    bool Run(std::string& outError);
    bool PersonQuit() const { return mQuit; }
    SInt64 FramesShown() const { return mNewestShown + 1; }

private:
    using Clock = std::chrono::steady_clock;

    void TakeFrames();
    void StartPlaying();
    // Nanoseconds of the movie played so far by the steady clock.
    SInt64 SteadyTime();
    // Nanoseconds until theFrame is due; 0 or less once it is.
    SInt64 UntilDue(SInt64 theFrame);
    bool ShowFrame(SInt64 theIndex, std::string& outError);
    const PlayFrame* FrameAt(SInt64 theIndex) const;
    void DropOldFrames();
    void SetPaused(bool thePaused);
    bool Step(int theDirection, std::string& outError);
    void SDLEventHandler(const SDL_Event& theEvent, std::string& outError, bool& outFailed);
    void UpdateTitle();
    // Milliseconds until the next frame is due, 1 to 10, so that keys answer at once.
    int WaitMilliseconds();

    PlayQueue& mQueue;
    PlayerWindow& mWindow;
    SoundOutput* const mSound;
    const video::MovieSettings mSettings;
    const std::string mName;

    std::deque<std::unique_ptr<PlayFrame>> mFrames; // kept for stepping back, shown, and ahead
    SInt64 mShown = -1;
    SInt64 mNewestShown = -1;
    SInt64 mSoundFedUntil = 0;  // the next frame whose sound goes to the device
    SInt64 mSoundStart = 0;     // the sample of the movie the device's count starts at
    Clock::time_point mStart{}; // steady clock: when the movie's time 0 was, or would have been
    SInt64 mFrozenTime = 0;     // steady clock: the movie's time while paused
    bool mStarted = false;
    bool mPaused = false;
    bool mStepped = false;      // frames stepped since the pause
    bool mQuit = false;
    bool mToldLate = false;
    bool mToldHistory = false;
    bool mAtHistoryStart = false;
};

} // namespace play
