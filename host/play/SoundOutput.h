// The sound device a movie plays on: 48 kHz stereo float, fed from the main thread and read by
// SDL's audio thread. It is also the player's clock while the movie has sound: the samples it
// has played, counted from the last Clear.
#pragma once

#include "MacTypes.h"
#include "SoundRuntimeFolder.h"

#include <SDL.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace play {

class SoundOutput {
public:
    // Null with the reason when there is no device to play on.
    static std::unique_ptr<SoundOutput> Open(std::string& outProblem);
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Starts paused.
    void SetPlaying(bool thePlaying);
    void Append(const std::vector<float>& theSamples);
    // Drops what waits to be played and counts from 0 again.
    void Clear();
    // Stereo samples played since the last Clear. Between two reads of the device the count
    // moves on with the steady clock, never past what the device has taken, so that the
    // picture moves smoothly rather than in steps of the device's buffer.
    SInt64 PlayedSamples();

private:
    SoundOutput() = default;
    static void SDLCALL FillHandler(void* theOutput, Uint8* theStream, int theLength);
    void Fill(float* theStream, size_t theCount);
    SInt64 PlayedLocked(std::chrono::steady_clock::time_point theNow) const;

    using Clock = std::chrono::steady_clock;
    SoundRuntimeFolder mRuntimeFolder; // first made, last removed
    SDL_AudioDeviceID mDevice = 0;
    std::mutex mMutex;
    std::vector<float> mPending;
    size_t mRead = 0;         // into mPending
    SInt64 mTaken = 0;        // stereo samples of sound the device has taken, silence not counted
    SInt64 mTakenBefore = 0;  // mTaken before its last read
    Clock::time_point mReadTime{};
    bool mPlaying = false;
    SInt64 mPausedAt = 0;
};

} // namespace play
