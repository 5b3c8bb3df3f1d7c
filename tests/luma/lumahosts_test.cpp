// The real hosts play a map that 'glintweave luma' wrote, and every transition frame shows the
// same new pixels as 'glintweave render' of the same clips, transition and length. The clips
// are flat and far apart in brightness, so a pixel is new exactly when it is bright.
#include "hostscripts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

// KdenliveInstalled plays the map that 'glintweave install' put in Kdenlive's folder for the
// size, made for 32000 frames: a length that divides 32000 gets the render's own order.
enum class Host { Melt, Shotcut, Kdenlive, KdenliveInstalled, Ffmpeg };

struct Row {
    Host host;
    int width, height, frames;
    const char* transition;
    const char* region; // nullptr: the saved settings' (the defaults here)
};

void PrintTo(const Row& theRow, std::ostream* theStream)
{
    const char* theNames[] = {"melt", "shotcut", "kdenlive", "kdenlive-installed", "ffmpeg"};
    *theStream << theNames[int(theRow.host)] << " " << theRow.transition << " " << theRow.width << "x"
               << theRow.height << " " << theRow.frames << " frames" << (theRow.region ? " in a region" : "");
}

using Frames = std::vector<std::vector<bool>>; // per frame, per pixel: bright

class LumaHosts : public testing::TestWithParam<Row> {
protected:
    void SetUp() override
    {
        std::string theTemplate = (std::filesystem::temp_directory_path() / "glintluma.XXXXXX").string();
        ASSERT_NE(mkdtemp(theTemplate.data()), nullptr);
        mFolder = theTemplate;
        std::filesystem::create_directories(mFolder / "home/.config");
    }

    void TearDown() override
    {
        if (!HasFailure()) std::filesystem::remove_all(mFolder);
    }

    // Runs a command in the folder, with a home of its own; true when it exits with 0.
    bool Run(const std::string& theCommand)
    {
        const std::string theLine = "cd '" + mFolder.string() + "' && env -u XDG_DATA_HOME HOME='" +
                                    (mFolder / "home").string() + "' XDG_CONFIG_HOME='" +
                                    (mFolder / "home/.config").string() + "' timeout 120 " + theCommand +
                                    " >>log.txt 2>&1 </dev/null";
        const int theStatus = std::system(theLine.c_str());
        return WIFEXITED(theStatus) && WEXITSTATUS(theStatus) == 0;
    }

    std::string Log()
    {
        std::ifstream theLog(mFolder / "log.txt");
        return std::string(std::istreambuf_iterator<char>(theLog), {});
    }

    void Write(const std::string& theName, const std::string& theText)
    {
        std::ofstream(mFolder / theName) << theText;
    }

    // The movie's frames as brightness above half or not.
    Frames Decode(const std::string& theMovie, int theWidth, int theHeight)
    {
        const std::string theRaw = theMovie + ".gray";
        if (!Run("ffmpeg -v error -y -i " + theMovie + " -f rawvideo -pix_fmt gray " + theRaw)) return {};
        std::ifstream theFile(mFolder / theRaw, std::ios::binary);
        const std::vector<unsigned char> theBytes{std::istreambuf_iterator<char>(theFile), {}};
        const size_t thePixels = size_t(theWidth) * theHeight;
        Frames theFrames(theBytes.size() / thePixels);
        for (size_t f = 0; f < theFrames.size(); ++f)
            for (size_t i = 0; i < thePixels; ++i) theFrames[f].push_back(theBytes[f * thePixels + i] > 128);
        return theFrames;
    }

    // Debian 12's melt now and then stops before its first frame when the machine is busy: such
    // a run is made again.
    bool RunHost(const std::string& theCommand)
    {
        for (int theTry = 0; theTry < 4; ++theTry) {
            std::filesystem::remove(mFolder / "out.mkv");
            std::error_code theError;
            if (Run(theCommand) && std::filesystem::file_size(mFolder / "out.mkv", theError) > 0) return true;
        }
        return false;
    }

    std::filesystem::path mFolder;
};

