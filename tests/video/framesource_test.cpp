#include "videotestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace videotest;
using video::FrameSource;

namespace {

struct ClipCase {
    const char* name;
    video::FrameRate rate;
    SInt32 frames;
    bool audio;
};

void PrintTo(const ClipCase& theCase, std::ostream* theStream)
{
    *theStream << theCase.name;
}

class ClipFormats : public ::testing::TestWithParam<ClipCase> {};

TEST_P(ClipFormats, ReportSizeRateAndLength)
{
    TemporaryFolder theFolder;
    video::SyntheticClip theClip = SmallClip();
    theClip.rate = GetParam().rate;
    theClip.frameCount = GetParam().frames;
    std::string thePath = MakeClip(theFolder, GetParam().name, theClip);
    auto theSource = OpenClip(thePath);
    ASSERT_TRUE(theSource);
    const video::ClipInfo& theInfo = theSource->Info();
    EXPECT_EQ(theInfo.width, 64);
    EXPECT_EQ(theInfo.height, 48);
    EXPECT_EQ(theInfo.rate.num, GetParam().rate.num);
    EXPECT_EQ(theInfo.rate.den, GetParam().rate.den);
    EXPECT_EQ(theInfo.frameCount, GetParam().frames);
    EXPECT_EQ(theInfo.hasAudio, GetParam().audio);
    EXPECT_FALSE(theInfo.description.empty());
}

INSTANTIATE_TEST_SUITE_P(Video, ClipFormats,
                         ::testing::Values(ClipCase{"clip.mkv", {10, 1}, 20, true},
                                           ClipCase{"clip.mp4", {10, 1}, 20, true},
                                           ClipCase{"clip.y4m", {10, 1}, 20, false},
                                           ClipCase{"ntsc.mp4", {30000, 1001}, 31, true},
                                           ClipCase{"film.mkv", {24000, 1001}, 25, true},
                                           ClipCase{"pal.y4m", {25, 1}, 7, false}),
                         [](const auto& theInfo) {
                             std::string theName = theInfo.param.name;
                             theName[theName.find('.')] = '_';
                             return theName;
                         });

TEST(FrameSource, ReadsAPictureSequenceByItsPattern)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "shot_%03d.png");
    auto theSource = OpenClip(theFolder.PathOf("shot_%03d.png"));
    ASSERT_TRUE(theSource);
    EXPECT_EQ(theSource->Info().frameCount, 20);
    EXPECT_EQ(theSource->Info().width, 64);
}

// Decoding every frame in order is the reference; any order of access must give the same
// pictures, and reading in order must never seek.
std::vector<std::vector<UInt8>> ExpectJumpsMatchReadingInOrder(const std::string& thePath)
{
    auto theInOrder = OpenClip(thePath);
    if (!theInOrder) return {};
    SInt32 theCount = theInOrder->Info().frameCount;
    std::vector<std::vector<UInt8>> theReference;
    for (SInt32 theFrame = 0; theFrame < theCount; ++theFrame) theReference.push_back(FramePixels(*theInOrder, theFrame));
    EXPECT_EQ(theInOrder->GetStatistics().seeks, 0);
    EXPECT_NE(theReference[3], theReference[4]);

    // One picture kept, so every other frame is decoded anew; or none, so that each is scaled
    // straight into the GWorld.
    for (SInt32 theKept : {1, 0}) {
        auto theJumping = OpenClip(thePath);
        if (!theJumping) return {};
        theJumping->SetCacheLimits(theKept, 1);
        for (SInt32 theFrame : {theCount - 3, 3, 9, 0, theCount - 1, 12, 5, 6, 6, theCount - 2, 1, 2, 10, 9, 15}) {
            EXPECT_EQ(FramePixels(*theJumping, theFrame), theReference[size_t(theFrame)])
                << thePath << " frame " << theFrame << ", kept " << theKept;
        }
        EXPECT_GT(theJumping->GetStatistics().seeks, 0);
        EXPECT_EQ(theJumping->GetStatistics().cacheHits, theKept);
    }
    return theReference;
}

class RandomAccess : public ::testing::TestWithParam<const char*> {};

TEST_P(RandomAccess, GivesTheSamePicturesAsReadingInOrder)
{
    TemporaryFolder theFolder;
    video::SyntheticClip theClip = SmallClip();
    theClip.keyFrameInterval = 4; // several groups of pictures, so that jumps really seek
    ExpectJumpsMatchReadingInOrder(MakeClip(theFolder, GetParam(), theClip));
}

