// Sound of rendered movies as FFmpeg's command-line tool decodes it, and measures of it.
#pragma once

#include <string>
#include <vector>

namespace rendertest {

// The left channel of the whole sound at 48 kHz, as 32-bit floats.
std::vector<float> FfmpegSound(const std::string& thePath);

// The same as 16-bit samples, as a player gets them: samples at full scale are clipped.
std::vector<short> FfmpegSamples(const std::string& thePath);

// Samples of theSamples at full scale (32767 or -32768).
long ClippedSamples(const std::vector<short>& theSamples);

// The frequency of the tone in mono 48 kHz sound [theFirst, theFirst + theCount), from its
// rising zero crossings.
double ToneHertz(const std::vector<float>& theSound, size_t theFirst, size_t theCount);

// Root mean square of mono sound [theFirst, theFirst + theCount).
double RootMeanSquare(const std::vector<float>& theSound, size_t theFirst, size_t theCount);

// The amplitude of the theHertz component of mono 48 kHz sound [theFirst, theFirst + theCount).
double ToneAmplitude(const std::vector<float>& theSound, size_t theFirst, size_t theCount, double theHertz);

} // namespace rendertest
