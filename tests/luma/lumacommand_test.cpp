// glintweave luma on the command line: the file MLT reads, and bad input refused in one line
// with nothing left under the output name.
#include "Files.h"
#include "MacMemory.h"
#include "Resources.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

class LumaCommand : public testing::Test {
protected:
    void SetUp() override
    {
        std::string theTemplate = (std::filesystem::temp_directory_path() / "glintlumacmd.XXXXXX").string();
        ASSERT_NE(mkdtemp(theTemplate.data()), nullptr);
        mFolder = theTemplate;
    }
    void TearDown() override { std::filesystem::remove_all(mFolder); }

    // Exit status, and what it printed on stderr.
    int Luma(const std::string& theArguments, std::string& outErrors)
    {
        const std::string theLine = "cd '" + mFolder.string() + "' && XDG_CONFIG_HOME='" + mFolder.string() +
                                    "' '" GLINT_PROGRAM "' luma " + theArguments + " >/dev/null 2>errors.txt";
        const int theStatus = std::system(theLine.c_str());
        std::ifstream theFile(mFolder / "errors.txt");
        outErrors.assign(std::istreambuf_iterator<char>(theFile), {});
        std::filesystem::remove(mFolder / "errors.txt");
        return WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1;
    }

    std::string Read(const std::string& theName)
    {
        std::ifstream theFile(mFolder / theName, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(theFile), {});
    }

    // Saves theRegion (left, right, top, bottom) in the settings file as the dialog's OK does.
    void SaveRegion(const double (&theRegion)[4])
    {
        const std::string theInfo = "XDG_CONFIG_HOME='" + mFolder.string() + "' '" GLINT_PROGRAM "' info >/dev/null";
        ASSERT_EQ(std::system(theInfo.c_str()), 0);
        FSSpec theSpec;
        ASSERT_EQ(FSPathMakeFSSpec((mFolder / "Tamsel-Prefs").c_str(), &theSpec), noErr);
        const SInt16 theFile = FSpOpenResFile(&theSpec, fsRdWrPerm);
        ASSERT_NE(theFile, -1);
        Handle theOld = Get1Resource(FOUR_CHAR_CODE("Pref"), 1);
        ASSERT_NE(theOld, nullptr);
        Handle theRecord = NewHandle(GetHandleSize(theOld));
        ASSERT_NE(theRecord, nullptr);
        std::memcpy(*theRecord, *theOld, size_t(GetHandleSize(theOld)));
        RemoveResource(theOld);
        DisposeHandle(theOld);
        // The region follows the record's size and version words.
        std::memcpy(*theRecord + 8, theRegion, sizeof theRegion);
        AddResource(theRecord, FOUR_CHAR_CODE("Pref"), 1, PSTR("Config Settings"));
        UpdateResFile(theFile);
        CloseResFile(theFile);
        ASSERT_EQ(ResError(), noErr);
    }

    std::filesystem::path mFolder;
};

TEST_F(LumaCommand, WritesABinarySixteenBitPgmOfTheFrameSize)
{
    std::string theErrors;
    ASSERT_EQ(Luma("--size 322x186 --duration 1 --rate 25 -o map.pgm", theErrors), 0) << theErrors;
    const std::string theMap = Read("map.pgm");
    const std::string theHeader = "P5\n# Glintweave cross, 25 frames\n322 186\n65535\n";
    ASSERT_EQ(theMap.substr(0, theHeader.size()), theHeader);
    EXPECT_EQ(theMap.size(), theHeader.size() + 2u * 322 * 186);
}

TEST_F(LumaCommand, TheSavedRegionHoldsUnlessRegionIsGiven)
{
    std::string theErrors;
    ASSERT_EQ(Luma("--size 64x48 --frames 10 -o whole.pgm", theErrors), 0) << theErrors;
    SaveRegion({0.5, 1.0, 0.0, 1.0});
    ASSERT_EQ(Luma("--size 64x48 --frames 10 -o saved.pgm", theErrors), 0) << theErrors;
    ASSERT_EQ(Luma("--size 64x48 --frames 10 --region 0.5,1,0,1 -o right.pgm", theErrors), 0) << theErrors;
    ASSERT_EQ(Luma("--size 64x48 --frames 10 --region 0,1,0,1 -o given.pgm", theErrors), 0) << theErrors;
    EXPECT_EQ(Read("saved.pgm"), Read("right.pgm"));
    EXPECT_EQ(Read("given.pgm"), Read("whole.pgm"));
    // A Cross shows clip B at once outside the region: level 0 in the left half of every row.
    const std::string theSaved = Read("saved.pgm"), theWhole = Read("whole.pgm");
    const size_t theStart = theSaved.size() - 2u * 64 * 48;
    ASSERT_EQ(theSaved.size(), theWhole.size());
    EXPECT_EQ(theSaved.substr(theStart, 64), std::string(64, '\0'));
    EXPECT_NE(theWhole.substr(theStart, 64), std::string(64, '\0'));
}

