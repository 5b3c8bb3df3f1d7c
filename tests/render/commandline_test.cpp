#include "pluginfixture.h"
#include "programrun.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace rendertest;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

// In a folder of its own, so that nothing a case would write can land anywhere else.
Outcome RunIn(const videotest::TemporaryFolder& theFolder, const std::string& theArguments)
{
    testing_support::PreferencesFolder();
    Outcome theRun;
    theRun.status = RunCommand("cd '" + theFolder.Path() + "' && '" GLINT_PROGRAM_PATH "' " + theArguments, &theRun.out,
                               &theRun.err);
    return theRun;
}

} // namespace

// Every command reads its command line the same way, and every fault is one line on stderr
// that starts with the command, with status 2, and nothing done.
TEST(CommandLine, EveryCommandRefusesAFaultyCommandLineInOneLine)
{
    videotest::TemporaryFolder theFolder;
    const struct {
        const char* arguments;
        const char* message; // a part of the one line
    } theCases[] = {
        {"info --speed", "glintweave info: --speed needs a value"},
        {"demo --bundle", "glintweave demo: --bundle needs a value"},
        {"render --transition out a.mp4 -o", "glintweave render: -o needs a value"},
        {"info --speed 2", "glintweave info: --speed takes a number from 0 to 1, not '2'"},
        {"info --speed 0.5 --speed 1", "glintweave info: --speed is given more than once"},
        {"render --transition out --transition in a.mp4 -o out.mp4", "glintweave render: --transition is given more"},
        {"render -y -y --transition out a.mp4 -o out.mp4", "glintweave render: -y is given more than once"},
        {"info --frobnicate", "glintweave info: unknown option '--frobnicate'"},
        {"render --frobnicate --transition out a.mp4 -o out.mp4", "glintweave render: unknown option '--frobnicate'"},
        {"play --frobnicate --transition out a.mp4", "glintweave play: unknown option '--frobnicate'"},
        {"demo --frobnicate", "glintweave demo: unknown option '--frobnicate'"},
        {"configure --frobnicate --transition out a.mp4", "glintweave configure: unknown option '--frobnicate'"},
        {"install --frobnicate", "glintweave install: unknown option '--frobnicate'"},
        {"uninstall --frobnicate", "glintweave uninstall: unknown option '--frobnicate'"},
        {"render --transition out -x -o out.mp4", "glintweave render: unknown option '-x'"},
        {"play -o out.mp4 --transition out a.mp4", "glintweave play: unknown option '-o'"},
        {"info a.mp4", "glintweave info: unexpected argument 'a.mp4'"},
        {"render a.mp4 -o out.mp4", "glintweave render: a cross, the default transition, takes two clips or more; "
                                    "give --transition in or out for one clip"},
        {"play", "glintweave play: a cross, the default transition, takes two clips or more; give --transition in "
                 "or out for a clip"},
        {"render --transition out a.mp4", "glintweave render: -o OUTPUT is missing"},
        {"render --transition sideways a.mp4 -o out.mp4", "--transition is out, in or cross, not 'sideways'"},
        // A value that is one of the options means the value before it is missing; never help.
        {"render --transition out a.mp4 -o --help", "glintweave render: -o needs a value"},
        {"render --transition out a.mp4 -o -y", "glintweave render: -o needs a value"},
        {"render --transition out --preset slowest a.mp4 -o out.mp4",
         "--preset is one of ultrafast, superfast, veryfast, faster, fast, medium, slow, slower, veryslow, placebo, "
         "not 'slowest'"},
        {"render --transition cross a.mp4 -o out.mp4", "glintweave render: cross takes two clips or more, not 1"},
        {"play --transition in", "glintweave play: in takes a clip or more, not 0"},
        {"configure --transition cross a.mp4 b.mp4 c.mp4",
         "glintweave configure: the dialog shows one transition: cross takes two clips, not 3"},
        {"configure --transition out a.mp4 b.mp4",
         "glintweave configure: the dialog shows one transition: out takes one clip, not 2"},
        {"install --user --system", "glintweave install: --user and --system exclude each other"},
        {"render --transition out --fill random a.mp4 -o out.mp4", "glintweave render: --fill takes"},
        {"render --transition out --fill red@0.5 a.mp4 -o out.mp4", "glintweave render: --fill takes"},
        {"render --transition out --size 1x1 a.mp4 -o out.mp4", "glintweave render: --size takes"},
        {"render --transition out --duration 0 a.mp4 -o out.mp4", "glintweave render: --duration takes"},
        {"render --transition out --at -1 a.mp4 -o out.mp4", "glintweave render: --at takes"},
        {"render --frames 5 --duration 1 a.mp4 b.mp4 -o out.mp4", "glintweave render: give one of --frames and --duration"},
        {"render --rate 1e9 a.mp4 b.mp4 -o out.mp4", "glintweave render: --rate takes frames a second above 0 and up to 1000"},
        {"render --rate 0 a.mp4 b.mp4 -o out.mp4", "glintweave render: --rate takes frames a second above 0 and up to 1000"},
        {"frobnicate", "glintweave: unknown command 'frobnicate'"},
    };
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(theCase.arguments);
        const Outcome theRun = RunIn(theFolder, theCase.arguments);
        EXPECT_EQ(theRun.status, 2);
        EXPECT_EQ(theRun.out, "");
        EXPECT_EQ(std::count(theRun.err.begin(), theRun.err.end(), '\n'), 1) << theRun.err;
        EXPECT_NE(theRun.err.find(theCase.message), std::string::npos) << theRun.err;
        const std::string theCommand = std::string(theCase.arguments).substr(0, std::string(theCase.arguments).find(' '));
        if (theCommand != "frobnicate") {
            EXPECT_EQ(theRun.err.rfind("glintweave " + theCommand + ": ", 0), 0u) << theRun.err;
        }
        EXPECT_TRUE(theFolder.Entries().empty());
    }
}

