// glintweave matte on the command line: every frame of the matte is white exactly where a real
// render of the same transition and length shows the new picture, in each kind of file, and
// bad input is refused in one line with nothing left under the output name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

class MatteCommand : public testing::Test {
protected:
    void SetUp() override
    {
        std::string theTemplate = (std::filesystem::temp_directory_path() / "glintmatte.XXXXXX").string();
        ASSERT_NE(mkdtemp(theTemplate.data()), nullptr);
        mFolder = theTemplate;
    }
    void TearDown() override { std::filesystem::remove_all(mFolder); }

    // Exit status; what it printed on stderr goes to outErrors.
    int Run(const std::string& theCommand, std::string& outErrors)
    {
        const std::string theLine = "cd '" + mFolder.string() + "' && export XDG_CONFIG_HOME='" + mFolder.string() +
                                    "' && { " + theCommand + "; } >/dev/null 2>errors.txt </dev/null";
        const int theStatus = std::system(theLine.c_str());
        std::ifstream theFile(mFolder / "errors.txt");
        outErrors.assign(std::istreambuf_iterator<char>(theFile), {});
        std::filesystem::remove(mFolder / "errors.txt");
        return WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1;
    }
    int Glintweave(const std::string& theArguments, std::string& outErrors)
    {
        return Run("'" GLINT_PROGRAM "' " + theArguments, outErrors);
    }

    // The movie's pictures as raw bytes of thePixelFormat, all frames one after the other.
    Bytes Decode(const std::string& theMovie, const std::string& thePixelFormat)
    {
        std::string theErrors;
        EXPECT_EQ(Run("ffmpeg -v error -y -i '" + theMovie + "' -f rawvideo -pix_fmt " + thePixelFormat + " raw.bin",
                      theErrors),
                  0)
            << theErrors;
        std::ifstream theFile(mFolder / "raw.bin", std::ios::binary);
        Bytes theBytes{std::istreambuf_iterator<char>(theFile), {}};
        std::filesystem::remove(mFolder / "raw.bin");
        return theBytes;
    }

    std::filesystem::path mFolder;
};

struct Row {
    const char* transition;
    int width, height, frames;
    const char* region; // nullptr: the saved settings' (the defaults here)
    bool invert;
};

void PrintTo(const Row& theRow, std::ostream* theStream)
{
    *theStream << theRow.transition << " " << theRow.width << "x" << theRow.height << " " << theRow.frames
               << " frames" << (theRow.region ? " in a region" : "") << (theRow.invert ? " inverted" : "");
}

class MatteAgainstRender : public MatteCommand, public testing::WithParamInterface<Row> {};

