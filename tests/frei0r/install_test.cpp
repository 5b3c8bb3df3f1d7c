// glintweave install and uninstall run as a user would run them, on folders of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& thePath)
{
    std::ifstream theFile(thePath, std::ios::binary);
    return {std::istreambuf_iterator<char>(theFile), {}};
}

struct Outcome {
    int status;
    std::string out, err;
};

class InstallCommand : public testing::Test {
protected:
    fs::path folder;

    void SetUp() override
    {
        std::string theTemplate = (fs::temp_directory_path() / "glintinstall.XXXXXX").string();
        ASSERT_TRUE(mkdtemp(theTemplate.data()));
        folder = theTemplate;
        fs::permissions(folder, fs::perms(0755));
        fs::create_directory(folder / "home");
    }

    void TearDown() override
    {
        std::error_code theError;
        // The test takes away write rights; removing needs them back.
        for (const char* theFolder : {"stage", "stage/usr/local/lib/frei0r-1", "stage/usr/local/share/kdenlive/transitions"})
            fs::permissions(folder / theFolder, fs::perms::owner_all, theError);
        fs::remove_all(folder);
    }

    // glintweave with theArguments, HOME in the test's folder and theEnvironment added, through
    // thePrefix (to run it as another user).
    Outcome Glintweave(const std::string& theArguments, const std::string& theEnvironment = "",
                       const std::string& thePrefix = "")
    {
        const std::string theLine = thePrefix + " env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u DESTDIR HOME='" + (folder / "home").string() +
                                    "' " + theEnvironment + " '" GLINT_PROGRAM "' " + theArguments + " >'" +
                                    (folder / "out.txt").string() + "' 2>'" + (folder / "err.txt").string() + "'";
        const int theStatus = std::system(theLine.c_str());
        return {WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1, ReadText(folder / "out.txt"),
                ReadText(folder / "err.txt")};
    }

    // OBS Studio's plug-in folders for the module and its data: the user's, or the system's below theStage.
    std::pair<std::string, std::string> UserObsFolders(const std::string& theConfig = "")
    {
        const std::string theModule =
            (theConfig.empty() ? (folder / "home/.config").string() : theConfig) + "/obs-studio/plugins/glintweave";
        return {theModule + "/bin/64bit", theModule + "/data"};
    }
    static std::pair<std::string, std::string> SystemObsFolders(const std::string& theStage)
    {
        return {theStage + "/usr/lib/x86_64-linux-gnu/obs-plugins", theStage + "/usr/share/obs/obs-plugins/glintweave"};
    }

    // The lines for every file: the mixer, the descriptions, then each map for Shotcut and for
    // Kdenlive, whose folders go by the projects' frame sizes, then the OBS module and its data.
    std::string Report(const std::string& theMixerFolder, const std::string& theDataFolder, const std::string& theAction,
                       std::pair<std::string, std::string> theObs = {})
    {
        if (theObs.first.empty()) theObs = UserObsFolders();
        std::vector<std::string> thePaths = {theMixerFolder + "/glintweave.so",
                                             theDataFolder + "/kdenlive/transitions/glintweave.xml",
                                             theDataFolder + "/kdenlive/transitions/glintweave_automatic.xml"};
        for (const auto& [theSize, theKdenlive] :
             {std::pair{"1920x1080", "HD"}, {"3840x2160", "HD"}, {"1280x720", "HD"}, {"1080x1920", "HD"},
              {"1080x1080", "HD"}, {"720x576", "PAL"}, {"720x480", "NTSC"}}) {
            const std::string theName = std::string("/Glintweave ") + theSize + ".pgm";
            thePaths.push_back(theDataFolder + "/Meltytech/Shotcut/transitions" + theName);
            thePaths.push_back(theDataFolder + "/kdenlive/lumas/" + theKdenlive + theName);
        }
        thePaths.push_back(theObs.first + "/glintweave.so");
        thePaths.push_back(theObs.second + "/glintweave.effect");
        thePaths.push_back(theObs.second + "/locale/en-US.ini");
        std::string theReport;
        for (const std::string& thePath : thePaths)
            theReport += theAction + std::string(12 - theAction.size(), ' ') + thePath + "\n";
        return theReport;
    }
};

