// Clips conformed to another frame rate: each frame shows the picture presented at its time.
#include "videotestsupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace videotest;

namespace {

// A 50 fps source of 40 distinct pictures (0.8 s) and files holding some of its pictures at
// their own times, all lossless, so a picture can be told by its pixels.
std::string MakeFromSource(const TemporaryFolder& theFolder, const std::string& theName, const std::string& theOptions)
{
    const std::string theSource = theFolder.PathOf("source50.mkv");
    std::string theCommand = "ffmpeg -v error -nostdin -y ";
    if (theName == "source50.mkv") theCommand += "-f lavfi -i testsrc2=s=64x48:r=50:d=0.8 -c:v ffv1 '" + theSource + "'";
    else theCommand += "-i '" + theSource + "' " + theOptions + " -c:v ffv1 '" + theFolder.PathOf(theName) + "'";
    EXPECT_EQ(std::system(theCommand.c_str()), 0) << theCommand;
    return theFolder.PathOf(theName);
}

struct ConformCase {
    const char* name;
    const char* options;                       // made from the 50 fps source by these
    std::function<bool(SInt32)> holdsPicture;  // which of the source's pictures the file keeps
    video::FrameRate rate;                     // conformed to
    SInt32 frames;                             // at that rate
};

TEST(ConformedClip, EachFrameShowsThePicturePresentedAtItsTime)
{
    TemporaryFolder theFolder;
    MakeFromSource(theFolder, "source50.mkv", "");
    std::unique_ptr<video::FrameSource> theSource = OpenClip(theFolder.PathOf("source50.mkv"));
    ASSERT_TRUE(theSource);
    ASSERT_EQ(theSource->Info().frameCount, 40);

    const auto theAll = [](SInt32) { return true; };
    const auto theEven = [](SInt32 n) { return n % 2 == 0; };
    const auto theTwoInFive = [](SInt32 n) { return n % 5 < 2; }; // pictures at 0, 20, 100, 120, 200 ms...
    for (const ConformCase& theCase : {ConformCase{"source50.mkv", "", theAll, {25, 1}, 20},
                                       ConformCase{"source50.mkv", "", theAll, {30000, 1001}, 24},
                                       ConformCase{"half25.mkv", "-vf \"select='not(mod(n,2))'\" -r 25", theEven, {50, 1}, 40},
                                       ConformCase{"variable.mkv", "-vf \"select='lt(mod(n,5),2)'\" -fps_mode vfr",
                                                   theTwoInFive, {25, 1}, 19}}) {
        SCOPED_TRACE(std::string(theCase.name) + " at " + std::to_string(theCase.rate.num) + "/" +
                     std::to_string(theCase.rate.den));
        const std::string thePath = theCase.options[0] ? MakeFromSource(theFolder, theCase.name, theCase.options)
                                                       : theFolder.PathOf(theCase.name);
        std::string theError;
        std::unique_ptr<video::FrameSource> theClip = video::FrameSource::Open(thePath, theCase.rate, theError);
        ASSERT_TRUE(theClip) << theError;
        EXPECT_EQ(theClip->Info().rate.num, theCase.rate.num);
        EXPECT_EQ(theClip->Info().rate.den, theCase.rate.den);
        EXPECT_EQ(theClip->Info().frameCount, theCase.frames);
        // Backwards too: the numbering must not depend on the order of access.
        for (bool theBackwards : {false, true}) {
            for (SInt32 i = 0; i < theClip->Info().frameCount; ++i) {
                const SInt32 k = theBackwards ? theClip->Info().frameCount - 1 - i : i;
                // Frame k plays at k / rate: the latest picture of the file at or before it.
                SInt32 thePicture = SInt32(SInt64(k) * 50 * theCase.rate.den / theCase.rate.num);
                while (!theCase.holdsPicture(thePicture)) --thePicture;
                ASSERT_EQ(FramePixels(*theClip, k), FramePixels(*theSource, thePicture)) << "frame " << k;
            }
        }
    }
}

TEST(ConformedClip, SoundKeepsItsTimeAndPitch)
{
    // A 50 fps clip with a 660 Hz tone, conformed to 25 fps: a frame holds 1/25 s of the tone.
    TemporaryFolder theFolder;
    video::SyntheticClip theClip = SmallClip();
    theClip.rate = {50, 1};
    theClip.frameCount = 50;
    theClip.toneHertz = 660;
    const std::string thePath = MakeClip(theFolder, "tone50.mkv", theClip);
    std::string theError;
    std::unique_ptr<video::FrameSource> theOwn = OpenClip(thePath);
    std::unique_ptr<video::FrameSource> theConformed = video::FrameSource::Open(thePath, video::FrameRate{25, 1}, theError);
    ASSERT_TRUE(theOwn && theConformed) << theError;
    ASSERT_EQ(theConformed->Info().frameCount, 25);
    video::AudioBlock theFrame, theFirstHalf, theSecondHalf;
    for (SInt32 k : {0, 7, 24}) {
        ASSERT_TRUE(theConformed->GetFrameAudio(k, theFrame, theError)) << theError;
        ASSERT_TRUE(theOwn->GetFrameAudio(2 * k, theFirstHalf, theError)) << theError;
        ASSERT_TRUE(theOwn->GetFrameAudio(2 * k + 1, theSecondHalf, theError)) << theError;
        ASSERT_EQ(theFrame.Length(), 1920);
        std::vector<float> theExpected = theFirstHalf.samples;
        theExpected.insert(theExpected.end(), theSecondHalf.samples.begin(), theSecondHalf.samples.end());
        EXPECT_EQ(theFrame.samples, theExpected) << "frame " << k;
    }
}

} // namespace
