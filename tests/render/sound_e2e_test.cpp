// The sound of rendered movies, measured in the files the real program wrote: each transition's
// levels, and loud clips crossed without a clipped sample.
#include "programrun.h"
#include "soundmeasure.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rendertest;

namespace {

constexpr size_t cFrameSamples = 1920; // 48 kHz at 25 fps

// The plug-in's level for a share of full volume, 256 x theShare truncated, as a gain.
double Level(double theShare)
{
    return std::trunc(256.0 * theShare) / 256.0;
}

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

TEST(RenderedSound, InRisesWithThePictureAndOutFalls)
{
    // A 2 s clip (50 frames) with a 450 Hz tone of amplitude 0.5; at speed 0 the
    // transition is 10 frames: the first ten for In, the last ten for Out.
    videotest::TemporaryFolder theFolder;
    const std::string theClip = MakeToneClip(theFolder, "a.mkv", 450, 0.5, 2);
    struct LevelCase {
        const char* which;
        size_t firstFrame; // of the transition
        double firstLevel; // in its first frame: 0.1 of full for In, 0.9 for Out
        double lastLevel;  // in its last: full for In, silence for Out
    };
    for (const LevelCase& theCase : {LevelCase{"in", 0, Level(0.1), 1.0}, LevelCase{"out", 40, Level(0.9), 0.0}}) {
        SCOPED_TRACE(theCase.which);
        const std::vector<float> theSound =
            FfmpegSound(Render("--transition " + std::string(theCase.which) + " --speed 0 '" + theClip + "'",
                               theFolder.PathOf(std::string(theCase.which) + ".mkv")));
        const double theFullRms = 0.5 / std::sqrt(2.0);
        EXPECT_NEAR(RootMeanSquare(theSound, theCase.firstFrame * cFrameSamples, cFrameSamples),
                    theCase.firstLevel * theFullRms, 0.001);
        EXPECT_NEAR(RootMeanSquare(theSound, (theCase.firstFrame + 9) * cFrameSamples, cFrameSamples),
                    theCase.lastLevel * theFullRms, 0.001);
    }
}

TEST(RenderedSound, CrossLevelsAddUpSoClipBComesInWithoutAJump)
{
    // A at 450 Hz, B at 650 Hz, both amplitude 0.5, 2 s each; the 10-frame Cross is output frames 40 to 49.
    videotest::TemporaryFolder theFolder;
    const std::string theA = MakeToneClip(theFolder, "a.mkv", 450, 0.5, 2);
    const std::string theB = MakeToneClip(theFolder, "b.mkv", 650, 0.5, 2);
    const std::vector<float> theSound = FfmpegSound(
        Render("--transition cross --speed 0 '" + theA + "' '" + theB + "'", theFolder.PathOf("cross.mkv")));
    for (size_t i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const size_t theFirst = (40 + i) * cFrameSamples;
        const double theProgress = double(i + 1) / 10;
        const double theLevelA = ToneAmplitude(theSound, theFirst, cFrameSamples, 450);
        const double theLevelB = ToneAmplitude(theSound, theFirst, cFrameSamples, 650);
        EXPECT_NEAR(theLevelA, 0.5 * Level(1 - theProgress), 0.001);
        EXPECT_NEAR(theLevelB, 0.5 * Level(theProgress), 0.001);
        EXPECT_NEAR(theLevelA + theLevelB, 0.5, 0.003); // the levels' truncations lose at most 2/256
    }
    // Just before, A alone at full level; just after, B alone.
    EXPECT_NEAR(ToneAmplitude(theSound, 39 * cFrameSamples, cFrameSamples, 450), 0.5, 0.005);
    EXPECT_NEAR(ToneAmplitude(theSound, 39 * cFrameSamples, cFrameSamples, 650), 0.0, 0.005);
    EXPECT_NEAR(ToneAmplitude(theSound, 50 * cFrameSamples, cFrameSamples, 650), 0.5, 0.005);
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