INSTANTIATE_TEST_SUITE_P(Video, RandomAccess, ::testing::Values("clip.mkv", "clip.mp4", "clip.y4m"),
                         [](const auto& theInfo) { return std::string(theInfo.param).substr(5); });

// Files from elsewhere, made by the ffmpeg tool: streams whose timestamps are sparse or missing,
// containers without an index, a variable frame rate with a hole.
struct ForeignCase {
    const char* name;
    const char* encoding;
    SInt32 frames;
};

void PrintTo(const ForeignCase& theCase, std::ostream* theStream)
{
    *theStream << theCase.name;
}

class ForeignFiles : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignFiles, CountTheirFramesAndSeekExactly)
{
    TemporaryFolder theFolder;
    std::string thePath = theFolder.PathOf(GetParam().name);
    std::string theCommand = std::string("ffmpeg -v error -nostdin -f lavfi -i testsrc2=s=64x48:r=10:d=3 ") +
                             GetParam().encoding + " '" + thePath + "'";
    ASSERT_EQ(std::system(theCommand.c_str()), 0) << theCommand;
    auto theSource = OpenClip(thePath);
    ASSERT_TRUE(theSource);
    EXPECT_EQ(theSource->Info().frameCount, GetParam().frames);
    EXPECT_EQ(theSource->Info().rate.num, 10);
    std::vector<std::vector<UInt8>> thePictures = ExpectJumpsMatchReadingInOrder(thePath);
    if (GetParam().frames == 35) {
        // Frames 10 to 14 are missing from the file: they show frame 9.
        ASSERT_EQ(thePictures.size(), 35u);
        EXPECT_EQ(thePictures[12], thePictures[9]);
        EXPECT_NE(thePictures[15], thePictures[9]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Video, ForeignFiles,
    ::testing::Values(ForeignCase{"program.mpg", "-c:v mpeg2video -g 7 -bf 2", 30},
                      ForeignCase{"transport.ts", "-c:v libx264 -g 7 -bf 2", 30},
                      ForeignCase{"elementary.h264", "-c:v libx264 -g 7 -bf 2", 30},
                      ForeignCase{"flash.flv", "-c:v libx264 -g 7 -bf 2", 30},
                      ForeignCase{"hole.mkv", "-vf \"setpts='if(lt(N,10),N,N+5)/10/TB'\" -fps_mode vfr -c:v libx264 -g 7", 35}),
    [](const auto& theInfo) {
        std::string theName = theInfo.param.name;
        return theName.substr(0, theName.find('.'));
    });

TEST(FrameSource, ScrubbingBackAndForthIsServedFromTheCache)
{
    TemporaryFolder theFolder;
    auto theSource = OpenClip(MakeClip(theFolder, "clip.mp4"));
    ASSERT_TRUE(theSource);
    WorldPtr theWorld = NewWorld(32, 24);
    std::string theError;
    for (SInt32 theFrame : {5, 6, 7, 8}) ASSERT_TRUE(theSource->DrawFrame(theFrame, theWorld.get(), theError)) << theError;
    FrameSource::Statistics theBefore = theSource->GetStatistics();
    for (SInt32 theFrame : {7, 6, 5, 6, 7, 8, 7}) ASSERT_TRUE(theSource->DrawFrame(theFrame, theWorld.get(), theError));
    FrameSource::Statistics theAfter = theSource->GetStatistics();
    EXPECT_EQ(theAfter.decoded, theBefore.decoded);
    EXPECT_EQ(theAfter.seeks, theBefore.seeks);
    EXPECT_EQ(theAfter.cacheHits - theBefore.cacheHits, 7);
}

TEST(FrameSource, ScalesToAnySizeWithinTheRowsOnly)
{
    TemporaryFolder theFolder;
    auto theSource = OpenClip(MakeClip(theFolder, "clip.mkv"));
    ASSERT_TRUE(theSource);
    std::vector<UInt8> theFull = FramePixels(*theSource, 4);
    auto theAverage = [](const std::vector<UInt8>& thePixels, int theChannel) {
        double theSum = 0;
        for (size_t i = size_t(theChannel); i < thePixels.size(); i += 4) theSum += thePixels[i];
        return theSum / double(thePixels.size() / 4);
    };
    for (auto [theWidth, theHeight] : {std::pair{32, 24}, std::pair{100, 75}, std::pair{7, 5}}) {
        WorldPtr theWorld = NewWorld(theWidth, theHeight);
        PixMapHandle thePixMap = GetGWorldPixMap(theWorld.get());
        SInt32 theRowBytes = GetPixRowBytes(thePixMap);
        std::memset(GetPixBaseAddr(thePixMap), 0xAB, size_t(theRowBytes) * theHeight);
        std::string theError;
        ASSERT_TRUE(theSource->DrawFrame(4, theWorld.get(), theError)) << theError;
        for (int theRow = 0; theRow < theHeight; ++theRow) {
            const UInt8* thePadding = reinterpret_cast<UInt8*>(GetPixBaseAddr(thePixMap)) + theRow * theRowBytes;
            for (int i = theWidth * 4; i < theRowBytes; ++i) ASSERT_EQ(thePadding[i], 0xAB) << theWidth << "x" << theHeight;
        }
        std::vector<UInt8> theScaled = PixelsOf(theWorld.get());
        EXPECT_EQ(theAverage(theScaled, 0), 255.0);
        for (int c = 1; c < 4; ++c) EXPECT_NEAR(theAverage(theScaled, c), theAverage(theFull, c), 6.0) << theWidth;
    }
}

double RootMeanSquare(const video::AudioBlock& theAudio)
{
    double theSum = 0;
    for (float theSample : theAudio.samples) theSum += double(theSample) * theSample;
    return std::sqrt(theSum / double(theAudio.samples.size()));
}

TEST(FrameSource, AudioOfAFrameIsItsShareOfTheTone)
{
    TemporaryFolder theFolder;
    auto theSource = OpenClip(MakeClip(theFolder, "clip.mkv"));
    ASSERT_TRUE(theSource);
    std::string theError;
    video::AudioBlock theAudio;
    std::vector<video::AudioBlock> theInOrder;
    for (SInt32 theFrame = 0; theFrame < 20; ++theFrame) {
        ASSERT_TRUE(theSource->GetFrameAudio(theFrame, theAudio, theError)) << theError;
        theInOrder.push_back(theAudio);
    }
    // 48000 / 10 fps; the sine generator's amplitude is 1/8; 440 Hz crosses zero 88 times in 0.1 s.
    const video::AudioBlock& theMiddle = theInOrder[7];
    ASSERT_EQ(theMiddle.Length(), 4800);
    EXPECT_NEAR(RootMeanSquare(theMiddle), 0.125 / std::sqrt(2.0), 0.005);
    int theCrossings = 0;
    for (SInt32 i = 1; i < theMiddle.Length(); ++i) {
        theCrossings += (theMiddle.samples[size_t(2 * i)] >= 0) != (theMiddle.samples[size_t(2 * i - 2)] >= 0);
        ASSERT_EQ(theMiddle.samples[size_t(2 * i)], theMiddle.samples[size_t(2 * i + 1)]);
    }
    EXPECT_NEAR(theCrossings, 88, 1);

    // Lossless sound gives the same samples in any order of access.
    for (SInt32 theFrame : {15, 2, 9, 8, 19, 0}) {
        ASSERT_TRUE(theSource->GetFrameAudio(theFrame, theAudio, theError)) << theError;
        EXPECT_EQ(theAudio.samples, theInOrder[size_t(theFrame)].samples) << "frame " << theFrame;
    }
}

TEST(FrameSource, ClipWithoutSoundGivesSilenceOfTheFramesLength)
{
    TemporaryFolder theFolder;
    video::SyntheticClip theClip = SmallClip();
    theClip.rate = {30000, 1001};
    auto theSource = OpenClip(MakeClip(theFolder, "silent.y4m", theClip));
    ASSERT_TRUE(theSource);
    std::string theError;
    video::AudioBlock theAudio;
    for (SInt32 theFrame : {0, 1, 2}) {
        ASSERT_TRUE(theSource->GetFrameAudio(theFrame, theAudio, theError)) << theError;
        EXPECT_EQ(theAudio.Length(), video::AudioSamplesInFrame(theFrame, theClip.rate));
        EXPECT_EQ(RootMeanSquare(theAudio), 0.0);
    }
}

} // namespace
