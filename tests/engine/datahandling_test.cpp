#include "DataHandling.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ResetConfig, SetsTheDefaultsAndLeavesTheRest)
{
    pluginDataRec theConfig;
    std::memset(&theConfig, 0, sizeof theConfig);
    ResetConfig(&theConfig, true);
    EXPECT_EQ(theConfig.startRel.left, 0.0);
    EXPECT_EQ(theConfig.startRel.right, 1.0);
    EXPECT_EQ(theConfig.endRel.bottom, 1.0);
    EXPECT_EQ(theConfig.colors[1].blue, 65535);
    EXPECT_EQ(theConfig.colors[1].red, 0);
    EXPECT_EQ(theConfig.colors[2].green, 65535);
    EXPECT_EQ(theConfig.colors[6].red, 0);
    EXPECT_EQ(theConfig.sliders[1], 17);
    EXPECT_EQ(theConfig.sliders[6], 0);
    EXPECT_EQ(theConfig.frameStartColor.red, 65535);
    EXPECT_EQ(theConfig.frameEndColor.red, 0);
    EXPECT_EQ(theConfig.mediaType, 1);
    EXPECT_EQ(theConfig.which, 0);
    EXPECT_FALSE(theConfig.keepProps);
    EXPECT_EQ(theConfig.method, 1);

    // Without the full initialisation the references and the untouched fields stay.
    CGImageRef theImage = reinterpret_cast<CGImageRef>(&theConfig);
    theConfig.theRendered = theImage;
    theConfig.theOriginalImage = theImage;
    theConfig.theMask = reinterpret_cast<GWorldPtr>(&theConfig);
    theConfig.which = 3;
    theConfig.frameEndColor = RGBColor{1, 2, 3};
    theConfig.colors[4] = RGBColor{9, 9, 9};
    ResetConfig(&theConfig, false);
    EXPECT_EQ(theConfig.theRendered, theImage);
    EXPECT_EQ(theConfig.theOriginalImage, theImage);
    EXPECT_EQ(theConfig.theMask, reinterpret_cast<GWorldPtr>(&theConfig));
    EXPECT_EQ(theConfig.which, 3);
    EXPECT_EQ(theConfig.frameEndColor.blue, 3);
    EXPECT_EQ(theConfig.colors[4].red, 0);
    ResetConfig(&theConfig, true);
    EXPECT_EQ(theConfig.theRendered, nullptr);
    EXPECT_EQ(theConfig.theOriginalImage, nullptr);
}

TEST(PluginDataRec, FieldsSitWhereTheBlockCopyExpects)
{
    EXPECT_EQ(offsetof(pluginDataRec, startRel), 0u);
    EXPECT_EQ(offsetof(pluginDataRec, endRel), 32u);
    EXPECT_EQ(offsetof(pluginDataRec, sliders), 64u);
    EXPECT_EQ(offsetof(pluginDataRec, colors), 76u);
    EXPECT_EQ(offsetof(pluginDataRec, frameStartColor), 112u);
    EXPECT_EQ(offsetof(pluginDataRec, mediaType), 124u);
    EXPECT_EQ(offsetof(pluginDataRec, which), 126u);
    EXPECT_EQ(offsetof(pluginDataRec, theOriginalImage), 128u);
    if (sizeof(void*) == 4) {
        EXPECT_EQ(offsetof(pluginDataRec, keepProps), 136u);
        EXPECT_EQ(offsetof(pluginDataRec, method), 138u);
        EXPECT_EQ(offsetof(pluginDataRec, theMask), 140u);
        EXPECT_EQ(sizeof(pluginDataRec), 144u);
    }
}
