#include "pluginfixture.h"
#include "videotestsupport.h"

#include "RenderMovie.h"

#include <cstdio>
#include <fstream>
#include <sys/wait.h>

using namespace testing_support;
using namespace videotest;

namespace {

// Runs glintweave with theArguments; gives its exit status and what it wrote on stderr.
int RunProgram(const TemporaryFolder& theFolder, const std::string& theArguments, std::string& outErrors)
{
    PreferencesFolder();
    const std::string theErrorFile = theFolder.PathOf(".stderr");
    const std::string theCommand =
        std::string(GLINT_PROGRAM_PATH) + " " + theArguments + " >/dev/null 2>" + theErrorFile;
    const int theStatus = std::system(theCommand.c_str());
    std::ifstream theStream(theErrorFile);
    outErrors.assign(std::istreambuf_iterator<char>(theStream), {});
    std::remove(theErrorFile.c_str());
    return WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1;
}

} // namespace

TEST(RenderBadInput, EachGivesOneLineAndLeavesNothingBehind)
{
    TemporaryFolder theFolder;
    const std::string theClip = MakeClip(theFolder, "a.mp4");
    const std::string theShort = [&] {
        video::SyntheticClip theShortClip = SmallClip();
        theShortClip.frameCount = 5;
        return MakeClip(theFolder, "short.mp4", theShortClip);
    }();
    {
        std::ofstream theCorrupt(theFolder.PathOf("corrupt.mp4"), std::ios::binary);
        theCorrupt << "this is no movie at all, only some words that look nothing like one";
    }
    const std::string theOut = theFolder.PathOf("out.mp4");
    const std::vector<std::string> theBefore = theFolder.Entries();

    struct Case {
        std::string arguments;
        std::string message; // a part of the one line
    };
    const Case theCases[] = {
        {"render --transition cross " + theClip + " " + theFolder.PathOf("missing.mp4") + " -o " + theOut,
         "missing.mp4"},
        {"render --transition out " + theFolder.PathOf("corrupt.mp4") + " -o " + theOut, "corrupt.mp4"},
        {"render --transition out --speed 1 " + theShort + " -o " + theOut, "frames; the transition needs"},
        {"render --transition cross --speed 0 " + theClip + " " + theShort + " -o " + theOut, "second clip"},
        {"render --transition in " + theClip + " -o " + theFolder.PathOf("out.avi"), ".avi"},
        {"render --transition in " + theClip + " -o " + theFolder.PathOf("no/such/folder/out.mp4"), "folder"},
        {"render --transition cross " + theClip + " -o " + theOut, "two clips"},
        {"render --transition sideways " + theClip + " -o " + theOut, "sideways"},
        {"render --transition in --speed 2 " + theClip + " -o " + theOut, "--speed"},
        {"render --transition in --size 10 " + theClip + " -o " + theOut, "--size"},
        {"render --transition in " + theClip, "-o"},
    };
    for (const Case& theCase : theCases) {
        SCOPED_TRACE(theCase.arguments);
        std::string theErrors;
        EXPECT_NE(RunProgram(theFolder, theCase.arguments, theErrors), 0);
        EXPECT_EQ(std::count(theErrors.begin(), theErrors.end(), '\n'), 1) << theErrors;
        EXPECT_EQ(theErrors.rfind("glintweave: ", 0), 0u) << theErrors;
        EXPECT_NE(theErrors.find(theCase.message), std::string::npos) << theErrors;
        EXPECT_EQ(theFolder.Entries(), theBefore);
    }
}

TEST(RenderBadInput, AMissingBundleLeavesNoMovie)
{
    TemporaryFolder theFolder;
    const std::string theClip = MakeClip(theFolder, "a.mp4");
    std::string theErrors;
    EXPECT_NE(RunProgram(theFolder,
                         "render --bundle " + theFolder.PathOf("none.bundle") + " --transition out " + theClip +
                             " -o " + theFolder.PathOf("out.mp4"),
                         theErrors),
              0);
    EXPECT_FALSE(theErrors.empty());
    EXPECT_FALSE(std::filesystem::exists(theFolder.PathOf("out.mp4")));
}
