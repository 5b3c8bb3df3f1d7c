#include "SoundOutput.h"

#include "AudioFrames.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace play {

namespace {

constexpr int cDeviceBufferSamples = 1024;

// ALSA and PulseAudio print their own complaints about a missing device on stderr; the caller
// says what went wrong in one line.
template <typename Work>
auto WithStderrSilenced(Work theWork)
{
    std::fflush(stderr);
    const int theSaved = dup(STDERR_FILENO);
    const int theNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (theSaved >= 0 && theNull >= 0) dup2(theNull, STDERR_FILENO);
    auto theResult = theWork();
    if (theSaved >= 0 && theNull >= 0) dup2(theSaved, STDERR_FILENO);
    if (theNull >= 0) close(theNull);
    if (theSaved >= 0) close(theSaved);
    return theResult;
}

} // namespace

std::unique_ptr<SoundOutput> SoundOutput::Open(std::string& outProblem)
{
    std::unique_ptr<SoundOutput> theOutput(new SoundOutput);
    SDL_AudioSpec theWanted{};
    theWanted.freq = video::cAudioSampleRate;
    theWanted.format = AUDIO_F32SYS;
    theWanted.channels = video::cAudioChannels;
    theWanted.samples = cDeviceBufferSamples;
    theWanted.callback = FillHandler;
    theWanted.userdata = theOutput.get();
    const bool theOpened = WithStderrSilenced([&] {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        // SDL converts to what the device takes: the rate and format stay as asked.
        theOutput->mDevice = SDL_OpenAudioDevice(nullptr, 0, &theWanted, nullptr, 0);
        return theOutput->mDevice != 0;
    });
    if (!theOpened) {
        outProblem = SDL_GetError();
        if (outProblem.empty()) outProblem = "no sound device";
        return nullptr;
    }
    return theOutput;
}

SoundOutput::~SoundOutput()
{
    if (mDevice) SDL_CloseAudioDevice(mDevice);
}

void SDLCALL SoundOutput::FillHandler(void* theOutput, Uint8* theStream, int theLength)
{
    static_cast<SoundOutput*>(theOutput)->Fill(reinterpret_cast<float*>(theStream), size_t(theLength) / sizeof(float));
}

void SoundOutput::Fill(float* theStream, size_t theCount)
{
    std::lock_guard<std::mutex> theLock(mMutex);
    const size_t theAvailable = std::min(theCount, mPending.size() - mRead);
    std::memcpy(theStream, mPending.data() + mRead, theAvailable * sizeof(float));
    std::fill(theStream + theAvailable, theStream + theCount, 0.0f);
    mRead += theAvailable;
    if (mRead > 0 && mRead * 2 >= mPending.size()) {
        mPending.erase(mPending.begin(), mPending.begin() + std::ptrdiff_t(mRead));
        mRead = 0;
    }
    mTakenBefore = PlayedLocked(Clock::now());
    mTaken += SInt64(theAvailable / video::cAudioChannels);
    mReadTime = Clock::now();
}

SInt64 SoundOutput::PlayedLocked(Clock::time_point theNow) const
{
    if (!mPlaying) return mPausedAt;
    const auto theSince = std::chrono::duration_cast<std::chrono::microseconds>(theNow - mReadTime).count();
    const SInt64 theMoved = std::max<SInt64>(0, theSince) * video::cAudioSampleRate / 1000000;
    return std::min(mTaken, mTakenBefore + theMoved);
}

SInt64 SoundOutput::PlayedSamples()
{
    std::lock_guard<std::mutex> theLock(mMutex);
    return PlayedLocked(Clock::now());
}

void SoundOutput::SetPlaying(bool thePlaying)
{
    {
        std::lock_guard<std::mutex> theLock(mMutex);
        if (thePlaying == mPlaying) return;
        if (!thePlaying) mPausedAt = PlayedLocked(Clock::now());
        // Resumed, the count goes on from where it stopped rather than from the last read.
        mTakenBefore = mPausedAt;
        mReadTime = Clock::now();
        mPlaying = thePlaying;
    }
    SDL_PauseAudioDevice(mDevice, thePlaying ? 0 : 1);
}

void SoundOutput::Append(const std::vector<float>& theSamples)
{
    std::lock_guard<std::mutex> theLock(mMutex);
    mPending.insert(mPending.end(), theSamples.begin(), theSamples.end());
}

void SoundOutput::Clear()
{
    std::lock_guard<std::mutex> theLock(mMutex);
    mPending.clear();
    mRead = 0;
    mTaken = mTakenBefore = mPausedAt = 0;
    mReadTime = Clock::now();
}

} // namespace play
