// Editors that take Glintweave as a track matte or a user luma play it exactly: OpenShot's
// engine (libopenshot) with a Mask transition on a matte, Blender's sequencer with a Mask
// modifier on a matte, and Flowblade's "Wipe Clip Length" compositor with a map, as melt
// renders Flowblade's project. Every transition frame shows the same new pixels as
// 'glintweave render' of the same clips and length. The clips are flat and far apart in
// brightness, so a pixel is new exactly when it is bright.
#include "hostscripts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

enum class Editor { OpenShot, Blender, Flowblade };

struct Row {
    Editor editor;
    const char* transition;
    const char* region; // nullptr: the saved settings' (the defaults here)
    bool incomingOnTop = false; // OpenShot: B on the upper track, with an inverted matte
};

void PrintTo(const Row& theRow, std::ostream* theStream)
{
    const char* theNames[] = {"openshot", "blender", "flowblade"};
    *theStream << theNames[int(theRow.editor)] << " " << theRow.transition << (theRow.region ? " in a region" : "")
               << (theRow.incomingOnTop ? ", incoming clip on top" : "");
}

constexpr int cWidth = 160, cHeight = 90, cFrames = 25, cLength = cFrames + 3;

class MatteEditors : public testing::TestWithParam<Row> {
protected:
    void SetUp() override
    {
        std::string theTemplate = (std::filesystem::temp_directory_path() / "glintmatteed.XXXXXX").string();
        ASSERT_NE(mkdtemp(theTemplate.data()), nullptr);
        mFolder = theTemplate;
        std::filesystem::create_directories(mFolder / "home/.config");
    }

    void TearDown() override { std::filesystem::remove_all(mFolder); }

    // Runs a command in the folder, with a home of its own; true when it exits with 0.
    bool Run(const std::string& theCommand)
    {
        const std::string theLine = "cd '" + mFolder.string() + "' && env -u XDG_DATA_HOME HOME='" +
                                    (mFolder / "home").string() + "' XDG_CONFIG_HOME='" +
                                    (mFolder / "home/.config").string() + "' timeout 300 " + theCommand +
                                    " >>log.txt 2>&1 </dev/null";
        const int theStatus = std::system(theLine.c_str());
        return WIFEXITED(theStatus) && WEXITSTATUS(theStatus) == 0;
    }

    std::string Log()
    {
        std::ifstream theLog(mFolder / "log.txt");
        const std::string theText{std::istreambuf_iterator<char>(theLog), {}};
        return theText.size() > 4000 ? theText.substr(theText.size() - 4000) : theText;
    }

    // Every frame of theMovie (a movie or a numbered picture sequence) as bright or not.
    std::vector<std::vector<bool>> Decode(const std::string& theMovie)
    {
        if (!Run("ffmpeg -v error -y -i '" + theMovie + "' -f rawvideo -pix_fmt gray frames.gray")) return {};
        std::ifstream theFile(mFolder / "frames.gray", std::ios::binary);
        const std::vector<unsigned char> theBytes{std::istreambuf_iterator<char>(theFile), {}};
        std::filesystem::remove(mFolder / "frames.gray");
        const size_t thePixels = size_t(cWidth) * cHeight;
        std::vector<std::vector<bool>> theFrames(theBytes.size() / thePixels);
        for (size_t f = 0; f < theFrames.size(); ++f)
            for (size_t i = 0; i < thePixels; ++i) theFrames[f].push_back(theBytes[f * thePixels + i] > 128);
        return theFrames;
    }

    std::filesystem::path mFolder;
};

bool Installed(Editor theEditor)
{
    const char* const theChecks[] = {"/usr/bin/python3 -c 'import openshot' >/dev/null 2>&1",
                                     "command -v blender >/dev/null 2>&1", "command -v melt >/dev/null 2>&1"};
    return std::system(theChecks[int(theEditor)]) == 0;
}