TEST_F(InstallCommand, InstallsReplacesAndRemovesForOneUser)
{
    const std::string theMixers = (folder / "home/.frei0r-1/lib").string();
    const std::string theData = (folder / "home/.local/share").string();
    const std::string theDescriptions = theData + "/kdenlive/transitions";

    Outcome theRun = Glintweave("install");
    ASSERT_EQ(theRun.status, 0) << theRun.err;
    EXPECT_EQ(theRun.out, Report(theMixers, theData, "installed"));
    EXPECT_EQ(ReadText(theMixers + "/glintweave.so"), ReadText(GLINT_MIXER_PATH));
    const char* theSourceDir = std::getenv("GLINT_SOURCE_DIR");
    ASSERT_TRUE(theSourceDir) << "run it through ctest, which names the source folder";
    const fs::path theSources = fs::path(theSourceDir) / "frei0r/kdenlive";
    for (const char* theName : {"glintweave.xml", "glintweave_automatic.xml"})
        EXPECT_EQ(ReadText(theDescriptions + "/" + theName), ReadText(theSources / theName)) << theName;
    EXPECT_EQ(fs::status(theMixers + "/glintweave.so").permissions(), fs::perms(0644));
    const auto [theObsModule, theObsData] = UserObsFolders();
    EXPECT_EQ(ReadText(theObsModule + "/glintweave.so"), ReadText(GLINT_OBS_MODULE_DIR "/bin/64bit/glintweave.so"));
    for (const char* theName : {"glintweave.effect", "locale/en-US.ini"})
        EXPECT_EQ(ReadText(theObsData + "/" + theName), ReadText(std::string(GLINT_OBS_MODULE_DIR "/data/") + theName))
            << theName;

    EXPECT_EQ(Glintweave("install --user").out, Report(theMixers, theData, "up to date"));

    // An older mixer, of an install that kept no record, is replaced; nothing is left beside it.
    ASSERT_TRUE(fs::remove(theData + "/glintweave/installed.txt"));
    std::ofstream(theMixers + "/glintweave.so") << "older";
    theRun = Glintweave("install");
    EXPECT_EQ(theRun.out.substr(0, theRun.out.find('\n')), "replaced    " + theMixers + "/glintweave.so");
    EXPECT_EQ(ReadText(theMixers + "/glintweave.so"), ReadText(GLINT_MIXER_PATH));
    EXPECT_EQ(std::distance(fs::directory_iterator(theMixers), {}), 1);

    theRun = Glintweave("uninstall");
    ASSERT_EQ(theRun.status, 0) << theRun.err;
    EXPECT_EQ(theRun.out, Report(theMixers, theData, "removed"));
    EXPECT_FALSE(fs::exists(theMixers + "/glintweave.so"));
    EXPECT_FALSE(fs::exists(theDescriptions + "/glintweave.xml"));
    theRun = Glintweave("uninstall --user");
    EXPECT_EQ(theRun.status, 0);
    EXPECT_EQ(theRun.out, Report(theMixers, theData, "not there"));
}

TEST_F(InstallCommand, FollowsXdgDataHomeAndDestdir)
{
    const std::string theData = (folder / "data").string(), theConfig = (folder / "config").string();
    Outcome theRun = Glintweave("install", "XDG_DATA_HOME='" + theData + "' XDG_CONFIG_HOME='" + theConfig + "'");
    EXPECT_EQ(theRun.out,
              Report((folder / "home/.frei0r-1/lib").string(), theData, "installed", UserObsFolders(theConfig)));

    const std::string theStage = (folder / "stage").string();
    theRun = Glintweave("install --system", "DESTDIR='" + theStage + "'");
    ASSERT_EQ(theRun.status, 0) << theRun.err;
    EXPECT_EQ(theRun.out, Report(theStage + "/usr/local/lib/frei0r-1", theStage + "/usr/local/share", "installed",
                                 SystemObsFolders(theStage)));
    // The record names the files where the package puts them.
    const std::string theRecord = ReadText(theStage + "/usr/local/share/glintweave/installed.txt");
    EXPECT_NE(theRecord.find(" /usr/local/lib/frei0r-1/glintweave.so\n"), std::string::npos) << theRecord;
    EXPECT_NE(theRecord.find(" /usr/lib/x86_64-linux-gnu/obs-plugins/glintweave.so\n"), std::string::npos) << theRecord;
    EXPECT_EQ(theRecord.find(theStage), std::string::npos) << theRecord;
    theRun = Glintweave("uninstall --system", "DESTDIR='" + theStage + "'");
    EXPECT_EQ(theRun.out, Report(theStage + "/usr/local/lib/frei0r-1", theStage + "/usr/local/share", "removed",
                                 SystemObsFolders(theStage)));
    EXPECT_TRUE(fs::is_empty(theStage));
}

