#include "programrun.h"

#include <gtest/gtest.h>

using namespace rendertest;

// A Cross starts on clip A as players show it, whether the clip says how to read its colours or
// not (untagged, a player reads HD as BT.709 and smaller pictures as BT.601), and the movie says
// how to read its own: decoded again it gives the same colours. An untagged clip keeps its
// pixels as they are, so its untouched pictures need no conversion.
TEST(RenderColour, CrossStartsOnClipAAsPlayersShowIt)
{
    videotest::TemporaryFolder theFolder;
    struct Case {
        const char* name;
        const char* size;
        const char* tags;   // how the clip is made and labelled
        const char* player; // how a player reads it, given to FFmpeg, which reads untagged as BT.601
    };
    for (const Case& theCase :
         {Case{"untagged-hd", "1280x720", "", "setparams=colorspace=bt709,"},
          Case{"tagged-hd", "1280x720",
               "-vf scale=out_color_matrix=bt709 -colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv", ""},
          Case{"untagged-sd", "640x360", "", ""}}) {
        SCOPED_TRACE(theCase.name);
        const std::string theClipA = theFolder.PathOf(std::string(theCase.name) + ".mp4"),
                          theClipB = theFolder.PathOf(std::string(theCase.name) + "-b.mp4");
        ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=" + std::string(theCase.size) +
                             ":rate=25:duration=0.6 " + theCase.tags + " -c:v libx264 -pix_fmt yuv420p '" + theClipA + "'"),
                  0);
        ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i smptehdbars=size=" + std::string(theCase.size) +
                             ":rate=25:duration=0.6 " + theCase.tags + " -c:v libx264 -pix_fmt yuv420p '" + theClipB + "'"),
                  0);
        const std::vector<uint8_t> theSeen = FfmpegFrame(theClipA, 0, theCase.player);
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
                EXPECT_EQ(theErrors.find("note:"), std::string::npos) << theErrors;
            }
        }
    }
}
