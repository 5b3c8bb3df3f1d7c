#include "programrun.h"

#include <gtest/gtest.h>

using namespace rendertest;

// A Cross starts on clip A as FFmpeg's own tools show it, whether the clip says how to read its
// colours or not, and the movie says how to read its own: decoded again it gives the same colours.
TEST(RenderColour, CrossStartsOnClipAAsFfmpegDecodesIt)
{
    videotest::TemporaryFolder theFolder;
    const std::string theClipB = theFolder.PathOf("b.mp4");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i smptehdbars=size=1280x720:rate=25:duration=0.6 -c:v libx264 "
                         "-pix_fmt yuv420p '" + theClipB + "'"),
              0);
    struct Case {
        const char* name;
        const char* tags; // how the clip is made and labelled
    };
    for (const Case& theCase :
         {Case{"untagged", ""}, Case{"tagged", "-vf scale=out_color_matrix=bt709 -colorspace bt709 "
                                                "-color_primaries bt709 -color_trc bt709 -color_range tv"}}) {
        SCOPED_TRACE(theCase.name);
        const std::string theClipA = theFolder.PathOf(std::string(theCase.name) + ".mp4");
        ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=1280x720:rate=25:duration=0.6 " +
                             std::string(theCase.tags) + " -c:v libx264 -pix_fmt yuv420p '" + theClipA + "'"),
                  0);
        const std::vector<uint8_t> theSeen = FfmpegFrame(theClipA, 0);
        // Lossless, the colours alone; H.264, through the movie's own tags.
        for (const char* theKind : {".mkv", ".mp4"}) {
            SCOPED_TRACE(theKind);
            const std::string theMovie = theFolder.PathOf(std::string("cross-") + theCase.name + theKind);
            std::string theErrors;
            ASSERT_EQ(RunGlintweave("render --transition cross --speed 0 '" + theClipA + "' '" + theClipB + "' -o '" +
                                        theMovie + "'",
                                    nullptr, &theErrors),
                      0)
                << theErrors;
            const Difference theDifference = DifferenceOf(FfmpegFrame(theMovie, 0), theSeen);
            if (std::string(theKind) == ".mkv") {
                EXPECT_LE(theDifference.mean, 1.0);
                EXPECT_LE(theDifference.percentile99, 2);
            } else {
                EXPECT_LE(theDifference.mean, 1.5); // the encoder's own loss at sharp edges
            }
        }
    }
}