TEST_F(InstallCommand, MapsAreTheWholeFramesCrossAndAUsersOwnMapIsLeftAlone)
{
    const fs::path theLumas = folder / "home/.local/share/kdenlive/lumas";
    fs::create_directories(theLumas / "PAL");
    std::ofstream(theLumas / "PAL/Glintweave 720x576.pgm") << "P5\n720 576\n255\nmine";
    const std::string theLine = "left alone  " + (theLumas / "PAL/Glintweave 720x576.pgm").string() +
                                ": not Glintweave's\n";
    for (const char* theCommand : {"install", "uninstall"}) {
        const Outcome theRun = Glintweave(theCommand);
        EXPECT_EQ(theRun.status, 0) << theRun.err;
        EXPECT_NE(theRun.out.find(theLine), std::string::npos) << theRun.out;
        EXPECT_EQ(ReadText(theLumas / "PAL/Glintweave 720x576.pgm"), "P5\n720 576\n255\nmine");
        if (std::string(theCommand) == "install") {
            // 32000 frames: the most moments the engine gives a pixel.
            const std::string theHeader = "P5\n# Glintweave cross, 32000 frames\n1080 1920\n65535\n";
            const std::string theMap = ReadText(theLumas / "HD/Glintweave 1080x1920.pgm");
            EXPECT_EQ(theMap.substr(0, theHeader.size()), theHeader);
            EXPECT_EQ(theMap.size(), theHeader.size() + 2u * 1080 * 1920);
        }
    }
    EXPECT_FALSE(fs::exists(theLumas / "HD/Glintweave 1080x1920.pgm"));
}

TEST_F(InstallCommand, WithoutTheRightsSaysSoInOneLineAndWritesNothing)
{
    // A folder its user may not write in. Root may write anywhere, so as root the command runs as
    // nobody, the way an ordinary user meets it.
    const fs::path theStage = folder / "stage";
    fs::create_directory(theStage);
    fs::permissions(theStage, fs::perms(0555));
    std::string thePrefix;
    if (geteuid() == 0) {
        thePrefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
        if (std::system((thePrefix + " test -x '" GLINT_PROGRAM "'").c_str()) != 0)
            GTEST_SKIP() << "nobody cannot run " GLINT_PROGRAM " from this build folder";
    }
    for (const char* theCommand : {"install", "uninstall"}) {
        SCOPED_TRACE(theCommand);
        // Something to remove, so that uninstall too needs the rights.
        if (std::string(theCommand) == "uninstall") {
            fs::permissions(theStage, fs::perms(0755));
            ASSERT_EQ(Glintweave("install --system", "DESTDIR='" + theStage.string() + "'").status, 0);
            fs::permissions(theStage / "usr/local/lib/frei0r-1", fs::perms(0555));
            fs::permissions(theStage / "usr/local/share/kdenlive/transitions", fs::perms(0555));
        }
        const Outcome theRun =
            Glintweave(std::string(theCommand) + " --system", "DESTDIR='" + theStage.string() + "'", thePrefix);
        EXPECT_EQ(theRun.status, 1);
        EXPECT_EQ(theRun.out, "");
        const std::string theFolder = theCommand == std::string("install")
                                          ? theStage.string()
                                          : theStage.string() + "/usr/local/lib/frei0r-1";
        EXPECT_EQ(theRun.err, "glintweave " + std::string(theCommand) + ": no permission to write in " + theFolder +
                                  ": run 'sudo glintweave " + theCommand + " --system', or use --user\n");
    }
    EXPECT_TRUE(fs::exists(theStage / "usr/local/share/kdenlive/transitions/glintweave.xml"));
}

// The record is written too: a folder of it that its user may not write in refuses the install
// before any file is written, as an ordinary user meets it.
TEST_F(InstallCommand, ARecordThatCannotBeWrittenRefusesTheInstall)
{
    const fs::path theData = folder / "home/.local/share";
    fs::create_directories(theData / "glintweave");
    std::string thePrefix;
    if (geteuid() == 0) {
        thePrefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
        ASSERT_EQ(chown((folder / "home").c_str(), 65534, 65534), 0);
        for (const char* theFolder : {".local", ".local/share"})
            ASSERT_EQ(chown((folder / "home" / theFolder).c_str(), 65534, 65534), 0);
        if (std::system((thePrefix + " test -x '" GLINT_PROGRAM "'").c_str()) != 0)
            GTEST_SKIP() << "nobody cannot run " GLINT_PROGRAM " from this build folder";
    }
    fs::permissions(theData / "glintweave", fs::perms(0555));
    const Outcome theRun = Glintweave("install", "", thePrefix);
    fs::permissions(theData / "glintweave", fs::perms(0755));
    EXPECT_EQ(theRun.status, 1);
    EXPECT_EQ(theRun.out, "");
    EXPECT_EQ(theRun.err, "glintweave install: no permission to write in " + (theData / "glintweave").string() +
                              ": check that folder's owner and permissions\n");
    EXPECT_FALSE(fs::exists(folder / "home/.frei0r-1"));
}

