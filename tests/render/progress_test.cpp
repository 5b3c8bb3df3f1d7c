#include "pluginfixture.h"
#include "programrun.h"

#include <gtest/gtest.h>

using namespace rendertest;

// On a terminal the bar counts frames, frames a second and the time left; elsewhere it stays away.
TEST(RenderProgress, DrawnOnATerminalOnly)
{
    testing_support::PreferencesFolder(); // the user's settings stay out of it
    videotest::TemporaryFolder theFolder;
    const std::string theClip = theFolder.PathOf("a.mp4");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=64x48:rate=25:duration=1 -c:v libx264 "
                         "-pix_fmt yuv420p '" + theClip + "'"),
              0);
    const std::string theRender = std::string(GLINT_PROGRAM_PATH) + " render -y --transition out --speed 0 '" + theClip +
                                  "' -o '" + theFolder.PathOf("out.mp4") + "'";
    std::string thePrinted, theErrors;
    // script gives the program a terminal of its own.
    ASSERT_EQ(RunCommand("script -qec \"" + theRender + "\" /dev/null", &thePrinted, &theErrors), 0) << theErrors;
    EXPECT_NE(thePrinted.find("26/26 frames, "), std::string::npos) << thePrinted;
    EXPECT_NE(thePrinted.find(" fps, 0:00 left"), std::string::npos) << thePrinted;

    ASSERT_EQ(RunGlintweave("render -y --transition out --speed 0 '" + theClip + "' -o '" + theFolder.PathOf("out.mp4") + "'",
                            &thePrinted, &theErrors),
              0);
    EXPECT_EQ(theErrors, "");
    EXPECT_EQ(thePrinted, theFolder.PathOf("out.mp4") + "\n");
}
