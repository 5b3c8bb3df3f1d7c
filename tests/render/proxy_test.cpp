#include "programrun.h"

#include <gtest/gtest.h>

using namespace rendertest;

// A proxy is the same movie at half the size each way (its speed is measured in bench/).
TEST(RenderProxy, HalfTheSizeEachWayAndEveryFrame)
{
    videotest::TemporaryFolder theFolder;
    const std::string theClip = theFolder.PathOf("a.mp4");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -c:v libx264 "
                         "-pix_fmt yuv420p '" + theClip + "'"),
              0);
    struct Case {
        const char* size; // --size, or none
        const char* expected;
    };
    for (const Case& theCase : {Case{"", "160x120"}, Case{"--size 200x100", "100x50"}}) {
        SCOPED_TRACE(theCase.size);
        const std::string theMovie = theFolder.PathOf("proxy.mkv");
        std::string theErrors, theSize;
        ASSERT_EQ(RunGlintweave("render --transition in --speed 0 --proxy " + std::string(theCase.size) + " '" + theClip +
                                    "' -o '" + theMovie + "'",
                                nullptr, &theErrors),
                  0)
            << theErrors;
        ASSERT_EQ(RunCommand("ffprobe -v error -show_entries stream=width,height -of csv=s=x:p=0 '" + theMovie + "'",
                             &theSize),
                  0);
        EXPECT_EQ(theSize, std::string(theCase.expected) + "\n");
        EXPECT_EQ(FfprobeFrameCount(theMovie), 25);
        std::remove(theMovie.c_str());
    }
}