// Links at the destination's names are replaced, never written through: what they point at
// keeps its bytes and its mode.
TEST_F(InstallCommand, ALinkInTheWayIsReplacedNotFollowed)
{
    const fs::path theMixers = folder / "home/.frei0r-1/lib";
    fs::create_directories(theMixers);
    for (const char* theName : {"glintweave.so.part", "glintweave.so"}) {
        SCOPED_TRACE(theName);
        const fs::path theSecret = folder / (std::string(theName) + ".secret");
        std::ofstream(theSecret) << "private";
        fs::permissions(theSecret, fs::perms(0600));
        fs::remove(theMixers / "glintweave.so");
        fs::create_symlink(theSecret, theMixers / theName);
        const Outcome theRun = Glintweave("install --user");
        ASSERT_EQ(theRun.status, 0) << theRun.err;
        EXPECT_EQ(ReadText(theSecret), "private");
        EXPECT_EQ(fs::status(theSecret).permissions(), fs::perms(0600));
        EXPECT_FALSE(fs::is_symlink(theMixers / "glintweave.so"));
        EXPECT_EQ(ReadText(theMixers / "glintweave.so"), ReadText(GLINT_MIXER_PATH));
        EXPECT_EQ(fs::status(theMixers / "glintweave.so").permissions(), fs::perms(0644));
        fs::remove(theMixers / theName);
    }
}

// Uninstall takes away what install wrote, and an earlier version that an install without a
// record wrote, and nothing else: neither another's file nor one of ours edited since.
TEST_F(InstallCommand, UninstallLeavesFilesThatAreNotOurs)
{
    const fs::path theDescriptions = folder / "home/.local/share/kdenlive/transitions";
    const fs::path theMixer = folder / "home/.frei0r-1/lib/glintweave.so";
    const fs::path theRecord = folder / "home/.local/share/glintweave/installed.txt";
    const std::string theOurs = "<transition tag=\"frei0r.glintweave\" id=\"frei0r.glintweave\">";
    const struct {
        std::string content;
        bool recorded;
        const char* outcome;
    } cCases[] = {
        {"<transition tag=\"dissolve\" id=\"glintweave.xml\">someone else's</transition>", true, ": not Glintweave's"},
        {theOurs + "<!-- the user's own change --></transition>", true, ": edited since it was installed"},
        {theOurs + "<!-- an earlier one --></transition>", false, nullptr},
    };
    for (const auto& theCase : cCases) {
        SCOPED_TRACE(theCase.content);
        ASSERT_EQ(Glintweave("install").status, 0);
        if (!theCase.recorded) {
            ASSERT_TRUE(fs::remove(theRecord));
        }
        std::ofstream(theDescriptions / "glintweave.xml") << theCase.content;
        const Outcome theRun = Glintweave("uninstall");
        ASSERT_EQ(theRun.status, 0) << theRun.err;
        EXPECT_EQ(fs::exists(theDescriptions / "glintweave.xml"), theCase.outcome != nullptr);
        EXPECT_FALSE(fs::exists(theMixer));
        EXPECT_FALSE(fs::exists(theDescriptions / "glintweave_automatic.xml"));
        const std::string theLine = theCase.outcome
                                        ? "left alone  " + (theDescriptions / "glintweave.xml").string() + theCase.outcome + "\n"
                                        : "removed     " + (theDescriptions / "glintweave.xml").string() + "\n";
        EXPECT_NE(theRun.out.find(theLine), std::string::npos) << theRun.out;
        // A line a file: the mixer, two descriptions, seven maps each for Shotcut and Kdenlive, and
        // the OBS module with its two data files.
        EXPECT_EQ(std::count(theRun.out.begin(), theRun.out.end(), '\n'), 20) << theRun.out;
        fs::remove(theDescriptions / "glintweave.xml");
    }
    // A link to our own mixer is someone's set-up, not our file.
    ASSERT_EQ(Glintweave("install").status, 0);
    fs::remove(theMixer);
    fs::create_symlink(GLINT_MIXER_PATH, theMixer);
    EXPECT_EQ(Glintweave("uninstall").status, 0);
    EXPECT_TRUE(fs::is_symlink(theMixer));
}

