// Audio cut to video frames: 48 kHz stereo, and the mixing that the plug-in's audio levels ask for.
//
// Frame n of a clip at rate r covers the time [n / r, (n + 1) / r), so its samples are
// [FirstAudioSampleOfFrame(n), FirstAudioSampleOfFrame(n + 1)): consecutive frames tile the
// sound exactly, whatever the rate.
#pragma once

#include "VideoTypes.h"

#include <string>
#include <vector>

namespace video {

constexpr SInt32 cAudioSampleRate = 48000;
constexpr SInt32 cAudioChannels = 2;
constexpr SInt32 cUnityLevel = 256; // a level of 256 keeps a clip's sound as it is

// The sound of one video frame: interleaved left/right float samples, nominally in [-1, 1].
struct AudioBlock {
    std::vector<float> samples;

    // Stereo samples, i.e. the block's length in 1/48000 s.
    SInt32 Length() const { return static_cast<SInt32>(samples.size() / cAudioChannels); }
};

SInt64 FirstAudioSampleOfFrame(SInt64 theFrame, FrameRate theRate);
SInt32 AudioSamplesInFrame(SInt64 theFrame, FrameRate theRate);

// Cuts theBlock to theLength stereo samples or extends it by repeating its last sample
// (silence when empty), so that a frame whose neighbour clip counts one sample more does not click.
bool FitAudioLength(AudioBlock& theBlock, SInt32 theLength, std::string& outError) noexcept;

// Adds theSource at theLevel (0..256, clamped) to theMix, over theMix's length; a shorter
// source holds its last sample.
void AddAudioAtLevel(AudioBlock& theMix, const AudioBlock& theSource, SInt32 theLevel) noexcept;

// The audio of one output frame, theLength stereo samples long: theA at theLevelA plus theB at
// theLevelB, limited as LimitAudio does.
bool MixFrameAudio(const AudioBlock& theA, SInt32 theLevelA, const AudioBlock& theB, SInt32 theLevelB,
                   SInt32 theLength, AudioBlock& theMix, std::string& outError) noexcept;

// Keeps a sum of sounds within full scale without clipping it: samples up to 0.9 pass as they
// are, louder ones bend smoothly (a soft knee, no corner in the curve) towards 0.98, which only
// the loudest reach. The curve is the same for every sample, so blocks join without a step.
void LimitAudio(AudioBlock& theBlock) noexcept;

// Clips every sample to [-1, 1]: for a clip's own sound when a decoder gave more than full scale.
void ClipAudio(AudioBlock& theBlock) noexcept;

} // namespace video
