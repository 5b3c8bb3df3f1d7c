#include "pluginfixture.h"
#include "programrun.h"

#include "Files.h"
#include "Resources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace rendertest;

namespace {

constexpr int cWidth = 160, cHeight = 120;

std::string FileBytes(const std::string& thePath)
{
    std::ifstream theStream(thePath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(theStream), {});
}

// One pixel of an RGB picture of cWidth columns.
std::array<int, 3> PixelAt(const std::vector<uint8_t>& thePicture, int theX, int theY)
{
    const size_t theAt = (size_t(theY) * cWidth + size_t(theX)) * 3;
    return {thePicture[theAt], thePicture[theAt + 1], thePicture[theAt + 2]};
}

class OneRenderSettingsTest : public testing::Test {
protected:
    videotest::TemporaryFolder folder;
    std::string clipA = folder.PathOf("a.mp4"), clipB = folder.PathOf("b.mp4");

    void SetUp() override
    {
        for (const auto& [thePattern, thePath] : {std::pair{"testsrc2", clipA}, std::pair{"smptebars", clipB}}) {
            ASSERT_EQ(RunCommand(std::string("ffmpeg -v error -f lavfi -i ") + thePattern + "=size=160x120:rate=25:duration=2 "
                                 "-c:v libx264 -pix_fmt yuv420p '" + thePath + "'"),
                      0);
        }
    }

    // Renders into theName with theOptions, replacing an earlier one; the movie's path.
    std::string Render(const std::string& theOptions, const std::string& theName)
    {
        std::string theErrors;
        const std::string theMovie = folder.PathOf(theName);
        EXPECT_EQ(RunGlintweave("render -y " + theOptions + " -o '" + theMovie + "'", nullptr, &theErrors), 0) << theErrors;
        return theMovie;
    }
};

} // namespace

// Lengths and places: a Cross of two 50-frame clips overlaps them by the transition's length.
TEST_F(OneRenderSettingsTest, FramesDurationAndAtPlaceTheTransition)
{
    struct Case {
        std::string options;
        int frames;     // of the movie
        int lastOfA;    // the movie's last frame before the transition: clip A's frame of that number
        int firstOfB;   // the movie's first frame after the transition
        int frameOfB;   // the frame of clip B it shows
    };
    const std::string theClips = " '" + clipA + "' '" + clipB + "'";
    for (const Case& theCase : {Case{"--frames 30", 70, 19, 50, 30}, Case{"--duration 1.2", 70, 19, 50, 30},
                                Case{"--frames 1", 99, 48, 50, 1}, Case{"--at 0.4 --frames 10", 60, 9, 20, 10}}) {
        SCOPED_TRACE(theCase.options);
        const std::string theMovie = Render("--transition cross " + theCase.options + theClips, "cross.mkv");
        EXPECT_EQ(FfprobeFrameCount(theMovie), theCase.frames);
        EXPECT_LE(DifferenceOf(FfmpegFrame(theMovie, theCase.lastOfA), FfmpegFrame(clipA, theCase.lastOfA)).mean, 1.0);
        EXPECT_LE(DifferenceOf(FfmpegFrame(theMovie, theCase.firstOfB), FfmpegFrame(clipB, theCase.frameOfB)).mean, 1.0);
        // The frame before is the transition's last, not yet all clip B.
        EXPECT_GT(DifferenceOf(FfmpegFrame(theMovie, theCase.firstOfB - 1), FfmpegFrame(clipB, theCase.frameOfB - 1)).mean,
                  1.0);
    }
}

