#include "MovieWriter.h"
#include "videotestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace videotest;
using video::MovieSettings;
using video::MovieWriter;

namespace {

MovieSettings SettingsOf(int theWidth, int theHeight, video::FrameRate theRate, bool theAudio = false)
{
    MovieSettings theSettings;
    theSettings.width = theWidth;
    theSettings.height = theHeight;
    theSettings.rate = theRate;
    theSettings.withAudio = theAudio;
    return theSettings;
}

std::unique_ptr<MovieWriter> CreateWriter(const std::string& thePath, const MovieSettings& theSettings)
{
    std::string theError;
    std::unique_ptr<MovieWriter> theWriter = MovieWriter::Create(thePath, theSettings, theError);
    EXPECT_TRUE(theWriter) << theError;
    return theWriter;
}

// A tone of theHertz for frame theFrame, continuous across frames.
video::AudioBlock ToneForFrame(SInt32 theFrame, video::FrameRate theRate, double theHertz)
{
    video::AudioBlock theBlock;
    SInt64 theFirst = video::FirstAudioSampleOfFrame(theFrame, theRate);
    for (SInt32 i = 0; i < video::AudioSamplesInFrame(theFrame, theRate); ++i) {
        float theValue = float(0.5 * std::sin(2 * M_PI * theHertz * double(theFirst + i) / video::cAudioSampleRate));
        theBlock.samples.push_back(theValue);
        theBlock.samples.push_back(theValue);
    }
    return theBlock;
}

class LosslessFormats : public ::testing::TestWithParam<const char*> {};

TEST_P(LosslessFormats, RoundTripEveryPixel)
{
    TemporaryFolder theFolder;
    std::string thePath = theFolder.PathOf(GetParam());
    const int cWidth = 33, cHeight = 17; // odd sizes: no format may round them
    {
        auto theWriter = CreateWriter(thePath, SettingsOf(cWidth, cHeight, {10, 1}));
        ASSERT_TRUE(theWriter);
        WorldPtr theWorld = NewWorld(cWidth, cHeight);
        std::string theError;
        for (unsigned theFrame = 0; theFrame < 6; ++theFrame) {
            FillWithNoise(theWorld.get(), theFrame + 1);
            ASSERT_TRUE(theWriter->AddFrame(theWorld.get(), nullptr, theError)) << theError;
        }
        ASSERT_TRUE(theWriter->Finish(theError)) << theError;
    }
    auto theSource = OpenClip(thePath);
    ASSERT_TRUE(theSource);
    ASSERT_EQ(theSource->Info().frameCount, 6);
    WorldPtr theExpected = NewWorld(cWidth, cHeight);
    for (SInt32 theFrame : {0, 5, 2, 3}) {
        FillWithNoise(theExpected.get(), unsigned(theFrame) + 1);
        EXPECT_EQ(FramePixels(*theSource, theFrame), PixelsOf(theExpected.get())) << "frame " << theFrame;
    }
}

INSTANTIATE_TEST_SUITE_P(Video, LosslessFormats, ::testing::Values("lossless.mkv", "lossless_%02d.png"),
                         [](const auto& theInfo) { return std::string(theInfo.param).find("mkv") != std::string::npos ? "mkv" : "png"; });

struct WriteCase {
    const char* name;
    int width, height;
    video::FrameRate rate;
    int readWidth, readHeight;
    bool audio;
    bool losslessAudio;
    const char* description;
};

void PrintTo(const WriteCase& theCase, std::ostream* theStream)
{
    *theStream << theCase.name;
}

class WrittenMovies : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WrittenMovies, DecodeBackWithTheirCountRateSizeAndSound)
{
    const WriteCase& theCase = GetParam();
    TemporaryFolder theFolder;
    std::string thePath = theFolder.PathOf(theCase.name);
    const SInt32 cFrames = 12;
    std::vector<UInt8> theWritten;
    {
        auto theWriter = CreateWriter(thePath, SettingsOf(theCase.width, theCase.height, theCase.rate, true));
        ASSERT_TRUE(theWriter);
        EXPECT_EQ(theWriter->CarriesAudio(), theCase.audio);
        EXPECT_NE(theWriter->Description().find(theCase.description), std::string::npos) << theWriter->Description();
        WorldPtr theWorld = NewWorld(theCase.width, theCase.height);
        // Smooth picture: lossy codecs keep it close.
        PixMapHandle thePixMap = GetGWorldPixMap(theWorld.get());
        for (int y = 0; y < theCase.height; ++y) {
            UInt8* thePixel = reinterpret_cast<UInt8*>(GetPixBaseAddr(thePixMap) + y * GetPixRowBytes(thePixMap));
            for (int x = 0; x < theCase.width; ++x, thePixel += 4) {
                thePixel[0] = 255;
                thePixel[1] = UInt8(x * 255 / theCase.width);
                thePixel[2] = UInt8(y * 255 / theCase.height);
                thePixel[3] = 128;
            }
        }
        theWritten = PixelsOf(theWorld.get());
        std::string theError;
        for (SInt32 theFrame = 0; theFrame < cFrames; ++theFrame) {
            video::AudioBlock theTone = ToneForFrame(theFrame, theCase.rate, 440);
            ASSERT_TRUE(theWriter->AddFrame(theWorld.get(), &theTone, theError)) << theError;
        }
        EXPECT_EQ(theWriter->FramesWritten(), cFrames);
        ASSERT_TRUE(theWriter->Finish(theError)) << theError;
        EXPECT_EQ(theFolder.Entries(), std::vector<std::string>{theCase.name});
    }
    auto theSource = OpenClip(thePath);
    ASSERT_TRUE(theSource);
    const video::ClipInfo& theInfo = theSource->Info();
    EXPECT_EQ(theInfo.frameCount, cFrames);
    EXPECT_EQ(theInfo.rate.num, theCase.rate.num);
    EXPECT_EQ(theInfo.rate.den, theCase.rate.den);
    EXPECT_EQ(theInfo.width, theCase.readWidth);
    EXPECT_EQ(theInfo.height, theCase.readHeight);
    EXPECT_EQ(theInfo.hasAudio, theCase.audio);

