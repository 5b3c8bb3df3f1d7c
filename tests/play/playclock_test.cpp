#include "PlayClock.h"

#include <gtest/gtest.h>

namespace {

struct DueCase {
    video::FrameRate rate;
    SInt64 frame;
    SInt64 nanoseconds;
};

// Each time comes from the frame's number: adding 33366666 ns a frame would be 72 us off
// after an hour at 30000/1001, and a product of frame, denominator and 10^9 overflows 64 bits.
TEST(PlayClock, FrameStartsAtExactTimesWithoutDrift)
{
    const DueCase theCases[] = {
        {{30000, 1001}, 0, 0},
        {{30000, 1001}, 1, 33366666},
        {{30000, 1001}, 30, 1001000000},
        {{30000, 1001}, 108000, 3603600000000},
        {{30000, 1001}, 1000000000, 33366666666666666},
        {{24000, 1001}, 1, 41708333},
        {{25, 1}, 25, 1000000000},
        {{60, 1}, 7, 116666666},
    };
    for (const DueCase& theCase : theCases)
        EXPECT_EQ(play::FrameStartNanoseconds(theCase.frame, theCase.rate), theCase.nanoseconds)
            << theCase.rate.num << "/" << theCase.rate.den << " frame " << theCase.frame;
}

TEST(PlayClock, SamplesInNanoseconds)
{
    EXPECT_EQ(play::SamplesToNanoseconds(48000), 1000000000);
    EXPECT_EQ(play::SamplesToNanoseconds(1601), 33354166);
    EXPECT_EQ(play::SamplesToNanoseconds(SInt64(48000) * 86400 * 365), SInt64(86400) * 365 * 1000000000);
}

} // namespace