TEST_P(MatteEditors, EveryTransitionFrameShowsTheRendersNewPixels)
{
    const Row& theRow = GetParam();
    const char* const thePackages[] = {"python3-openshot", "blender", "melt"};
    if (!Installed(theRow.editor))
        GTEST_SKIP() << thePackages[int(theRow.editor)] << " is not installed (scripts/packages/editors.txt)";
    const std::string theProgram = GLINT_PROGRAM, theScripts = GLINT_SCRIPTS;
    const std::string theTransition = theRow.transition;
    const std::string theRegion = theRow.region ? std::string(" --region ") + theRow.region : "";
    const std::string theSize = std::to_string(cWidth) + "x" + std::to_string(cHeight);
    const std::string theLength = " --frames " + std::to_string(cFrames);
    // Clip A dark, clip B bright; for Out clip B is the fill colour's clip.
    for (const auto& [theName, theColour] : {std::pair{"a", "0x202020"}, {"b", "0xE0E0E0"}})
        ASSERT_TRUE(Run("ffmpeg -v error -y -f lavfi -i color=c=" + std::string(theColour) + ":s=" + theSize +
                        ":r=25,trim=end_frame=" + std::to_string(cLength) + " -c:v ffv1 -pix_fmt yuv444p " + theName +
                        ".mkv"))
            << Log();
    const std::string theClips = theTransition == "cross" ? "a.mkv b.mkv" : "--fill '#E0E0E0' a.mkv";
    ASSERT_TRUE(Run("'" + theProgram + "' render --transition " + theTransition + theLength + " --size " + theSize +
                    theRegion + " " + theClips + " -o render.mkv"))
        << Log();

    const std::string theArguments = std::to_string(cWidth) + " " + std::to_string(cHeight) + " " +
                                     std::to_string(cLength) + " " + std::to_string(cFrames) +
                                     " a.mkv b.mkv matte.mkv frames/f";
    const std::string theWipe = " --size " + theSize + theLength + " --transition " + theTransition + theRegion;
    std::filesystem::create_directories(mFolder / "frames");
    std::string theOutput = "frames/f%04d.png";
    switch (theRow.editor) {
    case Editor::OpenShot:
        ASSERT_TRUE(Run("'" + theProgram + "' matte" + theWipe + (theRow.incomingOnTop ? " --invert" : "") +
                        " -o matte.mkv"))
            << Log();
        ASSERT_TRUE(Run("/usr/bin/python3 '" + theScripts + "/openshot_matte.py' " + theArguments +
                        (theRow.incomingOnTop ? " incoming-on-top" : "")))
            << Log();
        break;
    case Editor::Blender:
        ASSERT_TRUE(Run("'" + theProgram + "' matte" + theWipe + " -o matte.mkv")) << Log();
        ASSERT_TRUE(Run("blender -b --factory-startup -noaudio --python-exit-code 1 --python '" + theScripts +
                        "/blender_matte.py' -- " + theArguments))
            << Log();
        // Numbered from 1, which FFmpeg's picture reader finds by itself.
        break;
    case Editor::Flowblade: {
        const std::string theMap = (mFolder / ("Glintweave " + theSize + ".pgm")).string();
        ASSERT_TRUE(Run("'" + theProgram + "' luma" + theWipe + " -o '" + theMap + "'")) << Log();
        const HostShot theShot{cWidth, cHeight, cLength, cFrames, theMap};
        std::ofstream(mFolder / "profile") << ProfileFile(theShot);
        std::ofstream(mFolder / "flowblade.mlt") << FlowbladeProject(theShot);
        // Debian 12's melt now and then stops before its first frame on a busy machine.
        bool theRendered = false;
        for (int theTry = 0; theTry < 4 && !theRendered; ++theTry) {
            std::error_code theError;
            theRendered = Run(MeltProjectCommand("flowblade.mlt")) &&
                          std::filesystem::file_size(mFolder / "out.mkv", theError) > 0;
        }
        ASSERT_TRUE(theRendered) << Log();
        theOutput = "out.mkv";
        break;
    }
    }

    const auto theRender = Decode("render.mkv");
    const auto theEditor = Decode(theOutput);
    ASSERT_EQ(theEditor.size(), size_t(2 * cLength - cFrames)) << Log();
    ASSERT_GE(theRender.size(), size_t(cLength));
    for (int f = 0; f < cFrames; ++f) {
        const std::vector<bool>& theOurs = theRender[cLength - cFrames + f];
        const std::vector<bool>& theTheirs = theEditor[cLength - cFrames + f];
        int theMismatches = 0, theNew = 0;
        for (size_t i = 0; i < theOurs.size(); ++i) {
            theMismatches += theOurs[i] != theTheirs[i];
            theNew += theOurs[i];
        }
        EXPECT_EQ(theMismatches, 0) << "transition frame " << f << " (the render shows " << theNew << " pixels new)";
    }
    // Before the transition A alone, after it B alone.
    EXPECT_EQ(theEditor.front(), theRender.front());
    EXPECT_EQ(theEditor.back(), std::vector<bool>(theEditor.back().size(), true));
}

constexpr const char* cRegion = "0.25,0.75,0.125,0.875";

INSTANTIATE_TEST_SUITE_P(
    CrossOutAndRegion, MatteEditors,
    testing::Values(Row{Editor::OpenShot, "cross", nullptr}, Row{Editor::OpenShot, "out", nullptr},
                    Row{Editor::OpenShot, "cross", cRegion}, Row{Editor::OpenShot, "cross", nullptr, true},
                    Row{Editor::Blender, "cross", nullptr},
                    Row{Editor::Blender, "out", nullptr}, Row{Editor::Blender, "cross", cRegion},
                    Row{Editor::Flowblade, "cross", nullptr}, Row{Editor::Flowblade, "out", nullptr},
                    Row{Editor::Flowblade, "cross", cRegion}));

} // namespace