// install keeps a record of what it wrote: a file edited since is neither replaced nor removed,
// and named; uninstall takes away the folders install made once they are empty, and only those.
TEST_F(InstallCommand, EditedFilesStayAndOnlyTheFoldersItMadeGo)
{
    const fs::path theData = folder / "home/.local/share";
    fs::create_directories(theData / "kdenlive"); // the user's, as Kdenlive makes it
    ASSERT_EQ(Glintweave("install").status, 0);
    const fs::path theDescription = theData / "kdenlive/transitions/glintweave.xml";
    const fs::path theMap = theData / "Meltytech/Shotcut/transitions/Glintweave 720x480.pgm";
    std::ofstream(theDescription, std::ios::app) << "<!-- mine -->";
    std::ofstream(theMap, std::ios::app) << "mine";
    const std::string theEditedDescription = ReadText(theDescription), theEditedMap = ReadText(theMap);
    const std::string theLines = "left alone  " + theDescription.string() + ": edited since it was installed\n";
    const std::string theMapLine = "left alone  " + theMap.string() + ": edited since it was installed\n";
    for (const char* theCommand : {"install", "uninstall"}) {
        SCOPED_TRACE(theCommand);
        const Outcome theRun = Glintweave(theCommand);
        ASSERT_EQ(theRun.status, 0) << theRun.err;
        EXPECT_NE(theRun.out.find(theLines), std::string::npos) << theRun.out;
        EXPECT_NE(theRun.out.find(theMapLine), std::string::npos) << theRun.out;
        EXPECT_EQ(ReadText(theDescription), theEditedDescription);
        EXPECT_TRUE(ReadText(theMap) == theEditedMap) << "the edited map changed";
    }
    EXPECT_FALSE(fs::exists(folder / "home/.frei0r-1"));
    EXPECT_FALSE(fs::exists(theData / "kdenlive/lumas"));
    EXPECT_FALSE(fs::exists(theData / "kdenlive/transitions/glintweave_automatic.xml"));
    // Once the user takes the edited files away, the folders that held them go too.
    fs::remove(theDescription);
    fs::remove(theMap);
    ASSERT_EQ(Glintweave("uninstall").status, 0);
    std::vector<std::string> theLeft;
    for (const auto& theEntry : fs::recursive_directory_iterator(folder / "home"))
        theLeft.push_back(fs::relative(theEntry.path(), folder / "home").string());
    std::sort(theLeft.begin(), theLeft.end());
    EXPECT_EQ(theLeft, (std::vector<std::string>{".local", ".local/share", ".local/share/kdenlive"}));
}

// Under sudo, root with the user's HOME: folders made there would be root's, so it refuses.
TEST_F(InstallCommand, RootRefusesAnotherUsersHome)
{
    if (geteuid() != 0) GTEST_SKIP() << "only root can write another user's folders";
    ASSERT_EQ(chown((folder / "home").c_str(), 65534, 65534), 0);
    const Outcome theRun = Glintweave("install", "SUDO_USER=nobody");
    EXPECT_EQ(theRun.status, 1);
    EXPECT_EQ(theRun.err, "glintweave install: HOME is another user's folder, and folders made there as root would "
                          "be root's: run it without sudo, or use --system\n");
    EXPECT_TRUE(fs::is_empty(folder / "home"));
    // Taking files away makes no folders: uninstall goes ahead.
    EXPECT_EQ(Glintweave("uninstall", "SUDO_USER=nobody").status, 0);
}

TEST_F(InstallCommand, RejectsWhatItCannotDo)
{
    const struct {
        const char* arguments;
        const char* error;
    } cCases[] = {
        {"install --user --system", "glintweave install: --user and --system exclude each other\n"},
        {"uninstall --everyone", "glintweave uninstall: unknown option '--everyone' (see glintweave uninstall --help)\n"},
    };
    for (const auto& theCase : cCases) {
        const Outcome theRun = Glintweave(theCase.arguments);
        EXPECT_EQ(theRun.status, 2) << theCase.arguments; // a usage error
        EXPECT_EQ(theRun.err, theCase.error);
    }
    const Outcome theRun = Glintweave("install", "HOME=");
    EXPECT_EQ(theRun.status, 1);
    EXPECT_EQ(theRun.err, "glintweave install: HOME is not set to a folder, so there is no user folder to use "
                          "(try --system)\n");
    EXPECT_TRUE(fs::is_empty(folder / "home"));
}

} // namespace