    if (theCase.readWidth == theCase.width) {
        std::vector<UInt8> theRead = FramePixels(*theSource, cFrames - 1);
        double theError = 0;
        for (size_t i = 0; i < theRead.size(); ++i) theError += std::abs(int(theRead[i]) - int(theWritten[i]));
        EXPECT_LT(theError / double(theRead.size()), 3.0);
    }
    if (theCase.audio) {
        video::AudioBlock theAudio;
        std::string theError;
        ASSERT_TRUE(theSource->GetFrameAudio(6, theAudio, theError)) << theError;
        video::AudioBlock theTone = ToneForFrame(6, theCase.rate, 440);
        ASSERT_EQ(theAudio.Length(), theTone.Length());
        // Lossy sound must still line up with the picture: a shift of a few samples ruins the correlation.
        double theProducts = 0, theReadPower = 0, theTonePower = 0, theLargest = 0;
        for (size_t i = 0; i < theAudio.samples.size(); ++i) {
            theProducts += double(theAudio.samples[i]) * theTone.samples[i];
            theReadPower += double(theAudio.samples[i]) * theAudio.samples[i];
            theTonePower += double(theTone.samples[i]) * theTone.samples[i];
            theLargest = std::max(theLargest, double(std::abs(theAudio.samples[i] - theTone.samples[i])));
        }
        EXPECT_GT(theProducts / std::sqrt(theReadPower * theTonePower), 0.99);
        if (theCase.losslessAudio) {
            EXPECT_LT(theLargest, 1.0 / 16384);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Video, WrittenMovies,
    ::testing::Values(WriteCase{"out.mp4", 64, 48, {25, 1}, 64, 48, true, false, "H.264 (libx264) and AAC in MP4"},
                      WriteCase{"ntsc.MP4", 64, 48, {30000, 1001}, 64, 48, true, false, "AAC"},
                      WriteCase{"odd.mp4", 65, 49, {10, 1}, 64, 48, true, false, "H.264"},
                      WriteCase{"out.mkv", 64, 48, {24000, 1001}, 64, 48, true, true, "UT Video (lossless RGB) and FLAC in MKV"},
                      WriteCase{"out.y4m", 65, 49, {10, 1}, 65, 49, false, false, "raw 4:2:0 in Y4M, no sound"}),
    [](const auto& theInfo) {
        std::string theName = theInfo.param.name;
        theName[theName.find('.')] = '_';
        return theName;
    });

TEST(MovieWriter, ScalesFramesOfAnotherSize)
{
    TemporaryFolder theFolder;
    std::string thePath = theFolder.PathOf("scaled.mkv");
    auto theWriter = CreateWriter(thePath, SettingsOf(40, 30, {10, 1}));
    ASSERT_TRUE(theWriter);
    WorldPtr theLarge = NewWorld(80, 60);
    FillWithNoise(theLarge.get(), 7);
    std::string theError;
    ASSERT_TRUE(theWriter->AddFrame(theLarge.get(), nullptr, theError)) << theError;
    ASSERT_TRUE(theWriter->Finish(theError)) << theError;
    auto theSource = OpenClip(thePath);
    ASSERT_TRUE(theSource);
    EXPECT_EQ(theSource->Info().width, 40);
    EXPECT_EQ(theSource->Info().frameCount, 1);
}

TEST(MovieWriter, NothingAppearsBeforeFinishAndAnAbandonedMovieLeavesNothing)
{
    for (const char* theName : {"movie.mp4", "movie.mkv", "movie.y4m", "frame_%03d.png"}) {
        TemporaryFolder theFolder;
        {
            auto theWriter = CreateWriter(theFolder.PathOf(theName), SettingsOf(64, 48, {10, 1}, true));
            ASSERT_TRUE(theWriter);
            WorldPtr theWorld = NewWorld(64, 48);
            std::string theError;
            for (int i = 0; i < 3; ++i) ASSERT_TRUE(theWriter->AddFrame(theWorld.get(), nullptr, theError)) << theError;
            for (const std::string& theEntry : theFolder.Entries()) EXPECT_EQ(theEntry[0], '.') << theName << ": " << theEntry;
        }
        EXPECT_TRUE(theFolder.Entries().empty()) << theName;
    }
}

TEST(MovieWriter, ReplacesAnOlderFile)
{
    TemporaryFolder theFolder;
    std::string thePath = theFolder.PathOf("again.mkv");
    std::ofstream(thePath) << "an older file";
    auto theWriter = CreateWriter(thePath, SettingsOf(16, 16, {10, 1}));
    ASSERT_TRUE(theWriter);
    WorldPtr theWorld = NewWorld(16, 16);
    std::string theError;
    ASSERT_TRUE(theWriter->AddFrame(theWorld.get(), nullptr, theError));
    ASSERT_TRUE(theWriter->Finish(theError)) << theError;
    EXPECT_EQ(theFolder.Entries(), std::vector<std::string>{"again.mkv"});
    auto theSource = OpenClip(thePath);
    ASSERT_TRUE(theSource);
    EXPECT_EQ(theSource->Info().frameCount, 1);
}

TEST(MovieWriter, NamesPictureSequences)
{
    struct NameCase {
        const char* pattern;
        std::vector<std::string> files;
    };
    for (const NameCase& theCase : {NameCase{"out_%03d.png", {"out_000.png", "out_001.png"}},
                                    NameCase{"shot.png", {"shot_00000.png", "shot_00001.png"}},
                                    NameCase{"%d%%.PNG", {"0%.PNG", "1%.PNG"}}}) {
        TemporaryFolder theFolder;
        auto theWriter = CreateWriter(theFolder.PathOf(theCase.pattern), SettingsOf(8, 8, {10, 1}));
        ASSERT_TRUE(theWriter);
        WorldPtr theWorld = NewWorld(8, 8);
        std::string theError;
        for (int i = 0; i < 2; ++i) ASSERT_TRUE(theWriter->AddFrame(theWorld.get(), nullptr, theError)) << theError;
        ASSERT_TRUE(theWriter->Finish(theError)) << theError;
        EXPECT_EQ(theFolder.Entries(), theCase.files) << theCase.pattern;
    }
}

} // namespace

namespace {

// A sequence whose move into place fails part way puts back the earlier pictures it had set
// aside and takes away the new ones it had moved.
TEST(MovieWriter, ASequenceThatCannotBeCompletedLeavesTheEarlierOne)
{
    TemporaryFolder theFolder;
    for (const char* theName : {"f_000.png", "f_001.png"}) std::ofstream(theFolder.PathOf(theName)) << "old " << theName;
    auto theWriter = CreateWriter(theFolder.PathOf("f_%03d.png"), SettingsOf(8, 8, {10, 1}));
    ASSERT_TRUE(theWriter);
    WorldPtr theWorld = NewWorld(8, 8);
    std::string theError;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(theWriter->AddFrame(theWorld.get(), nullptr, theError)) << theError;
    // Something takes the last picture's name meanwhile.
    std::filesystem::create_directories(theFolder.PathOf("f_003.png/inside"));
    EXPECT_FALSE(theWriter->Finish(theError));
    EXPECT_NE(theError.find("f_003.png"), std::string::npos) << theError;
    EXPECT_EQ(theFolder.Entries(), (std::vector<std::string>{"f_000.png", "f_001.png", "f_003.png"}));
    for (const char* theName : {"f_000.png", "f_001.png"}) {
        std::ifstream theFile(theFolder.PathOf(theName));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(theFile), {}), std::string("old ") + theName);
    }
}

} // namespace

