// Kdenlive's own renderer on a Kdenlive project that uses each of Glintweave's compositions, with
// the mixer and the compositions put in place by 'glintweave install' and no FREI0R_PATH: what a
// user gets after installing. kdenlive_render runs melt on the project, as Kdenlive's render
// dialog has it do, and needs an X display: Xvfb stands in for the desktop.
#include "mixermovies.h"

namespace {

class KdenliveMixer : public MixerMovies {
protected:
    static void SetUpTestSuite()
    {
        MixerMovies::SetUpTestSuite();
        if (lgFolder.empty()) return;
        // Kdenlive keeps its settings and caches in the home folder, so it gets one of its own.
        std::filesystem::create_directory(lgFolder / "home");
        Run(HomeEnvironment() + " '" GLINT_PROGRAM "' install --user");
    }

    static std::string HomeEnvironment()
    {
        return "env -u FREI0R_PATH -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME='" + (lgFolder / "home").string() + "'";
    }

    // The test project with the composition's Kdenlive id and parameters replaced, and the
    // consumer that Kdenlive's render dialog adds; rendered by kdenlive_render.
    static std::vector<Frame> RenderWithKdenlive(const std::vector<std::pair<std::string, std::string>>& theProperties)
    {
        const char* theSourceDir = std::getenv("GLINT_SOURCE_DIR");
        if (!theSourceDir) {
            ADD_FAILURE() << "run it through ctest, which names the source folder";
            return {};
        }
        std::ifstream theFile(std::filesystem::path(theSourceDir) / "tests/frei0r/twoclips.kdenlive");
        std::string theProject{std::istreambuf_iterator<char>(theFile), {}};
        const size_t theComposition = theProject.find("<transition id=\"transition0\"");
        if (theComposition == std::string::npos) {
            ADD_FAILURE() << "the test project has no composition";
            return {};
        }
        for (const auto& [theName, theValue] : theProperties) {
            const std::string theStart = "<property name=\"" + theName + "\">";
            const size_t theBegin = theProject.find(theStart, theComposition) + theStart.size();
            theProject.replace(theBegin, theProject.find("</property>", theBegin) - theBegin, theValue);
        }
        theProject.insert(theProject.find(" <playlist id=\"main_bin\">"),
                          " <consumer mlt_service=\"avformat\" target=\"out.nut\" vcodec=\"rawvideo\" "
                          "pix_fmt=\"rgb24\" an=\"1\" real_time=\"-1\"/>\n");
        std::ofstream(lgFolder / "render.mlt") << theProject;
        return RenderMovie(HomeEnvironment() + " timeout 60 xvfb-run -a kdenlive_render \"$(command -v melt)\" "
                                               "render.mlt out.nut");
    }
};

TEST_F(KdenliveMixer, RendersEachComposition)
{
    ASSERT_FALSE(lgFolder.empty());
    ASSERT_EQ(std::system("command -v kdenlive_render >/dev/null && command -v xvfb-run >/dev/null"), 0)
        << "kdenlive or xvfb is missing: run scripts/install-deps.sh";
    {
        SCOPED_TRACE("Glintweave, progress keyframed from 0 to 100 % as the keyframe panel stores it");
        CheckDissolve(RenderWithKdenlive({{"kdenlive_id", "frei0r.glintweave"},
                                          {"0", "00:00:00.000=0;00:00:00.760=1"},
                                          {"1", "out"},
                                          {"3", "0"},
                                          {"4", "1"},
                                          {"5", "0"},
                                          {"6", "1"}}),
                      cA, cFill, cA, 0, cWidth, 0, cHeight);
    }
    {
        // Columns 40 to 119 and rows 15 to 104.
        SCOPED_TRACE("Glintweave (automatic), as dropped on the overlap, with a region");
        CheckDissolve(RenderWithKdenlive({}), cA, cB, cB, 40, 120, 15, 105);
    }
    {
        // Kdenlive stores a ticked Reverse as keyframes at the composition's ends.
        SCOPED_TRACE("Glintweave (automatic), reversed");
        CheckDissolve(RenderWithKdenlive({{"0", "00:00:00.000=1;00:00:00.760=0"}, {"1", "in"}, {"2", "#1020f0"}}), cB,
                      cFill, cB, 40, 120, 15, 105);
    }
}

} // namespace