TEST_P(MatteAgainstRender, EveryFrameIsWhiteExactlyWhereTheRenderShowsNew)
{
    const Row& theRow = GetParam();
    const std::string theSize = std::to_string(theRow.width) + "x" + std::to_string(theRow.height);
    const std::string theLength = " --frames " + std::to_string(theRow.frames);
    const std::string theRegion = theRow.region ? std::string(" --region ") + theRow.region : "";
    const int L = theRow.frames + 3, N = theRow.frames;
    std::string theErrors;
    // Clip A dark, clip B bright: a pixel of the render is new exactly when it is bright.
    for (const auto& [theName, theColour] : {std::pair{"a", "0x202020"}, {"b", "0xE0E0E0"}})
        ASSERT_EQ(Run("ffmpeg -v error -y -f lavfi -i color=c=" + std::string(theColour) + ":s=" + theSize +
                          ":r=25,trim=end_frame=" + std::to_string(L) + " -c:v ffv1 -pix_fmt yuv444p " + theName +
                          ".mkv",
                      theErrors),
                  0)
            << theErrors;
    const std::string theTransition = theRow.transition;
    const std::string theClips = theTransition == "cross" ? "a.mkv b.mkv"
                                 : theTransition == "out" ? "--fill '#E0E0E0' a.mkv"
                                                          : "--fill '#202020' b.mkv";
    ASSERT_EQ(Glintweave("render --transition " + theTransition + theLength + " --size " + theSize + theRegion + " " +
                             theClips + " -o render.mkv",
                         theErrors),
              0)
        << theErrors;
    ASSERT_EQ(Glintweave("matte --size " + theSize + theLength + " --transition " + theTransition + theRegion +
                             (theRow.invert ? " --invert" : "") + " -o matte.mkv",
                         theErrors),
              0)
        << theErrors;

    const size_t thePixels = size_t(theRow.width) * size_t(theRow.height);
    const Bytes theRender = Decode("render.mkv", "gray");
    const Bytes theMatte = Decode("matte.mkv", "gray");
    ASSERT_EQ(theMatte.size(), thePixels * size_t(N));
    // In starts its clip with the transition; Out and Cross end clip A with it.
    const size_t theStart = theTransition == "in" ? 0 : size_t(L - N);
    ASSERT_GE(theRender.size(), thePixels * (theStart + size_t(N)));
    for (int f = 0; f < N; ++f) {
        int theMismatches = 0, theGreys = 0;
        for (size_t i = 0; i < thePixels; ++i) {
            const unsigned char theValue = theMatte[size_t(f) * thePixels + i];
            theGreys += theValue != 0 && theValue != 255;
            const bool theNew = theRender[(theStart + size_t(f)) * thePixels + i] > 128;
            theMismatches += (theValue == 255) != (theNew != theRow.invert);
        }
        EXPECT_EQ(theGreys, 0) << "matte frame " << f + 1;
        EXPECT_EQ(theMismatches, 0) << "matte frame " << f + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Transitions, MatteAgainstRender,
                         testing::Values(Row{"cross", 64, 48, 10, nullptr, false},
                                         Row{"out", 66, 50, 25, "0.25,0.75,0.125,0.875", false},
                                         Row{"in", 61, 47, 7, nullptr, true}, Row{"cross", 160, 90, 1, nullptr, false}));

TEST_F(MatteCommand, PicturesAndProResHoldTheSameBlackAndWhite)
{
    std::string theErrors;
    const std::string theMatte = "matte --size 64x48 --frames 10 --rate 30000/1001 -o ";
    ASSERT_EQ(Glintweave(theMatte + "matte.mkv", theErrors), 0) << theErrors;
    ASSERT_EQ(Glintweave(theMatte + "shot.png", theErrors), 0) << theErrors;
    ASSERT_EQ(Glintweave(theMatte + "matte.mov", theErrors), 0) << theErrors;

    // Numbered as render numbers a sequence: from 0, five digits unless the name says.
    for (int f = 0; f < 10; ++f) {
        char theName[32];
        std::snprintf(theName, sizeof theName, "shot_%05d.png", f);
        EXPECT_TRUE(std::filesystem::is_regular_file(mFolder / theName)) << theName;
    }
    EXPECT_FALSE(std::filesystem::exists(mFolder / "shot_00010.png"));
    ASSERT_EQ(Run("ffprobe -v error -select_streams v -show_entries stream=pix_fmt,r_frame_rate,profile "
                  "-of csv=p=0 matte.mov > probe.txt; ffprobe -v error -show_entries stream=pix_fmt,r_frame_rate "
                  "-of csv=p=0 matte.mkv >> probe.txt; ffprobe -v error -show_entries stream=pix_fmt "
                  "-of csv=p=0 shot_00000.png >> probe.txt",
                  theErrors),
              0)
        << theErrors;
    std::ifstream theProbe(mFolder / "probe.txt");
    const std::string theFacts{std::istreambuf_iterator<char>(theProbe), {}};
    EXPECT_EQ(theFacts, "4444,yuva444p12le,30000/1001\ngray,30000/1001\ngray\n");

    const Bytes theGrey = Decode("matte.mkv", "gray");
    ASSERT_EQ(theGrey.size(), 64u * 48 * 10);
    EXPECT_EQ(Decode("shot_%05d.png", "gray"), theGrey);
    // ProRes keeps its 16-bit alpha losslessly: 0 and 1023 in 10 bits. Its picture is lossy
    // (DCT), within a level of black and white.
    const Bytes theProRes = Decode("matte.mov", "yuva444p10le");
    const Bytes thePicture = Decode("matte.mov", "gray");
    const size_t thePixels = 64 * 48;
    ASSERT_EQ(theProRes.size(), theGrey.size() * 8);
    ASSERT_EQ(thePicture.size(), theGrey.size());
    size_t theAlphaOff = 0, thePictureOff = 0, theWhite = 0;
    for (size_t i = 0; i < theGrey.size(); ++i) {
        const size_t theAt = (i / thePixels) * 4 * thePixels + 3 * thePixels + i % thePixels;
        const unsigned theAlpha = theProRes[2 * theAt] | unsigned(theProRes[2 * theAt + 1]) << 8;
        theAlphaOff += theAlpha != (theGrey[i] == 255 ? 1023u : 0u);
        thePictureOff += std::abs(int(thePicture[i]) - int(theGrey[i])) > 1;
        theWhite += theGrey[i] == 255;
    }
    EXPECT_EQ(theAlphaOff, 0u);
    EXPECT_EQ(thePictureOff, 0u);
    EXPECT_GT(theWhite, 0u);
    EXPECT_LT(theWhite, theGrey.size());
}

TEST_F(MatteCommand, BadInputIsOneLineAndWritesNothing)
{
    std::vector<std::string> theCases = {
        "--size 0x100 --frames 10 -o m.mkv",
        "--size 16386x100 --frames 10 -o m.mkv",
        "--size 16384x16384 --frames 1 -o m.png", // more pixels than FFmpeg's pictures hold
        "--size 320x240 --frames 0 -o m.mkv",
        "--size 320x240 --frames 40000 -o m.mkv",
        "--size 320x240 --duration 0.01 --rate 25 -o m.mkv", // no whole frame
        "--size 320x240 --duration 1 -o m.mkv",
        "--size 320x240 --frames 10 --duration 1 --rate 25 -o m.mkv",
        "--size 321x240 --frames 10 -o m.mov", // ProRes: even sizes only
        "--size 320x241 --frames 10 -o m.mov",
        "--size 320x240 --frames 10 -o m.mp4",
        "--size 320x240 --frames 10 -o m",
        "--size 320x240 --frames 10",
        "--size 320x240 --frames 10 --invert=yes -o m.mkv",
        "--size 320x240 --frames 10 -o folder.mkv -y",
        "--size 320x240 --frames 10 -o missing/m.mkv",
        "--size 320x240 --frames 10 -o file/m.png",
        "--size 320x240 --frames 10 -o m.mkv stray",
    };
    std::filesystem::create_directory(mFolder / "folder.mkv");
    std::ofstream(mFolder / "file") << "not a folder";
    std::filesystem::create_directory(mFolder / "locked");
    std::filesystem::permissions(mFolder / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (geteuid() != 0) theCases.push_back("--size 320x240 --frames 10 -o locked/m.mkv");
    for (const std::string& theCase : theCases) {
        std::string theErrors;
        EXPECT_NE(Glintweave("matte " + theCase, theErrors), 0) << theCase;
        EXPECT_EQ(theErrors.find('\n'), theErrors.size() - 1) << theCase << ": " << theErrors;
        EXPECT_EQ(theErrors.rfind("glintweave matte: ", 0), 0u) << theCase << ": " << theErrors;
    }
    std::filesystem::remove(mFolder / "folder.mkv");
    std::filesystem::remove(mFolder / "file");
    EXPECT_TRUE(std::filesystem::is_empty(mFolder / "locked"));
    std::filesystem::remove(mFolder / "locked");
    for (const auto& theEntry : std::filesystem::directory_iterator(mFolder))
        ADD_FAILURE() << "left behind: " << theEntry.path().filename();
}

TEST_F(MatteCommand, AnExistingMatteIsReplacedOnlyWithY)
{
    std::ofstream(mFolder / "matte.mkv") << "mine";
    std::ofstream(mFolder / "shot_00000.png") << "mine";
    std::string theErrors;
    for (const char* theName : {"matte.mkv", "shot.png"}) {
        EXPECT_NE(Glintweave(std::string("matte --size 64x48 --frames 4 -o ") + theName, theErrors), 0);
        EXPECT_NE(theErrors.find("-y"), std::string::npos) << theErrors;
    }
    std::ifstream theKept(mFolder / "matte.mkv");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(theKept), {}), "mine");
    ASSERT_EQ(Glintweave("matte --size 64x48 --frames 4 -o matte.mkv -y", theErrors), 0) << theErrors;
    EXPECT_EQ(Decode("matte.mkv", "gray").size(), 64u * 48 * 4);
}

} // namespace
