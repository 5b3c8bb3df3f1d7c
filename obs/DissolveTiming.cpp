#include "DissolveTiming.h"

#include "LumaMap.h"

#include <algorithm>
#include <cmath>

namespace {

// OBS hands the time over as a float: k / N comes back up to a few thousandths of a frame
// above k at the longest lengths, which must not round up to the next frame.
constexpr double cTimeSlack = 1.0 / 128;

} // namespace

int32_t CountDissolveFrames(int64_t theDurationMs, uint32_t theRateNum, uint32_t theRateDen)
{
    if (theRateNum == 0 || theRateDen == 0 || theDurationMs <= 0) return 1;
    const int64_t theMs = std::min<int64_t>(theDurationMs, int64_t(1) << 31);
    const int64_t theScale = int64_t(theRateDen) * 1000;
    const int64_t theFrames = (2 * theMs * theRateNum + theScale) / (2 * theScale);
    return int32_t(std::clamp<int64_t>(theFrames, 1, cLongestLumaFrames));
}

uint32_t MeasureFramesMs(int32_t theFrames, uint32_t theRateNum, uint32_t theRateDen)
{
    if (theRateNum == 0) return 0;
    const uint64_t theScale = uint64_t(theFrames) * theRateDen * 1000;
    return uint32_t((2 * theScale + theRateNum) / (2 * uint64_t(theRateNum)));
}

DissolveStep FindDissolveStep(bool theThroughColour, int32_t theFrames, float theTime)
{
    const double theExact = std::isfinite(theTime) ? double(theTime) * theFrames : 0.0;
    const int32_t theFrame = int32_t(std::clamp(std::ceil(theExact - cTimeSlack), 0.0, double(theFrames)));
    if (!theThroughColour) return DissolveStep{cEngineCross, theFrames, theFrame};
    const int32_t theOut = (theFrames + 1) / 2;
    if (theFrame <= theOut) return DissolveStep{cEngineOut, theOut, theFrame};
    return DissolveStep{cEngineIn, theFrames - theOut, theFrame - theOut};
}

uint32_t ReachedLevel(const DissolveStep& theStep)
{
    return uint32_t(int64_t(65536) * theStep.frame / theStep.frames);
}
