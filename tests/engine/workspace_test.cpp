#include "PluginWorkspace.h"

#include <gtest/gtest.h>

TEST(PluginWorkspace, CurrentRelIsTheConfigurationsStartRel)
{
    pluginDataRec theConfig{};
    ResetConfig(&theConfig, true);
    gConfigWorkspace.theConfig = &theConfig;
    PutCurrentRel(relRect{0.125, 0.5, -0.25, 1.75});
    const relRect theRel = GetCurrentRel();
    EXPECT_EQ(theRel.left, 0.125);
    EXPECT_EQ(theRel.right, 0.5);
    EXPECT_EQ(theRel.top, -0.25);
    EXPECT_EQ(theRel.bottom, 1.75);
    EXPECT_EQ(theConfig.startRel.bottom, 1.75);
    EXPECT_EQ(theConfig.endRel.left, 0.0);
    EXPECT_EQ(theConfig.endRel.bottom, 1.0) << "the second region is never edited";
    gConfigWorkspace.theConfig = nullptr;
}
