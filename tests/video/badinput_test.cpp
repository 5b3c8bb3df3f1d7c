#include "MovieWriter.h"
#include "videotestsupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/resource.h>

using namespace videotest;
using video::FrameSource;
using video::MovieWriter;

namespace {

std::string OpenError(const std::string& thePath)
{
    std::string theError;
    std::unique_ptr<FrameSource> theSource = FrameSource::Open(thePath, theError);
    EXPECT_FALSE(theSource) << thePath;
    EXPECT_EQ(theError.find('\n'), std::string::npos);
    return theError;
}

std::string ReadFile(const std::string& thePath)
{
    std::ifstream theFile(thePath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(theFile), {});
}

void WriteFile(const std::string& thePath, const std::string& theBytes)
{
    std::ofstream(thePath, std::ios::binary) << theBytes;
}

video::MovieSettings SmallSettings()
{
    video::MovieSettings theSettings;
    theSettings.width = 64;
    theSettings.height = 48;
    theSettings.rate = {10, 1};
    return theSettings;
}

TEST(BadInput, MissingOrUnreadableFilesSayWhy)
{
    TemporaryFolder theFolder;
    EXPECT_NE(OpenError(theFolder.PathOf("nothing.mp4")).find("No such file"), std::string::npos);

    std::string theNoise(1 << 16, '\0');
    std::minstd_rand theRandom(5);
    for (char& c : theNoise) c = char(theRandom());
    WriteFile(theFolder.PathOf("noise.mp4"), theNoise);
    EXPECT_NE(OpenError(theFolder.PathOf("noise.mp4")).find("noise.mp4"), std::string::npos);

    std::string theClip = ReadFile(MakeClip(theFolder, "clip.mkv"));
    WriteFile(theFolder.PathOf("header.mkv"), theClip.substr(0, 200));
    EXPECT_FALSE(OpenError(theFolder.PathOf("header.mkv")).empty());

    // An empty file.
    WriteFile(theFolder.PathOf("empty.y4m"), "");
    EXPECT_FALSE(OpenError(theFolder.PathOf("empty.y4m")).empty());
}

TEST(BadInput, TruncatedFileCountsTheFramesItReallyHolds)
{
    TemporaryFolder theFolder;
    std::string theWhole = ReadFile(MakeClip(theFolder, "clip.mkv"));
    std::string thePath = theFolder.PathOf("cut.mkv");
    WriteFile(thePath, theWhole.substr(0, theWhole.size() / 2)); // its header still claims 2 s
    auto theSource = OpenClip(thePath);
    ASSERT_TRUE(theSource);
    SInt32 theCount = theSource->Info().frameCount;
    EXPECT_GT(theCount, 2);
    EXPECT_LT(theCount, 20);

    // The last frame is a real picture, the same by jumping or by reading in order.
    std::vector<UInt8> theLastByJump = FramePixels(*theSource, theCount - 1);
    auto theInOrder = OpenClip(thePath);
    ASSERT_TRUE(theInOrder);
    std::vector<UInt8> theLast;
    std::vector<UInt8> theOneBefore;
    for (SInt32 theFrame = 0; theFrame < theCount; ++theFrame) {
        theOneBefore = theLast;
        theLast = FramePixels(*theInOrder, theFrame);
    }
    EXPECT_EQ(theLastByJump, theLast);
    EXPECT_NE(theLast, theOneBefore);
    std::string theError;
    WorldPtr theWorld = NewWorld(8, 8);
    EXPECT_FALSE(theSource->DrawFrame(theCount, theWorld.get(), theError));
    EXPECT_NE(theError.find("outside"), std::string::npos) << theError;
}

TEST(BadInput, DamagedMiddleNeverCrashes)
{
    TemporaryFolder theFolder;
    for (const char* theName : {"clip.mkv", "clip.mp4", "clip.y4m"}) {
        std::string theBytes = ReadFile(MakeClip(theFolder, theName));
        std::minstd_rand theRandom(11);
        for (size_t i = theBytes.size() / 3; i < theBytes.size() * 2 / 3; ++i) theBytes[i] = char(theRandom());
        std::string thePath = theFolder.PathOf(std::string("damaged_") + theName);
        WriteFile(thePath, theBytes);
        std::string theError;
        std::unique_ptr<FrameSource> theSource = FrameSource::Open(thePath, theError);
        if (!theSource) {
            EXPECT_FALSE(theError.empty());
            continue;
        }
        WorldPtr theWorld = NewWorld(32, 24);
        video::AudioBlock theAudio;
        for (SInt32 theFrame : {0, 19, 10, 5, 11, 12, 13, 3}) {
            if (theFrame >= theSource->Info().frameCount) continue;
            if (!theSource->DrawFrame(theFrame, theWorld.get(), theError)) {
                EXPECT_FALSE(theError.empty());
            }
            if (!theSource->GetFrameAudio(theFrame, theAudio, theError)) {
                EXPECT_FALSE(theError.empty());
            }
        }
    }
}

TEST(BadInput, RequestsOutsideTheClipAreRefused)
{
    TemporaryFolder theFolder;
    auto theSource = OpenClip(MakeClip(theFolder, "clip.y4m"));
    ASSERT_TRUE(theSource);
    std::string theError;
    WorldPtr theWorld = NewWorld(8, 8);
    EXPECT_FALSE(theSource->DrawFrame(-1, theWorld.get(), theError));
    EXPECT_FALSE(theSource->DrawFrame(20, theWorld.get(), theError));
    EXPECT_FALSE(theSource->DrawFrame(0, nullptr, theError));
    video::AudioBlock theAudio;
    EXPECT_FALSE(theSource->GetFrameAudio(-1, theAudio, theError));
}

TEST(BadInput, OutputsThatCannotBeWrittenFailBeforeAnyWork)
{
    TemporaryFolder theFolder;
    WriteFile(theFolder.PathOf("file"), "x");
    struct OutputCase {
        std::string path;
        const char* says;
    };
    for (const OutputCase& theCase :
         {OutputCase{theFolder.PathOf("out.avi"), "'.avi'"}, OutputCase{theFolder.PathOf("out"), "no extension"},
          OutputCase{theFolder.PathOf("missing/out.mp4"), "No such file"},
          OutputCase{theFolder.PathOf("file/out.mkv"), "not a folder"},
          OutputCase{theFolder.PathOf("a%d%d.png"), "%d"}, OutputCase{theFolder.PathOf("a%x.png"), "%d"}}) {
        std::string theError;
        EXPECT_FALSE(video::CheckMovieOutput(theCase.path, theError));
        EXPECT_NE(theError.find(theCase.says), std::string::npos) << theError;
        theError.clear();
        EXPECT_FALSE(MovieWriter::Create(theCase.path, SmallSettings(), theError));
        EXPECT_NE(theError.find(theCase.says), std::string::npos) << theError;
    }
    std::string theError;
    video::MovieSettings theEmpty = SmallSettings();
    theEmpty.width = 0;
    EXPECT_FALSE(MovieWriter::Create(theFolder.PathOf("empty.mkv"), theEmpty, theError));
    std::filesystem::create_directory(theFolder.PathOf("taken.mkv"));
    EXPECT_FALSE(MovieWriter::Create(theFolder.PathOf("taken.mkv"), SmallSettings(), theError));
    EXPECT_NE(theError.find("folder"), std::string::npos) << theError;
    EXPECT_EQ(theFolder.Entries(), (std::vector<std::string>{"file", "taken.mkv"}));
}

// The file size limit makes writes fail part way, as a full disk would.
TEST(BadInput, WriteFailingPartWayLeavesNoFile)
{
    TemporaryFolder theFolder;
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit theOld;
    getrlimit(RLIMIT_FSIZE, &theOld);
    rlimit theSmall = theOld;
    theSmall.rlim_cur = 100 * 1024;
    setrlimit(RLIMIT_FSIZE, &theSmall);
    for (const char* theName : {"big.mkv", "big.mp4", "big.y4m"}) {
        video::MovieSettings theSettings = SmallSettings();
        theSettings.width = theSettings.height = 128;
        std::string theError;
        auto theWriter = MovieWriter::Create(theFolder.PathOf(theName), theSettings, theError);
        ASSERT_TRUE(theWriter) << theError;
        WorldPtr theWorld = NewWorld(128, 128);
        bool theFailed = false;
        for (unsigned theFrame = 0; theFrame < 20 && !theFailed; ++theFrame) {
            FillWithNoise(theWorld.get(), theFrame);
            theFailed = !theWriter->AddFrame(theWorld.get(), nullptr, theError);
        }
        if (!theFailed) theFailed = !theWriter->Finish(theError);
        EXPECT_TRUE(theFailed) << theName;
        EXPECT_NE(theError.find("too large"), std::string::npos) << theError;
        std::string theSecond;
        EXPECT_FALSE(theWriter->Finish(theSecond));
        EXPECT_EQ(theSecond, theError);
        theWriter.reset();
        EXPECT_TRUE(theFolder.Entries().empty()) << theName;
    }
    setrlimit(RLIMIT_FSIZE, &theOld);
}

TEST(BadInput, AMovieWithoutFramesIsNotWritten)
{
    TemporaryFolder theFolder;
    std::string theError;
    auto theWriter = MovieWriter::Create(theFolder.PathOf("none.mp4"), SmallSettings(), theError);
    ASSERT_TRUE(theWriter) << theError;
    EXPECT_FALSE(theWriter->Finish(theError));
    theWriter.reset();
    EXPECT_TRUE(theFolder.Entries().empty());
}

} // namespace
