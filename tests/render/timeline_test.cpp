#include "MovieClips.h"
#include "programrun.h"
#include "soundmeasure.h"
#include "testbuffers.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

using namespace rendertest;

namespace {

constexpr int cWidth = 160, cHeight = 120;

std::array<int, 3> PixelAt(const std::vector<uint8_t>& thePicture, int theX, int theY)
{
    const size_t theAt = (size_t(theY) * cWidth + size_t(theX)) * 3;
    return {thePicture[theAt], thePicture[theAt + 1], thePicture[theAt + 2]};
}

bool IsNear(std::array<int, 3> theGot, std::array<int, 3> theWanted)
{
    for (int i = 0; i < 3; ++i)
        if (std::abs(theGot[i] - theWanted[i]) > 12) return false;
    return true;
}

// A copy of a JPEG that tells viewers to turn it a quarter clockwise, as a phone held upright
// writes it: orientation 6 in an EXIF block.
void WriteTurnedJpeg(const std::string& theFrom, const std::string& theTo)
{
    std::ifstream theInput(theFrom, std::ios::binary);
    const std::string theJpeg(std::istreambuf_iterator<char>(theInput), {});
    const std::string theExif("Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 32);
    const std::string theSegment = std::string("\xff\xe1\0", 3) + char(theExif.size() + 2) + theExif;
    std::ofstream(theTo, std::ios::binary) << theJpeg.substr(0, 2) << theSegment << theJpeg.substr(2);
}

constexpr std::array<int, 3> cBlack{0, 0, 0}, cRed{255, 0, 0}, cBlue{0, 0, 255}, cOrange{255, 128, 0};

// Two clips of 2 s at 25 frames a second with a tone each, and two stills of other shapes:
// a square JPEG and a tall PNG.
class TimelineTest : public testing::Test {
protected:
    videotest::TemporaryFolder folder;
    std::string clipA = folder.PathOf("a.mp4"), clipC = folder.PathOf("c.mp4");
    std::string photo = folder.PathOf("photo.jpg"), tall = folder.PathOf("tall.png");

    void SetUp() override
    {
        for (const auto& [thePattern, theTone, thePath] :
             {std::tuple{"testsrc2", 440, clipA}, std::tuple{"smptebars", 660, clipC}}) {
            ASSERT_EQ(RunCommand(std::string("ffmpeg -v error -f lavfi -i ") + thePattern +
                                 "=size=160x120:rate=25:duration=2 -f lavfi -i sine=frequency=" + std::to_string(theTone) +
                                 ":duration=2 -c:v libx264 -pix_fmt yuv420p -c:a aac '" + thePath + "'"),
                      0);
        }
        ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i color=c=red:size=120x120 -frames:v 1 '" + photo + "'"), 0);
        ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i color=c=blue:size=40x120 -frames:v 1 '" + tall + "'"), 0);
    }

    std::string Render(const std::string& theOptions)
    {
        std::string theErrors;
        const std::string theMovie = folder.PathOf("movie.mkv");
        EXPECT_EQ(RunGlintweave("render -y " + theOptions + " -o '" + theMovie + "'", nullptr, &theErrors), 0) << theErrors;
        return theMovie;
    }
};

} // namespace

// A, a Cross into the photo, the photo, a Cross into C, the rest of C: 50 + 25 + 50 frames less
// the two transitions' 10 each.
TEST_F(TimelineTest, ACrossAtEveryCutWithAStillInTheMiddle)
{
    const std::string theMovie =
        Render("--transition cross --frames 10 --still-duration 1 '" + clipA + "' '" + photo + "' '" + clipC + "'");
    EXPECT_EQ(FfprobeFrameCount(theMovie), 105);
    EXPECT_LE(DifferenceOf(FfmpegFrame(theMovie, 39), FfmpegFrame(clipA, 39)).mean, 1.0);
    EXPECT_LE(DifferenceOf(FfmpegFrame(theMovie, 65), FfmpegFrame(clipC, 10)).mean, 1.0);
    // Frames 50 to 54 show the photo alone: a square in the middle of the wider frame, black beside it.
    for (int theFrame : {50, 54}) {
        SCOPED_TRACE(theFrame);
        const std::vector<uint8_t> thePicture = FfmpegFrame(theMovie, theFrame);
        EXPECT_TRUE(IsNear(PixelAt(thePicture, 80, 60), cRed));
        EXPECT_TRUE(IsNear(PixelAt(thePicture, 21, 5), cRed));
        EXPECT_TRUE(IsNear(PixelAt(thePicture, 138, 114), cRed));
        EXPECT_TRUE(IsNear(PixelAt(thePicture, 18, 60), cBlack));
        EXPECT_TRUE(IsNear(PixelAt(thePicture, 141, 60), cBlack));
    }
    // The photo is silent; the clips around it are not.
    const std::vector<float> theSound = FfmpegSound(theMovie);
    ASSERT_GE(theSound.size(), size_t(4.2 * 48000));
    EXPECT_LT(RootMeanSquare(theSound, 2.0 * 48000, 0.2 * 48000), 0.001);
    EXPECT_NEAR(ToneHertz(theSound, 0, 48000), 440.0, 5.0);
    EXPECT_NEAR(ToneHertz(theSound, 3 * 48000, 48000), 660.0, 5.0);
}

// In opens the movie on the first clip and Out closes it on the last; the clips between are
// joined by plain cuts.
TEST_F(TimelineTest, InAndOutWithSeveralClipsJoinThemByCuts)
{
    struct Shown {
        int frame;
        std::string clip;   // the clip's frame clipFrame, or else colour everywhere...
        int clipFrame = 0;
        std::array<int, 3> colour{}; // ...at the middle, black at the side when side
        bool side = false;
    };
    struct Case {
        std::string options;
        int frames;
        std::vector<Shown> shown;
    };
    const Case theCases[] = {
        {"--transition in '" + clipA + "' '" + clipC + "'",
         100,
         {{0, "", 0, cOrange, false}, {49, clipA, 49}, {50, clipC, 0}, {99, clipC, 49}}},
        {"--transition out '" + clipA + "' '" + tall + "' '" + clipC + "'",
         126,
         {{0, clipA, 0}, {49, clipA, 49}, {50, "", 0, cBlue, true}, {74, "", 0, cBlue, true}, {75, clipC, 0},
          {125, "", 0, cOrange, false}}},
    };
    for (const Case& theCase : theCases) {
        SCOPED_TRACE(theCase.options);
        const std::string theMovie = Render("--frames 10 --still-duration 1 --fill '#FF8000' " + theCase.options);
        EXPECT_EQ(FfprobeFrameCount(theMovie), theCase.frames);
        for (const Shown& theShown : theCase.shown) {
            SCOPED_TRACE(theShown.frame);
            const std::vector<uint8_t> thePicture = FfmpegFrame(theMovie, theShown.frame);
            if (!theShown.clip.empty()) {
                EXPECT_LE(DifferenceOf(thePicture, FfmpegFrame(theShown.clip, theShown.clipFrame)).mean, 1.0);
                continue;
            }
            EXPECT_TRUE(IsNear(PixelAt(thePicture, 80, 60), theShown.colour));
            EXPECT_TRUE(IsNear(PixelAt(thePicture, 10, 60), theShown.side ? cBlack : theShown.colour));
        }
    }
}

// The movie's size is the one its first clip shows at: a clip's pixel shape and a photo's
// orientation count. Stills only: 1920x1080 at 30 frames a second. --size and --rate say
// otherwise.
TEST_F(TimelineTest, TheMovieTakesTheSizeItsFirstClipShowsAt)
{
    const std::string theBig = folder.PathOf("big.png"), thePlain = folder.PathOf("plain.jpg"),
                      theTurned = folder.PathOf("turned.jpg"), theWidePixels = folder.PathOf("wide-pixels.mp4");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=2400x1800 -frames:v 1 '" + theBig + "'"), 0);
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=160x120 -frames:v 1 '" + thePlain + "'"), 0);
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=80x120:rate=25:duration=1 -vf setsar=2 "
                         "-c:v libx264 -pix_fmt yuv420p '" + theWidePixels + "'"),
              0);
    WriteTurnedJpeg(thePlain, theTurned);
    const struct {
        std::string first, options;
        const char* stream; // as ffprobe prints it
        int frames;
    } theCases[] = {{theBig, "", "1920,1080,30/1", 19},
                    {theBig, "--rate ntsc --size 640x480", "640,480,30000/1001", 19},
                    {theWidePixels, "", "160,120,25/1", 30},
                    {theWidePixels, "--rate 50", "160,120,50/1", 65},
                    {theTurned, "--size 120x160", "120,160,30/1", 19}};
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(theCase.first + " " + theCase.options);
        const std::string theMovie = Render("--transition cross --frames 5 --still-duration 0.4 " + theCase.options +
                                            " '" + theCase.first + "' '" + photo + "'");
        std::string theStream;
        RunCommand("ffprobe -v error -select_streams v -show_entries stream=width,height,r_frame_rate -of csv=p=0 '" +
                       theMovie + "'",
                   &theStream);
        EXPECT_EQ(theStream, std::string(theCase.stream) + "\n");
        EXPECT_EQ(FfprobeFrameCount(theMovie), theCase.frames);
    }
    // The turned photo shows as FFmpeg's own tools show it.
    EXPECT_LE(DifferenceOf(FfmpegFrame(folder.PathOf("movie.mkv"), 0), FfmpegFrame(theTurned, 0)).mean, 1.0);
}

