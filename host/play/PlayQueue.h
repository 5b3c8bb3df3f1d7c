// The hand-over between the render, on its own thread, and the player on the main thread: the
// movie's format once it is known, then its frames in order through a queue of a few frames, so
// that a render faster than real time waits rather than filling memory.
#pragma once

#include "MovieWriter.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace play {

// One frame copied out of the render: pixels in memory order alpha, red, green, blue with no
// row padding, and its sound (empty when the player takes none).
struct PlayFrame {
    SInt64 index = 0;
    SInt32 width = 0;
    SInt32 height = 0;
    std::vector<std::uint8_t> pixels;
    std::vector<float> sound; // interleaved stereo at 48 kHz

    size_t Bytes() const { return pixels.size() + sound.size() * sizeof(float); }
};

class PlayQueue {
public:
    explicit PlayQueue(size_t theCapacity) : mCapacity(theCapacity) {}

    // The render's side. Begin comes once, before the first frame.
    void Begin(const video::MovieSettings& theSettings);
    void SetTotalFrames(SInt64 theTotal);
    // Waits for room; false, at once, when the player has quit.
    bool Push(std::unique_ptr<PlayFrame> theFrame);
    // The render has ended, with the reason when it failed.
    void Finish(bool theSucceeded, const std::string& outError);

    // The player's side. Waits up to theWait for the movie's format; true with it.
    bool WaitForBegin(video::MovieSettings& outSettings, std::chrono::milliseconds theWait);
    bool HasFinished();
    std::unique_ptr<PlayFrame> TryPop();
    // Every frame has been taken and the render has ended.
    bool Drained();
    // Total frames, 0 while unknown.
    SInt64 TotalFrames();
    // The render has ended with an error, and why.
    bool HasFailed();
    std::string Error();
    // The player stops: the render's next Push returns false.
    void Quit();
    bool HasQuit();

private:
    std::mutex mMutex;
    std::condition_variable mChanged;
    const size_t mCapacity;
    std::deque<std::unique_ptr<PlayFrame>> mFrames;
    bool mBegun = false;
    video::MovieSettings mSettings;
    SInt64 mTotal = 0;
    bool mFinished = false;
    bool mSucceeded = false;
    std::string mError;
    bool mQuit = false;
};

} // namespace play