// What a command line may hold that looks like an option: --help wins wherever it is an option,
// and after "--" everything is a file. A value the options take is checked only as far as the
// file it names: the render then stops at the missing clip.
TEST(CommandLine, HelpAndFilesThatLookLikeOptions)
{
    videotest::TemporaryFolder theFolder;
    for (const char* theCommand : {"info", "render", "play", "demo", "configure", "install", "uninstall"}) {
        SCOPED_TRACE(theCommand);
        for (const char* theArguments : {" --help", " --frobnicate -h", " --bundle x --help"}) {
            const Outcome theRun = RunIn(theFolder, std::string(theCommand) + theArguments);
            EXPECT_EQ(theRun.status, 0);
            EXPECT_EQ(theRun.out.rfind(std::string("usage: glintweave ") + theCommand, 0), 0u) << theRun.out;
            EXPECT_NE(theRun.out.find("  -h, --help"), std::string::npos) << theRun.out;
            EXPECT_EQ(theRun.err, "");
        }
    }
    const Outcome theUsage = RunIn(theFolder, "--help");
    EXPECT_EQ(theUsage.status, 0);
    for (const char* theCommand : {"info", "render", "play", "demo", "configure", "install", "uninstall"})
        EXPECT_NE(theUsage.out.find(std::string("\n  ") + theCommand + " "), std::string::npos) << theUsage.out;

    const struct {
        const char* arguments;
        const char* message;
    } theCases[] = {
        {"render --transition out -o out.mp4 -- -x.mp4", "'-x.mp4'"},
        {"render --transition in -o out.mp4 -- -y", "'-y'"},
        {"render --transition out --preset placebo missing.mp4 -o out.mp4", "'missing.mp4'"},
        {"render --transition out --fill '#f80' --size hd1080 --at 1:30.5 missing.mp4 -o out.mp4", "'missing.mp4'"},
        {"render --transition out --fill LightGray --still-duration 0:02 missing.mp4 -o out.mp4", "'missing.mp4'"},
    };
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(theCase.arguments);
        const Outcome theRun = RunIn(theFolder, theCase.arguments);
        EXPECT_EQ(theRun.status, 1);
        EXPECT_EQ(theRun.err.rfind("glintweave render: ", 0), 0u) << theRun.err;
        EXPECT_NE(theRun.err.find(theCase.message), std::string::npos) << theRun.err;
        EXPECT_EQ(std::count(theRun.err.begin(), theRun.err.end(), '\n'), 1) << theRun.err;
    }
}
