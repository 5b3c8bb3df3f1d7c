#include "PlayClock.h"

#include "AudioFrames.h"

namespace play {

namespace {

constexpr SInt64 cNanosecondsPerSecond = 1000000000;

// theValue * theNumerator / theDenominator, rounded down, for values that overflow 64 bits
// when multiplied first.
SInt64 ScaleDown(SInt64 theValue, SInt64 theNumerator, SInt64 theDenominator)
{
    return SInt64(__int128(theValue) * theNumerator / theDenominator);
}

} // namespace

SInt64 FrameStartNanoseconds(SInt64 theFrame, video::FrameRate theRate)
{
    return ScaleDown(theFrame, SInt64(theRate.den) * cNanosecondsPerSecond, theRate.num);
}

SInt64 SamplesToNanoseconds(SInt64 theSamples)
{
    return ScaleDown(theSamples, cNanosecondsPerSecond, video::cAudioSampleRate);
}

} // namespace play
