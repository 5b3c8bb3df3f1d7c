#include "programrun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace rendertest;

namespace {

std::string FileBytes(const std::string& thePath)
{
    std::ifstream theStream(thePath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(theStream), {});
}

std::string Probe(const std::string& thePath, const std::string& theStream, const std::string& theEntries)
{
    std::string thePrinted;
    EXPECT_EQ(RunCommand("ffprobe -v error -select_streams " + theStream + " -show_entries stream=" + theEntries +
                         " -of csv=p=0 '" + thePath + "'",
                         &thePrinted),
              0);
    return thePrinted;
}

} // namespace

TEST(RenderOutputs, MovIsProResWithPcmAndMp4TakesCrfAndPreset)
{
    videotest::TemporaryFolder theFolder;
    const std::string theClip = theFolder.PathOf("a.mp4");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -f lavfi -i "
                         "sine=frequency=440:sample_rate=48000:duration=1 -ac 2 -c:v libx264 -pix_fmt yuv420p -c:a aac '" +
                         theClip + "'"),
              0);
    const std::string theMov = theFolder.PathOf("in.mov");
    std::string theErrors;
    ASSERT_EQ(RunGlintweave("render --transition in --speed 0 '" + theClip + "' -o '" + theMov + "'", nullptr, &theErrors), 0)
        << theErrors;
    EXPECT_EQ(Probe(theMov, "v:0", "codec_name,profile,width,height"), "prores,HQ,320,240\n");
    EXPECT_EQ(Probe(theMov, "a:0", "codec_name,sample_rate,channels"), "pcm_s24le,48000,2\n");
    EXPECT_EQ(FfprobeFrameCount(theMov), 25);

    const std::string theMp4 = theFolder.PathOf("in.mp4");
    ASSERT_EQ(RunGlintweave("render --transition in --speed 0 --crf 30 --preset fast '" + theClip + "' -o '" + theMp4 + "'",
                            nullptr, &theErrors),
              0)
        << theErrors;
    // x264 writes its settings into the stream.
    const std::string theBytes = FileBytes(theMp4);
    EXPECT_NE(theBytes.find("crf=30.0"), std::string::npos);
    EXPECT_NE(theBytes.find(" subme=6 "), std::string::npos); // the fast preset's
    EXPECT_NE(RunGlintweave("render --transition in --crf 30 '" + theClip + "' -o '" + theFolder.PathOf("in.mkv") + "'",
                            nullptr, &theErrors),
              0);
    EXPECT_NE(theErrors.find(".mp4"), std::string::npos) << theErrors;
}

// An existing movie stays as it was unless -y is given; a picture sequence counts by its first picture.
TEST(RenderOutputs, AnExistingOutputIsReplacedOnlyWithY)
{
    videotest::TemporaryFolder theFolder;
    const std::string theClip = theFolder.PathOf("a.mp4");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=64x48:rate=25:duration=0.6 -c:v libx264 "
                         "-pix_fmt yuv420p '" + theClip + "'"),
              0);
    // The movie's name and where its first picture goes.
    for (const auto& [theName, theFirst] : {std::pair{"out.mp4", "out.mp4"}, std::pair{"shot_%03d.png", "shot_000.png"},
                                            std::pair{"y.png", "y_00000.png"}}) {
        SCOPED_TRACE(theName);
        const std::string theExisting = theFolder.PathOf(theFirst);
        {
            std::ofstream theStream(theExisting, std::ios::binary);
            theStream << "an earlier movie";
        }
        const std::string theRender = "render --transition out --speed 0 '" + theClip + "' -o '" + theFolder.PathOf(theName) + "'";
        std::string theErrors;
        EXPECT_EQ(RunGlintweave(theRender, nullptr, &theErrors), 1);
        EXPECT_EQ(theErrors, "glintweave render: '" + theExisting + "' exists; give -y to replace it\n");
        EXPECT_EQ(FileBytes(theExisting), "an earlier movie");
        std::string thePrinted;
        ASSERT_EQ(RunGlintweave(theRender + " -y", &thePrinted, &theErrors), 0) << theErrors;
        EXPECT_EQ(thePrinted, theExisting + "\n");
        EXPECT_EQ(FfprobeFrameCount(theExisting), std::string(theName) == "out.mp4" ? 16 : 1);
    }
}
