#include "programrun.h"

#include <gtest/gtest.h>

using namespace rendertest;

// An Out movie ends on the fill colour alone (the default, blue), one frame after clip A's last.
TEST(RenderEndState, OutEndsOnTheFillColourAlone)
{
    videotest::TemporaryFolder theFolder;
    const std::string theClip = theFolder.PathOf("a.mp4"), theMovie = theFolder.PathOf("out.mp4");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -c:v libx264 "
                         "-pix_fmt yuv420p '" + theClip + "'"),
              0);
    std::string theErrors;
    ASSERT_EQ(RunGlintweave("render --transition out --speed 0 '" + theClip + "' -o '" + theMovie + "'", nullptr,
                            &theErrors),
              0)
        << theErrors;
    ASSERT_EQ(FfprobeFrameCount(theMovie), 26);
    const std::vector<uint8_t> theLast = FfmpegFrame(theMovie, 25);
    ASSERT_EQ(theLast.size(), size_t(320 * 240 * 3));
    std::vector<uint8_t> theBlue(theLast.size(), 0);
    for (size_t i = 2; i < theBlue.size(); i += 3) theBlue[i] = 255;
    const Difference theDifference = DifferenceOf(theLast, theBlue);
    EXPECT_LE(theDifference.percentile99, 2);
    EXPECT_LE(theDifference.mean, 1.0);
    // The frame before still shows some of the clip.
    EXPECT_GT(DifferenceOf(FfmpegFrame(theMovie, 24), theBlue).mean, 5.0);
}
