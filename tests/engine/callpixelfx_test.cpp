#include "callpixelfx.h"

#include "pixeleffect.h"
#include "testbuffers.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(DoPixelEffect, MapsTheRegionAndShowsTheIncomingClipOutsideIt)
{
    pluginDataRec theConfig{};
    ResetConfig(&theConfig, true);
    theConfig.which = 3;
    theConfig.startRel = relRect{0.25, 0.75, 0.0, 1.0};
    InitPixelEffect(&theConfig, 30, 720, 480);
    GWorldOwner theDest = MakeGWorld(720, 480), theSource = MakeGWorld(720, 480);
    for (SInt32 theFrame : {0, 29}) {
        FillColor(theDest.get(), 0xFF000000);
        FillColor(theSource.get(), 0xFFFFFFFF);
        DoPixelEffect(theSource.get(), theDest.get(), &theConfig, theFrame, 30);
        for (int r : {0, 479}) {
            EXPECT_EQ(ReadARGB(theDest.get(), r, 0), 0xFFFFFFFFu);
            EXPECT_EQ(ReadARGB(theDest.get(), r, 179), 0xFFFFFFFFu);
            EXPECT_EQ(ReadARGB(theDest.get(), r, 540), 0xFFFFFFFFu);
            EXPECT_EQ(ReadARGB(theDest.get(), r, 719), 0xFFFFFFFFu);
        }
        long theSwitched = 0;
        for (int r = 0; r < 480; ++r)
            for (int c = 180; c < 540; ++c) theSwitched += ReadARGB(theDest.get(), r, c) == 0xFFFFFFFFu;
        if (theFrame == 0) {
            EXPECT_LT(theSwitched, 360 * 480 / 20); // about one in thirty
        } else {
            EXPECT_GT(theSwitched, 360 * 480 * 9 / 10);
        }
    }
    ShutdownPixelEffect(&theConfig);
}