double MeanDifference(const std::vector<UInt8>& theOne, const std::vector<UInt8>& theOther)
{
    double theSum = 0;
    for (size_t k = 0; k < theOne.size() && k < theOther.size(); ++k) theSum += std::abs(int(theOne[k]) - int(theOther[k]));
    return theSum / double(std::max<size_t>(theOne.size(), 1));
}

// Decoded pictures go straight to the encoder: the same pictures as drawn from the clip, exact
// in a raw movie, nearest their own in a compressed one; a picture sequence takes only GWorlds.
TEST(MovieWriter, TakesDecodedPictures)
{
    TemporaryFolder theFolder;
    const std::string theSourcePath = theFolder.PathOf("source.y4m");
    const std::string theCommand = "ffmpeg -v error -nostdin -f lavfi -i testsrc2=s=128x96:r=10:d=3 -pix_fmt yuv420p '" +
                                   theSourcePath + "'";
    ASSERT_EQ(std::system(theCommand.c_str()), 0) << theCommand;
    auto theSource = OpenClip(theSourcePath);
    ASSERT_TRUE(theSource);
    struct Case {
        const char* name;
        bool takes;
        bool exact;
    };
    for (const Case& theCase : {Case{"raw.y4m", true, true}, Case{"h264.mp4", true, false}, Case{"shot_%02d.png", false, false}}) {
        SCOPED_TRACE(theCase.name);
        const std::string thePath = theFolder.PathOf(theCase.name);
        auto theWriter = CreateWriter(thePath, SettingsOf(128, 96, {10, 1}));
        ASSERT_TRUE(theWriter);
        std::string theError;
        const AVFrame* thePicture = theSource->DecodedFrame(0, theError);
        ASSERT_TRUE(thePicture) << theError;
        if (!theCase.takes) {
            EXPECT_FALSE(theWriter->AddDecodedFrame(thePicture, nullptr, theError));
            EXPECT_EQ(theError, "this output takes only drawn pictures");
            continue;
        }
        for (SInt32 i = 0; i < 20; ++i) {
            thePicture = theSource->DecodedFrame(i, theError);
            ASSERT_TRUE(thePicture && theWriter->AddDecodedFrame(thePicture, nullptr, theError)) << theError;
        }
        ASSERT_TRUE(theWriter->Finish(theError)) << theError;
        auto theMovie = OpenClip(thePath);
        ASSERT_TRUE(theMovie);
        ASSERT_EQ(theMovie->Info().frameCount, 20);
        for (SInt32 i = 0; i < 20; ++i) {
            const std::vector<UInt8> theWritten = FramePixels(*theMovie, i);
            const double theOwn = MeanDifference(theWritten, FramePixels(*theSource, i));
            if (theCase.exact) {
                EXPECT_EQ(theOwn, 0.0) << "frame " << i;
            }
            for (SInt32 theOther : {i - 1, i + 1}) {
                if (theOther < 0) continue;
                EXPECT_LT(theOwn, MeanDifference(theWritten, FramePixels(*theSource, theOther))) << "frame " << i;
            }
        }
    }
}