TEST_F(LumaCommand, BadInputIsOneLineAndWritesNothing)
{
    const char* const theCases[] = {
        "--size 0x100 --frames 10 -o map.pgm",
        "--size -4x100 --frames 10 -o map.pgm",
        "--size 16386x100 --frames 10 -o map.pgm",
        "--size 320 --frames 10 -o map.pgm",
        "--size 320x240 --frames 0 -o map.pgm",
        "--size 320x240 --frames 40000 -o map.pgm",
        "--size 320x240 --duration 0.01 --rate 25 -o map.pgm", // no whole frame
        "--size 320x240 --duration 1 -o map.pgm",
        "--size 320x240 --frames 10 --duration 1 --rate 25 -o map.pgm",
        "--size 320x240 --frames 10 --transition wipe -o map.pgm",
        "--size 320x240 --frames 10 --region 0.5,0.2,0,1 -o map.pgm",
        "--size 320x240 --frames 10 -o map.png",
        "--size 320x240 --frames 10 -o map.PGM",
        "--size 320x240 --frames 10",
        "--size 320x240 --frames 10 -o folder.pgm -y",
        "--size 320x240 --frames 10 -o missing/map.pgm",
    };
    std::filesystem::create_directory(mFolder / "folder.pgm");
    for (const char* theCase : theCases) {
        std::string theErrors;
        EXPECT_NE(Luma(theCase, theErrors), 0) << theCase;
        EXPECT_EQ(theErrors.find('\n'), theErrors.size() - 1) << theCase << ": " << theErrors;
    }
    std::filesystem::remove(mFolder / "folder.pgm");
    for (const auto& theEntry : std::filesystem::directory_iterator(mFolder))
        ADD_FAILURE() << "left behind: " << theEntry.path().filename();
}

// What no map can replace is named at once, -y or not, as render names it; a rate libavutil
// would bring down to a million without a word is refused with the range.
TEST_F(LumaCommand, SaysAtOnceWhatIsWrong)
{
    std::filesystem::create_directory(mFolder / "folder.pgm");
    ASSERT_EQ(mkfifo((mFolder / "fifo.pgm").c_str(), 0644), 0);
    const struct {
        const char* arguments;
        const char* message;
    } theCases[] = {
        {"--frames 10 -o folder.pgm", "it is a folder; give a file name such as folder.pgm/map.pgm"},
        {"--frames 10 -o folder.pgm -y", "it is a folder"},
        {"--frames 10 -o fifo.pgm", "it is a pipe"},
        {"--frames 10 -o fifo.pgm -y", "it is a pipe"},
        {"--duration 0.01 --rate 1e9 -o map.pgm", "--rate"},
        {"--duration 1 --rate 1001 -o map.pgm", "up to 1000"},
    };
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(theCase.arguments);
        std::string theErrors;
        EXPECT_NE(Luma(std::string("--size 64x48 ") + theCase.arguments, theErrors), 0) << theErrors;
        EXPECT_EQ(theErrors.find('\n'), theErrors.size() - 1) << theErrors;
        EXPECT_EQ(theErrors.rfind("glintweave luma: ", 0), 0u) << theErrors;
        EXPECT_NE(theErrors.find(theCase.message), std::string::npos) << theErrors;
    }
    EXPECT_FALSE(std::filesystem::exists(mFolder / "map.pgm"));
}

TEST_F(LumaCommand, AnExistingFileIsReplacedOnlyWithY)
{
    std::ofstream(mFolder / "map.pgm") << "mine";
    std::string theErrors;
    EXPECT_NE(Luma("--size 64x48 --frames 10 -o map.pgm", theErrors), 0);
    EXPECT_NE(theErrors.find("-y"), std::string::npos) << theErrors;
    EXPECT_EQ(Read("map.pgm"), "mine");
    ASSERT_EQ(Luma("--size 64x48 --frames 10 -o map.pgm -y", theErrors), 0) << theErrors;
    const std::string theHeader = "P5\n# Glintweave cross, 10 frames\n64 48\n65535\n";
    EXPECT_EQ(Read("map.pgm").size(), theHeader.size() + 2u * 64 * 48);
}

} // namespace