TEST_P(LumaHosts, EveryTransitionFrameShowsTheRendersNewPixels)
{
    const Row& theRow = GetParam();
    const std::string theProgram = GLINT_PROGRAM;
    const std::string theTransition = theRow.transition;
    const std::string theRegion = theRow.region ? std::string(" --region ") + theRow.region : "";
    const int L = theRow.frames + 3, N = theRow.frames;
    const std::string theSize = std::to_string(theRow.width) + "x" + std::to_string(theRow.height);
    // Clip A dark, clip B bright; for Out and In they are also the fill colour's clip.
    for (const auto& [theName, theColour] : {std::pair{"a", "0x202020"}, {"b", "0xE0E0E0"}})
        ASSERT_TRUE(Run("ffmpeg -v error -y -f lavfi -i color=c=" + std::string(theColour) + ":s=" + theSize +
                        ":r=25,trim=end_frame=" + std::to_string(L) + " -c:v ffv1 -pix_fmt yuv444p " + theName +
                        ".mkv"))
            << Log();

    // The map goes where each host's users keep them.
    std::string theMap = "Glintweave " + theSize + ".pgm";
    if (theRow.host == Host::Kdenlive) {
        std::filesystem::create_directories(mFolder / "home/.local/share/kdenlive/lumas/HD");
        theMap = (mFolder / "home/.local/share/kdenlive/lumas/HD" / theMap).string();
    } else if (theRow.host == Host::Shotcut) {
        std::filesystem::create_directories(mFolder / "home/.local/share/Meltytech/Shotcut/transitions");
        theMap = (mFolder / "home/.local/share/Meltytech/Shotcut/transitions" / theMap).string();
    }
    if (theRow.host == Host::KdenliveInstalled) {
        ASSERT_TRUE(Run("'" + theProgram + "' install")) << Log();
        const char* theFolder = theRow.width != 720 ? "HD" : theRow.height == 576 ? "PAL" : "NTSC";
        theMap = (mFolder / "home/.local/share/kdenlive/lumas" / theFolder / theMap).string();
    } else {
        ASSERT_TRUE(Run("'" + theProgram + "' luma --size " + theSize + " --frames " + std::to_string(N) +
                        " --transition " + theTransition + theRegion + " -o '" + theMap + "'"))
            << Log();
    }

    const std::string theClips = theTransition == "cross" ? "a.mkv b.mkv"
                                 : theTransition == "out" ? "--fill '#E0E0E0' a.mkv"
                                                          : "--fill '#202020' b.mkv";
    ASSERT_TRUE(Run("'" + theProgram + "' render --transition " + theTransition + " --frames " + std::to_string(N) +
                    " --size " + theSize + theRegion + " " + theClips + " -o render.mkv"))
        << Log();

    const HostShot theShot{theRow.width, theRow.height, L, N, theMap};
    Write("profile", ProfileFile(theShot));
    bool theRendered = false;
    switch (theRow.host) {
    case Host::Melt:
        theRendered = RunHost(MeltCommand(theShot));
        break;
    case Host::Shotcut:
        Write("project.mlt", ShotcutProject(theShot));
        theRendered = RunHost(MeltProjectCommand("project.mlt"));
        break;
    case Host::Kdenlive:
    case Host::KdenliveInstalled:
        Write("project.kdenlive", KdenliveProject(theShot));
        theRendered = RunHost(MeltProjectCommand("project.kdenlive"));
        break;
    case Host::Ffmpeg:
        theRendered = RunHost(FfmpegCommand(theShot));
        break;
    }
    ASSERT_TRUE(theRendered) << Log();

    const Frames theRender = Decode("render.mkv", theRow.width, theRow.height);
    const Frames theHost = Decode("out.mkv", theRow.width, theRow.height);
    ASSERT_EQ(theHost.size(), size_t(2 * L - N)) << Log();
    // In starts its clip with the transition; Out and Cross end clip A with it.
    const int theRenderStart = theTransition == "in" ? 0 : L - N;
    ASSERT_GE(theRender.size(), size_t(theRenderStart + N));
    for (int f = 0; f < N; ++f) {
        const std::vector<bool>& theOurs = theRender[theRenderStart + f];
        const std::vector<bool>& theTheirs = theHost[L - N + f];
        int theMismatches = 0, theNew = 0;
        for (size_t i = 0; i < theOurs.size(); ++i) {
            theMismatches += theOurs[i] != theTheirs[i];
            theNew += theOurs[i];
        }
        EXPECT_EQ(theMismatches, 0) << "transition frame " << f << " (the render shows " << theNew << " pixels new)";
    }
}

INSTANTIATE_TEST_SUITE_P(
    SizesLengthsAndTransitions, LumaHosts,
    testing::Values(Row{Host::Melt, 322, 186, 10, "cross", nullptr}, Row{Host::Melt, 160, 120, 2, "cross", nullptr},
                    Row{Host::Melt, 160, 120, 66, "out", nullptr}, Row{Host::Melt, 720, 576, 25, "in", nullptr},
                    Row{Host::Shotcut, 322, 186, 25, "cross", nullptr},
                    Row{Host::Shotcut, 160, 120, 1, "cross", nullptr},
                    Row{Host::Shotcut, 1920, 1080, 10, "cross", nullptr},
                    Row{Host::Kdenlive, 720, 480, 10, "cross", nullptr},
                    Row{Host::Kdenlive, 322, 186, 25, "out", "0.25,0.75,0.125,0.875"},
                    Row{Host::KdenliveInstalled, 720, 576, 25, "cross", nullptr},
                    Row{Host::Ffmpeg, 322, 186, 25, "cross", nullptr},
                    Row{Host::Ffmpeg, 160, 120, 1, "in", "0.5,1,0,1"},
                    Row{Host::Ffmpeg, 720, 576, 10, "out", nullptr}));

} // namespace