// --fill and --region show in the pixels, and the saved settings stay as they were, byte for byte.
TEST_F(OneRenderSettingsTest, FillAndRegionHoldForOneRenderOnly)
{
    // A first render saves the defaults.
    Render("--transition out --speed 0 '" + clipA + "'", "plain.mkv");
    const std::string theSettingsFile = (testing_support::PreferencesFolder() / "Tamsel-Prefs").string();
    const std::string theSaved = FileBytes(theSettingsFile);
    ASSERT_FALSE(theSaved.empty());

    // Out ends on the given colour inside the region, clip A outside it.
    const std::string theRegion = " --region 0.25,0.75,0.25,0.75 ";
    const std::string theOut = Render("--transition out --frames 10 --fill '#FF8000'" + theRegion + "'" + clipA + "'", "out.mkv");
    ASSERT_EQ(FfprobeFrameCount(theOut), 51);
    const std::vector<uint8_t> theEnd = FfmpegFrame(theOut, 50), theLastOfA = FfmpegFrame(clipA, 49);
    for (const auto& [theX, theY] : {std::pair{40, 30}, std::pair{80, 60}, std::pair{119, 89}}) {
        const std::array<int, 3> thePixel = PixelAt(theEnd, theX, theY);
        EXPECT_NEAR(thePixel[0], 255, 2);
        EXPECT_NEAR(thePixel[1], 128, 2);
        EXPECT_NEAR(thePixel[2], 0, 2);
    }
    for (const auto& [theX, theY] : {std::pair{10, 10}, std::pair{150, 110}, std::pair{80, 20}}) {
        const std::array<int, 3> theGot = PixelAt(theEnd, theX, theY), theClip = PixelAt(theLastOfA, theX, theY);
        for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(theGot[c], theClip[c], 3) << theX << "," << theY;
    }
    // A Cross shows clip B outside the region from its first frame; a CSS name works as well.
    const std::string theCross =
        Render("--transition cross --frames 10 --fill orange" + theRegion + "'" + clipA + "' '" + clipB + "'", "cross.mkv");
    const std::vector<uint8_t> theFirst = FfmpegFrame(theCross, 40), theB = FfmpegFrame(clipB, 0),
                               theA = FfmpegFrame(clipA, 40);
    for (const auto& [theX, theY] : {std::pair{10, 10}, std::pair{150, 110}}) {
        const std::array<int, 3> theGot = PixelAt(theFirst, theX, theY), theWanted = PixelAt(theB, theX, theY);
        for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(theGot[c], theWanted[c], 3) << theX << "," << theY;
    }
    const std::array<int, 3> theInside = PixelAt(theFirst, 80, 60), theInsideA = PixelAt(theA, 80, 60);
    for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(theInside[c], theInsideA[c], 3);

    EXPECT_EQ(FileBytes(theSettingsFile), theSaved);
}

// A saved record the user has protected: the render's own copy of the settings takes the flags
// all the same, and the user's file stays as it was.
TEST_F(OneRenderSettingsTest, AProtectedSavedRecordStillTakesTheFlags)
{
    Render("--transition out --speed 0 '" + clipA + "'", "plain.mkv");
    const std::string theSettingsFile = (testing_support::PreferencesFolder() / "Tamsel-Prefs").string();
    FSSpec theSpec;
    ASSERT_EQ(FSPathMakeFSSpec(theSettingsFile.c_str(), &theSpec), noErr);
    const SInt16 theFile = FSpOpenResFile(&theSpec, fsRdWrPerm);
    ASSERT_NE(theFile, -1);
    SetResAttrs(Get1Resource(FOUR_CHAR_CODE("Pref"), 1), resProtected);
    CloseResFile(theFile);
    ASSERT_EQ(ResError(), noErr);
    const std::string theSaved = FileBytes(theSettingsFile);

    const std::string theOut = Render("--transition out --frames 10 --fill '#FF8000' '" + clipA + "'", "out.mkv");
    const std::array<int, 3> theEnd = PixelAt(FfmpegFrame(theOut, 50), 80, 60);
    EXPECT_NEAR(theEnd[0], 255, 2);
    EXPECT_NEAR(theEnd[1], 128, 2);
    EXPECT_NEAR(theEnd[2], 0, 2);
    EXPECT_EQ(FileBytes(theSettingsFile), theSaved);
}

// A relative TMPDIR: the render's settings folder is still found, so the flags hold, and
// nothing is left in it.
TEST_F(OneRenderSettingsTest, ARelativeTemporaryFolderStillTakesTheFlags)
{
    testing_support::PreferencesFolder();
    std::filesystem::create_directory(folder.PathOf("tmp"));
    std::string theErrors;
    ASSERT_EQ(RunCommand("cd '" + folder.Path() + "' && TMPDIR=tmp '" GLINT_PROGRAM_PATH "' render -y --transition out "
                         "--frames 10 --fill '#FF8000' a.mp4 -o out.mkv",
                         nullptr, &theErrors),
              0)
        << theErrors;
    const std::array<int, 3> theEnd = PixelAt(FfmpegFrame(folder.PathOf("out.mkv"), 50), 80, 60);
    EXPECT_NEAR(theEnd[0], 255, 2);
    EXPECT_NEAR(theEnd[1], 128, 2);
    EXPECT_NEAR(theEnd[2], 0, 2);
    EXPECT_TRUE(std::filesystem::is_empty(folder.PathOf("tmp")));
}
