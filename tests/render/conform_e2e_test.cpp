// A Cross into a clip of another frame rate, size, sample rate and channel layout, rendered by
// the real program and measured in the file it wrote.
#include "programrun.h"
#include "soundmeasure.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

TEST(ConformedRender, A50FpsClipAfterA25FpsClipKeepsItsLengthAndPitch)
{
    videotest::TemporaryFolder theFolder;
    const std::string theA = theFolder.PathOf("a25.mkv"), theB = theFolder.PathOf("b50.mkv");
    const std::string theOutput = theFolder.PathOf("cross.mkv");
    // 4 s each: A 25 fps 64x48 with a 440 Hz tone at 48 kHz stereo; B 50 fps 96x72, 660 Hz at
    // 44.1 kHz mono.
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=s=64x48:r=25:d=4 -f lavfi -i "
                         "'aevalsrc=0.5*sin(2*PI*440*t):s=48000:c=stereo:d=4' -c:v ffv1 -c:a flac '" + theA + "'"),
              0);
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i smptebars=s=96x72:r=50:d=4 -f lavfi -i "
                         "'aevalsrc=0.5*sin(2*PI*660*t):s=44100:c=mono:d=4' -c:v ffv1 -c:a flac '" + theB + "'"),
              0);
    std::string theErrors;
    ASSERT_EQ(RunGlintweave("render --transition cross '" + theA + "' '" + theB + "' -o '" + theOutput + "'", nullptr,
                            &theErrors),
              0)
        << theErrors;

    // 100 frames of A and 4 s of B at 25 fps overlap by the 66 frames of the transition.
    EXPECT_EQ(FfprobeFrameCount(theOutput), 134);
    std::string theStream;
    RunCommand("ffprobe -v error -select_streams v:0 -show_entries stream=width,height,r_frame_rate -of csv=p=0 '" +
                   theOutput + "'",
               &theStream);
    EXPECT_EQ(theStream, "64,48,25/1\n");
    // After the transition (from 4 s) only B sounds, at its own pitch, to the end of the picture.
    const std::vector<float> theSound = FfmpegSound(theOutput);
    EXPECT_NEAR(ToneHertz(theSound, 4.1 * 48000, 1.2 * 48000), 660.0, 1.0);
    EXPECT_NEAR(theSound.size() / 48000.0, 5.36, 0.03);
}

} // namespace
