// The transition's length at the canvas rate, and the frame a transition time shows: OBS hands
// the time over as a float, and frame k must come back as k at every length.
#include "DissolveTiming.h"

#include <gtest/gtest.h>

namespace {

TEST(DissolveTiming, TheLengthIsTheDurationAtTheRateRounded)
{
    struct Case {
        int64_t durationMs;
        uint32_t rateNum, rateDen;
        int32_t frames;
    };
    const Case theCases[] = {
        {1000, 25, 1, 25},  {1000, 30000, 1001, 30}, {1100, 60, 1, 66},   {2202, 30000, 1001, 66},
        {40, 25, 1, 1},     {60, 25, 1, 2},          {0, 25, 1, 1},       {-500, 25, 1, 1},
        {10, 25, 1, 1},     {86400000, 60, 1, 32768}, {1000, 0, 1, 1},
    };
    for (const Case& theCase : theCases)
        EXPECT_EQ(CountDissolveFrames(theCase.durationMs, theCase.rateNum, theCase.rateDen), theCase.frames)
            << theCase.durationMs << " ms at " << theCase.rateNum << "/" << theCase.rateDen;
    EXPECT_EQ(MeasureFramesMs(30, 30000, 1001), 1001u);
    EXPECT_EQ(MeasureFramesMs(25, 25, 1), 1000u);
    EXPECT_EQ(MeasureFramesMs(66, 60, 1), 1100u);
}

TEST(DissolveTiming, EveryFrameComesBackFromItsTime)
{
    for (const int32_t theFrames : {1, 2, 25, 66, 1000, 32768})
        for (int32_t k = 0; k <= theFrames; ++k) {
            const DissolveStep theAt = FindDissolveStep(false, theFrames, float(k) / float(theFrames));
            ASSERT_EQ(theAt.frame, k) << "t = " << k << " / " << theFrames;
            if (k == 0) continue;
            const DissolveStep theBefore = FindDissolveStep(false, theFrames, (float(k) - 0.5f) / float(theFrames));
            ASSERT_EQ(theBefore.frame, k) << "t = (" << k << " - 0.5) / " << theFrames;
        }
}

TEST(DissolveTiming, ThroughTheColourOutTakesTheFirstHalfAndInTheRest)
{
    struct Case {
        int32_t frames, k;
        DissolveStep step;
    };
    const Case theCases[] = {
        {25, 0, {cEngineOut, 13, 0}}, {25, 13, {cEngineOut, 13, 13}}, {25, 14, {cEngineIn, 12, 1}},
        {25, 25, {cEngineIn, 12, 12}}, {2, 1, {cEngineOut, 1, 1}},     {2, 2, {cEngineIn, 1, 1}},
        {1, 1, {cEngineOut, 1, 1}},
    };
    for (const Case& theCase : theCases) {
        const DissolveStep theStep = FindDissolveStep(true, theCase.frames, float(theCase.k) / float(theCase.frames));
        EXPECT_EQ(theStep.which, theCase.step.which) << theCase.k << " of " << theCase.frames;
        EXPECT_EQ(theStep.frames, theCase.step.frames) << theCase.k << " of " << theCase.frames;
        EXPECT_EQ(theStep.frame, theCase.step.frame) << theCase.k << " of " << theCase.frames;
    }
    // A time OBS never gives stays within the transition.
    EXPECT_EQ(FindDissolveStep(false, 25, -1.0f).frame, 0);
    EXPECT_EQ(FindDissolveStep(false, 25, 7.0f).frame, 25);
    EXPECT_EQ(FindDissolveStep(false, 25, __builtin_nanf("")).frame, 0);
}

} // namespace
