// What the tests that render through MLT share: a folder of their own, commands run in it, and
// the check of a rendered transition. Everything stays RGB and lossless, so every pixel can be
// told apart exactly.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>



constexpr int cWidth = 160, cHeight = 120;
// Both clips are 40 frames and overlap by 20, so the output has 60 frames and the transition is
// frames 20 to 39.
constexpr int cFirstMixed = 20, cMixFrames = 20, cMovieFrames = 60;
constexpr unsigned cA = 0xC82828, cB = 0x28C83C, cFill = 0x1020F0;

using Frame = std::vector<unsigned>; // 0xRRGGBB, row by row

class MixerMovies : public testing::Test {
protected:
    static inline std::filesystem::path lgFolder;

    static void SetUpTestSuite()
    {
        std::string theTemplate = (std::filesystem::temp_directory_path() / "glintmelt.XXXXXX").string();
        if (!mkdtemp(theTemplate.data())) return;
        lgFolder = theTemplate;
        // melt's Qt parts make a runtime folder in the temporary folder unless given one.
        std::filesystem::create_directory(lgFolder / "runtime");
        std::filesystem::permissions(lgFolder / "runtime", std::filesystem::perms::owner_all);
    }

    static void TearDownTestSuite()
    {
        if (!lgFolder.empty()) std::filesystem::remove_all(lgFolder);
    }

    // Runs a command in the test's folder and gives its exit code; its output goes to the log.
    static int Status(const std::string& theCommand)
    {
        const std::string theLine = "cd '" + lgFolder.string() + "' && export XDG_RUNTIME_DIR='" +
                                    (lgFolder / "runtime").string() + "' && " + theCommand + " >>log.txt 2>&1";
        const int theStatus = std::system(theLine.c_str());
        return WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1;
    }

    static void ReportFailure(const std::string& theCommand)
    {
        std::ifstream theLog(lgFolder / "log.txt");
        ADD_FAILURE() << theCommand << " failed:\n" << std::string(std::istreambuf_iterator<char>(theLog), {});
    }

    // Runs a command that must succeed.
    static bool Run(const std::string& theCommand)
    {
        if (Status(theCommand) == 0) return true;
        ReportFailure(theCommand);
        return false;
    }

    // Runs theCommand until it leaves a movie out.nut and gives that movie's frames. Debian 12's melt
    // now and then stops before its first frame, or never stops, when the machine is busy, with
    // MLT's own transitions as well, and xvfb-run -a can lose the race for a display number to
    // another test: such a run is made again.
    static std::vector<Frame> RenderMovie(const std::string& theCommand)
    {
        for (int theTry = 0;; ++theTry) {
            std::filesystem::remove(lgFolder / "out.nut");
            const int theStatus = Status(theCommand);
            std::error_code theError;
            if (theStatus == 0 && std::filesystem::file_size(lgFolder / "out.nut", theError) > 0) break;
            if (theTry == 4) {
                ReportFailure(theCommand);
                return {};
            }
            std::fprintf(stderr, "no movie (status %d); running it again\n", theStatus);
        }
        if (!Run("ffmpeg -v error -y -i out.nut -f rawvideo -pix_fmt rgb24 out.rgb")) return {};
        std::ifstream theFile(lgFolder / "out.rgb", std::ios::binary);
        const std::vector<unsigned char> theBytes{std::istreambuf_iterator<char>(theFile), {}};
        std::vector<Frame> theMovie(theBytes.size() / (3 * cWidth * cHeight), Frame(cWidth * cHeight));
        for (size_t f = 0; f < theMovie.size(); ++f)
            for (int i = 0; i < cWidth * cHeight; ++i) {
                const unsigned char* p = &theBytes[3 * (f * cWidth * cHeight + i)];
                theMovie[f][i] = unsigned(p[0]) << 16 | unsigned(p[1]) << 8 | p[2];
            }
        return theMovie;
    }

    // Checks a transition: before it the first clip, after it the second, and in between, inside
    // the region, a dissolve from theOld to theNew in which a pixel switches once and for good and
    // the share of switched pixels follows the progress. Outside the region theOutside is shown.
    static void CheckDissolve(const std::vector<Frame>& theMovie, unsigned theOld, unsigned theNew, unsigned theOutside,
                              int theLeft, int theRight, int theTop, int theBottom)
    {
        ASSERT_EQ(theMovie.size(), size_t(cMovieFrames));
        const auto inside = [&](int i) {
            const int r = i / cWidth, c = i % cWidth;
            return r >= theTop && r < theBottom && c >= theLeft && c < theRight;
        };
        const int theRegionPixels = (theRight - theLeft) * (theBottom - theTop);
        std::vector<bool> theSwitched(cWidth * cHeight, false);
        for (int f = 0; f < cMovieFrames; ++f) {
            SCOPED_TRACE(testing::Message() << "frame " << f);
            if (f < cFirstMixed || f >= cFirstMixed + cMixFrames) {
                ASSERT_EQ(theMovie[f], Frame(cWidth * cHeight, f < cFirstMixed ? cA : cB));
                continue;
            }
            int theNewCount = 0;
            for (int i = 0; i < cWidth * cHeight; ++i) {
                const unsigned p = theMovie[f][i];
                if (!inside(i)) {
                    ASSERT_EQ(p, theOutside) << "pixel " << i;
                    continue;
                }
                ASSERT_TRUE(p == theOld || p == theNew) << std::hex << p << " at pixel " << std::dec << i;
                ASSERT_FALSE(theSwitched[i] && p == theOld) << "pixel " << i << " switched back";
                theSwitched[i] = p == theNew;
                theNewCount += p == theNew;
            }
            const double theProgress = double(f - cFirstMixed) / (cMixFrames - 1);
            const double theShare = double(theNewCount) / theRegionPixels;
            if (theProgress == 0.0 || theProgress == 1.0) {
                EXPECT_EQ(theShare, theProgress);
            } else {
                EXPECT_NEAR(theShare, theProgress, 0.03); // five standard deviations for the smallest region
            }
        }
    }
};
