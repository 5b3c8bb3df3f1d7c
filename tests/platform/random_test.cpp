#include "QuickDraw.h"

#include <gtest/gtest.h>

TEST(Random, MinimalStandardSequenceFromSeedOne)
{
    SetQDGlobalsRandomSeed(1);
    const SInt16 theExpected[] = {16807, 15089, -21287, 3114, -18558};
    for (SInt16 theValue : theExpected) EXPECT_EQ(Random(), theValue);
}
