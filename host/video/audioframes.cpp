#include "AudioFrames.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cmath>
#include <new>

namespace video {

SInt64 FirstAudioSampleOfFrame(SInt64 theFrame, FrameRate theRate)
{
    return av_rescale_rnd(theFrame, SInt64(cAudioSampleRate) * theRate.den, theRate.num, AV_ROUND_DOWN);
}

SInt32 AudioSamplesInFrame(SInt64 theFrame, FrameRate theRate)
{
    return static_cast<SInt32>(FirstAudioSampleOfFrame(theFrame + 1, theRate) - FirstAudioSampleOfFrame(theFrame, theRate));
}

bool FitAudioLength(AudioBlock& theBlock, SInt32 theLength, std::string& outError) noexcept
{
    try {
        SInt32 theOldLength = theBlock.Length();
        float theLeft = theOldLength > 0 ? theBlock.samples[(theOldLength - 1) * cAudioChannels] : 0.0f;
        float theRight = theOldLength > 0 ? theBlock.samples[(theOldLength - 1) * cAudioChannels + 1] : 0.0f;
        theBlock.samples.resize(size_t(std::max(theLength, 0)) * cAudioChannels);
        for (SInt32 i = theOldLength; i < theLength; ++i) {
            theBlock.samples[i * cAudioChannels] = theLeft;
            theBlock.samples[i * cAudioChannels + 1] = theRight;
        }
        return true;
    } catch (const std::bad_alloc&) {
        outError = "out of memory for audio";
        return false;
    }
}

namespace {

// Sample theIndex of a channel; past the end the last sample holds, so that blocks of a frame's
// neighbour clip, which may be one sample shorter, join without a click.
float HeldSample(const AudioBlock& theBlock, SInt32 theIndex, int theChannel)
{
    SInt32 theLength = theBlock.Length();
    if (theLength == 0) return 0.0f;
    return theBlock.samples[size_t(std::min(theIndex, theLength - 1)) * cAudioChannels + theChannel];
}

float GainOfLevel(SInt32 theLevel)
{
    return static_cast<float>(std::clamp(theLevel, SInt32(0), cUnityLevel)) / cUnityLevel;
}

} // namespace

void AddAudioAtLevel(AudioBlock& theMix, const AudioBlock& theSource, SInt32 theLevel) noexcept
{
    float theGain = GainOfLevel(theLevel);
    for (SInt32 i = 0; i < theMix.Length(); ++i) {
        for (int c = 0; c < cAudioChannels; ++c) theMix.samples[size_t(i) * cAudioChannels + c] += HeldSample(theSource, i, c) * theGain;
    }
}

void ClipAudio(AudioBlock& theBlock) noexcept
{
    for (float& theSample : theBlock.samples) theSample = std::clamp(theSample, -1.0f, 1.0f);
}

void LimitAudio(AudioBlock& theBlock) noexcept
{
    // The ceiling stays below full scale by more than lossy encoders overshoot.
    constexpr float cKnee = 0.9f;
    constexpr float cRoom = 0.98f - cKnee;
    for (float& theSample : theBlock.samples) {
        const float theSize = std::fabs(theSample);
        if (!(theSize > cKnee)) continue;
        // Slope 1 at the knee, flattening towards the ceiling.
        theSample = std::copysign(cKnee + cRoom * std::tanh((theSize - cKnee) / cRoom), theSample);
    }
}

bool MixFrameAudio(const AudioBlock& theA, SInt32 theLevelA, const AudioBlock& theB, SInt32 theLevelB,
                   SInt32 theLength, AudioBlock& theMix, std::string& outError) noexcept
{
    try {
        theMix.samples.assign(size_t(std::max(theLength, 0)) * cAudioChannels, 0.0f);
    } catch (const std::bad_alloc&) {
        outError = "out of memory for audio";
        return false;
    }
    AddAudioAtLevel(theMix, theA, theLevelA);
    AddAudioAtLevel(theMix, theB, theLevelB);
    LimitAudio(theMix);
    return true;
}

} // namespace video
