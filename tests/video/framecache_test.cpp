#include "framecache.h"

#include <gtest/gtest.h>

using video::ArgbPixels;
using video::FrameCache;

namespace {

constexpr int cWidth = 16, cHeight = 10;
constexpr SInt64 cPictureBytes = 64 * cHeight; // rows padded to 64 bytes

} // namespace

TEST(FrameCache, AFullCacheLendsTheOldestPictureOfTheSameSize)
{
    FrameCache theCache;
    theCache.SetLimits(12, 2 * cPictureBytes);
    const ArgbPixels* theFirst = theCache.Store(1, cWidth, cHeight);
    ASSERT_TRUE(theFirst);
    uint8_t* theFirstMemory = theFirst->base;
    ASSERT_TRUE(theCache.Store(2, cWidth, cHeight));
    ASSERT_TRUE(theCache.Find(1, cWidth, cHeight)); // 1 is now the more recently used
    const ArgbPixels* theThird = theCache.Store(3, cWidth, cHeight);
    ASSERT_TRUE(theThird);
    EXPECT_NE(theThird->base, theFirstMemory);
    EXPECT_FALSE(theCache.Find(2, cWidth, cHeight));
    const ArgbPixels* theFourth = theCache.Store(4, cWidth, cHeight);
    ASSERT_TRUE(theFourth);
    // (AddressSanitizer never hands out a freed block again at once: there this shows that
    // nothing was freed and allocated anew.)
    EXPECT_EQ(theFourth->base, theFirstMemory) << "a full cache allocates nothing for a picture of the same size";
    EXPECT_FALSE(theCache.Find(1, cWidth, cHeight));
    EXPECT_TRUE(theCache.Find(3, cWidth, cHeight));

    // Another size takes the place of the oldest pictures.
    ASSERT_TRUE(theCache.Store(5, 2 * cWidth, cHeight));
    EXPECT_FALSE(theCache.Find(3, cWidth, cHeight));
    EXPECT_FALSE(theCache.Find(4, cWidth, cHeight));
    EXPECT_TRUE(theCache.Find(5, 2 * cWidth, cHeight));
}

TEST(FrameCache, KeepsOnePictureWhateverItsSizeAndNoneWithoutFrames)
{
    FrameCache theCache;
    theCache.SetLimits(3, 1);
    EXPECT_TRUE(theCache.Keeps());
    ASSERT_TRUE(theCache.Store(1, cWidth, cHeight));
    ASSERT_TRUE(theCache.Store(2, 2 * cWidth, cHeight));
    EXPECT_FALSE(theCache.Find(1, cWidth, cHeight));
    EXPECT_TRUE(theCache.Find(2, 2 * cWidth, cHeight));

    theCache.SetLimits(0, 1 << 30);
    EXPECT_FALSE(theCache.Keeps());
    EXPECT_FALSE(theCache.Find(2, 2 * cWidth, cHeight));
    EXPECT_FALSE(theCache.Store(3, cWidth, cHeight));
}