// A still is decoded once, however many frames show it, and its sound is silence of each
// frame's length.
TEST_F(TimelineTest, AStillIsDecodedOnceForAllItsFrames)
{
    std::string theError;
    std::unique_ptr<video::FrameSource> theStill = OpenMovieClip(photo, video::FrameRate{30000, 1001}, theError);
    ASSERT_TRUE(theStill) << theError;
    MovieClips theClips(*theStill, nullptr, 90);
    ASSERT_EQ(theClips.ClipALength(), 90);
    testing_support::GWorldOwner theFrame = testing_support::MakeGWorld(cWidth, cHeight);
    video::AudioBlock theSound;
    size_t theSamples = 0;
    for (SInt32 i = 0; i < 90; ++i) {
        ASSERT_TRUE(theClips.DrawFrame(i, theFrame.get(), theError)) << theError;
        ASSERT_TRUE(theClips.GetFrameAudio(i, theSound, theError)) << theError;
        for (float theSample : theSound.samples) EXPECT_EQ(theSample, 0.0f);
        theSamples += theSound.samples.size() / 2;
    }
    // The picture decoded when the still was opened is the only one; its scaled copy serves the rest.
    EXPECT_EQ(theStill->GetStatistics().decoded, 0);
    EXPECT_EQ(theStill->GetStatistics().cacheHits, 89);
    EXPECT_EQ(theSamples, 144144u); // 3 s of 30000/1001 frames a second at 48 kHz
}
