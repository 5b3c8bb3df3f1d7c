// The sound of rendered movies, measured in the files the real program wrote.
#include "programrun.h"
#include "soundmeasure.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

// A 25 fps 64x48 clip of theSeconds with a steady tone; whole cycles per frame at multiples of 25 Hz.
std::string MakeToneClip(const videotest::TemporaryFolder& theFolder, const std::string& theName, int theHertz,
                         double theAmplitude, int theSeconds)
{
    const std::string thePath = theFolder.PathOf(theName);
    const std::string theLength = std::to_string(theSeconds);
    EXPECT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=s=64x48:r=25:d=" + theLength + " -f lavfi -i 'aevalsrc=" +
                         std::to_string(theAmplitude) + "*sin(2*PI*" + std::to_string(theHertz) +
                         "*t):s=48000:c=stereo:d=" + theLength + "' -c:v ffv1 -c:a flac -shortest '" + thePath + "'"),
              0);
    return thePath;
}

std::string Render(const std::string& theArguments, const std::string& theOutput)
{
    std::string theErrors;
    EXPECT_EQ(RunGlintweave("render " + theArguments + " -o '" + theOutput + "'", nullptr, &theErrors), 0) << theErrors;
    return theOutput;
}

TEST(RenderedSound, TwoLoudClipsCrossWithoutAClippedSample)
{
    // Two 4 s tones of amplitude 0.95 crossed at the default speed, in both kinds of movie.
    videotest::TemporaryFolder theFolder;
    const std::string theA = MakeToneClip(theFolder, "a.mkv", 450, 0.95, 4);
    const std::string theB = MakeToneClip(theFolder, "b.mkv", 650, 0.95, 4);
    for (const char* theKind : {"mkv", "mp4"}) {
        SCOPED_TRACE(theKind);
        const std::vector<short> theSamples = FfmpegSamples(
            Render("--transition cross '" + theA + "' '" + theB + "'", theFolder.PathOf(std::string("cross.") + theKind)));
        ASSERT_GT(theSamples.size(), size_t(5 * 48000 * 2));
        EXPECT_EQ(ClippedSamples(theSamples), 0);
    }
}

} // namespace
