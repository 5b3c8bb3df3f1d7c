#include "pluginfixture.h"
#include "videotestsupport.h"

#include "RenderMovie.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace testing_support;
using namespace videotest;

namespace {

// Runs glintweave with theArguments in theFolder, after thePrefix (such as a command that
// drops privileges); gives its exit status and what it wrote on stderr.
int RunProgram(const TemporaryFolder& theFolder, const std::string& theArguments, std::string& outErrors,
               const std::string& thePrefix = "")
{
    PreferencesFolder();
    const std::string theErrorFile =
        (std::filesystem::temp_directory_path() / ("glintweave-stderr-" + std::to_string(getpid()))).string();
    const std::string theCommand = "cd " + theFolder.Path() + " && " + thePrefix + std::string(GLINT_PROGRAM_PATH) +
                                   " " + theArguments + " >/dev/null 2>" + theErrorFile;
    const int theStatus = std::system(theCommand.c_str());
    std::ifstream theStream(theErrorFile);
    outErrors.assign(std::istreambuf_iterator<char>(theStream), {});
    std::remove(theErrorFile.c_str());
    return WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1;
}

std::string ReadFile(const std::string& thePath)
{
    std::ifstream theStream(thePath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(theStream), {});
}

void WriteFile(const std::string& thePath, const std::string& theBytes)
{
    std::ofstream(thePath, std::ios::binary) << theBytes;
}

// One line on stderr with theMessage, a failure status, and theFolder as it was.
void ExpectRefused(const TemporaryFolder& theFolder, const std::string& theArguments, const std::string& theMessage,
                   const std::string& thePrefix = "")
{
    SCOPED_TRACE(theArguments);
    const std::vector<std::string> theBefore = theFolder.Entries();
    std::string theErrors;
    EXPECT_NE(RunProgram(theFolder, theArguments, theErrors, thePrefix), 0);
    EXPECT_EQ(std::count(theErrors.begin(), theErrors.end(), '\n'), 1) << theErrors;
    EXPECT_NE(theErrors.find(theMessage), std::string::npos) << theErrors;
    EXPECT_EQ(theFolder.Entries(), theBefore);
}

// A picture sequence of theCount pictures, each holding its own number as text.
void WriteOldSequence(const TemporaryFolder& theFolder, int theCount)
{
    for (int i = 0; i < theCount; ++i) {
        char theName[32];
        std::snprintf(theName, sizeof theName, "f_%03d.png", i);
        WriteFile(theFolder.PathOf(theName), "old " + std::to_string(i));
    }
}

} // namespace

TEST(RenderBadInput, AnOutputThatIsAnInputIsRefusedBeforeAnyWork)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "a.mp4");
    MakeClip(theFolder, "b.mp4");
    MakeClip(theFolder, "s_%03d.png", [] {
        video::SyntheticClip theStill = SmallClip();
        theStill.frameCount = 1;
        return theStill;
    }());
    ASSERT_EQ(link(theFolder.PathOf("a.mp4").c_str(), theFolder.PathOf("hard.mp4").c_str()), 0);
    ASSERT_EQ(link(theFolder.PathOf("a.mp4").c_str(), theFolder.PathOf("f_00007.png").c_str()), 0);
    ASSERT_EQ(symlink("b.mp4", theFolder.PathOf("soft.mp4").c_str()), 0);
    std::filesystem::create_directory(theFolder.PathOf("sub"));
    const std::string theA = ReadFile(theFolder.PathOf("a.mp4")), theB = ReadFile(theFolder.PathOf("b.mp4"));
    for (const char* theArguments : {
             "--transition cross a.mp4 b.mp4 -o a.mp4",
             "--transition cross a.mp4 b.mp4 -o ./sub/../b.mp4",
             "--transition out a.mp4 -o hard.mp4",
             "--transition in hard.mp4 -o a.mp4",
             "--transition cross a.mp4 b.mp4 -o soft.mp4",
             "--transition cross a.mp4 s_000.png -o s_%03d.png",
             "--transition out s_%03d.png -o s_%03d.png",
             "--transition out a.mp4 -o f.png",
         }) {
        ExpectRefused(theFolder, std::string("render ") + theArguments, "would replace it");
    }
    EXPECT_EQ(ReadFile(theFolder.PathOf("a.mp4")), theA);
    EXPECT_EQ(ReadFile(theFolder.PathOf("b.mp4")), theB);
}

TEST(RenderBadInput, OnlyARegularFileOrNothingIsReplaced)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "a.mp4");
    std::filesystem::create_directory(theFolder.PathOf("folder.mp4"));
    ASSERT_EQ(mkfifo(theFolder.PathOf("fifo.mkv").c_str(), 0644), 0);
    ASSERT_EQ(symlink("/dev/null", theFolder.PathOf("device.y4m").c_str()), 0);
    std::filesystem::create_directory(theFolder.PathOf("f_00001.png"));
    struct Case {
        const char* output;
        const char* message;
    };
    // Named for what they are, with what to give instead, whatever their extension says.
    for (const Case& theCase :
         {Case{"folder.mp4", "cannot write 'folder.mp4': it is a folder; give a file name such as folder.mp4/movie.mp4"},
          Case{"fifo.mkv", "cannot write 'fifo.mkv': it is a pipe; give a file name such as movie.mp4"},
          Case{"device.y4m", "cannot write 'device.y4m': it is a device; give a file name such as movie.mp4"},
          Case{"/dev/null", "cannot write '/dev/null': it is a device; give a file name such as movie.mp4"},
          Case{"out/", "cannot write 'out/': it is a folder; give a file name such as out/movie.mp4"},
          Case{"x.avi", "cannot write 'x.avi': unknown type '.avi'; use .mp4, .mov, .mkv, .y4m or .png"},
          Case{"f.png", "it is a folder"}}) {
        ExpectRefused(theFolder, std::string("render -y --transition out --speed 0 a.mp4 -o ") + theCase.output,
                      theCase.message);
    }
}

TEST(RenderBadInput, InputsThatCannotBeReadTwiceAreRefusedByKind)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "a.mp4");
    ASSERT_EQ(mkfifo(theFolder.PathOf("fifo.mp4").c_str(), 0644), 0);
    std::filesystem::create_directory(theFolder.PathOf("clips"));
    ExpectRefused(theFolder, "render --transition out --speed 0 /dev/stdin -o out.mp4", "'/dev/stdin': it is a pipe",
                  "cat a.mp4 | ");
    ExpectRefused(theFolder, "render --transition out --speed 0 fifo.mp4 -o out.mp4", "'fifo.mp4': it is a pipe");
    ExpectRefused(theFolder, "render --transition cross --speed 0 a.mp4 clips -o out.mp4", "'clips': it is a folder");
}

// Each clip must hold the transitions at its ends; the line names the clip and its frames. Stills
// are found by what they hold, whatever their name, and last --still-duration.
TEST(RenderBadInput, AClipTooShortForItsTransitionsIsNamed)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "a.mp4"); // 20 frames at 10 a second; --speed 0 makes transitions of 10
    video::SyntheticClip theShort = SmallClip();
    theShort.frameCount = 15;
    MakeClip(theFolder, "short.mp4", theShort);
    // A progressive JPEG, as the web has them, which FFmpeg reads as a one-picture sequence.
    const std::string theMake = "cd " + theFolder.Path() +
                                " && ffmpeg -v error -f lavfi -i testsrc2=size=64x48 -frames:v 1 still.png" +
                                " && convert still.png -interlace Plane still.jpg && cp still.png picture";
    ASSERT_EQ(std::system(theMake.c_str()), 0);
    const struct {
        const char* arguments;
        const char* message;
    } theCases[] = {
        {"cross a.mp4 short.mp4 a.mp4",
         "the second clip, 'short.mp4', is 15 frames long; the transitions at both of its ends need 20 frames: give "
         "--duration 0.7 or less"},
        {"cross --frames 8 a.mp4 short.mp4 a.mp4",
         "the second clip, 'short.mp4', is 15 frames long; the transitions at both of its ends need 16 frames: give "
         "--frames 7 or fewer"},
        {"cross --still-duration 1.5 a.mp4 picture a.mp4",
         "the second clip, 'picture', is 15 frames long (a still of 1.5 s); the transitions at both of its ends need "
         "20 frames: give --still-duration 2 or more"},
        {"out --still-duration 0.5 a.mp4 still.jpg",
         "the second clip, 'still.jpg', is 5 frames long (a still of 0.5 s); the transition needs 10 frames: give "
         "--still-duration 1 or more"},
        {"in --still-duration 0.5 still.png a.mp4",
         "the first clip, 'still.png', is 5 frames long (a still of 0.5 s); the transition needs 10 frames: give "
         "--still-duration 1 or more"},
        {"cross --at 0.5 a.mp4 a.mp4 a.mp4",
         "--at places a single transition in the first clip: give it with two clips for cross, not 3"},
    };
    for (const auto& theCase : theCases) {
        ExpectRefused(theFolder, std::string("render --speed 0 --transition ") + theCase.arguments + " -o out.mp4",
                      theCase.message);
    }
}

TEST(RenderBadInput, AnOddSizeForA420MovieIsRefusedOrNoted)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "a.mp4");
    ExpectRefused(theFolder, "render --transition out --speed 0 --size 17x9 a.mp4 -o out.mp4",
                  "--size 17x9: .mp4 takes only an even width and height, such as 16x8 or 18x10");

    video::SyntheticClip theOdd = SmallClip();
    theOdd.width = 65;
    theOdd.height = 49;
    MakeClip(theFolder, "odd.y4m", theOdd);
    std::string theErrors;
    EXPECT_EQ(RunProgram(theFolder, "render --transition out --speed 0 odd.y4m -o odd.mp4", theErrors), 0) << theErrors;
    EXPECT_NE(theErrors.find("note: 'odd.y4m' is 65x49; .mp4 takes only even sizes, so the movie is 64x48"),
              std::string::npos)
        << theErrors;
    EXPECT_EQ(RunProgram(theFolder, "render -y --transition out --speed 0 --size 17x9 a.mp4 -o odd.y4m", theErrors), 0)
        << theErrors;
    EXPECT_EQ(OpenClip(theFolder.PathOf("odd.y4m"))->Info().width, 17);
}

TEST(RenderBadInput, ALinkedOutputKeepsItsLinkAndItsTargetsPermissions)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "a.mp4");
    std::filesystem::create_directory(theFolder.PathOf("store"));
    WriteFile(theFolder.PathOf("store/movie.mkv"), "an older movie");
    ASSERT_EQ(chmod(theFolder.PathOf("store/movie.mkv").c_str(), 0640), 0);
    ASSERT_EQ(symlink("store/movie.mkv", theFolder.PathOf("link.mkv").c_str()), 0);
    std::string theErrors;
    ASSERT_EQ(RunProgram(theFolder, "render -y --transition out --speed 0 a.mp4 -o link.mkv", theErrors), 0) << theErrors;
    EXPECT_TRUE(std::filesystem::is_symlink(theFolder.PathOf("link.mkv")));
    EXPECT_EQ(std::filesystem::read_symlink(theFolder.PathOf("link.mkv")), "store/movie.mkv");
    struct stat theStatus;
    ASSERT_EQ(stat(theFolder.PathOf("store/movie.mkv").c_str(), &theStatus), 0);
    EXPECT_EQ(theStatus.st_mode & 0777, 0640u);
    EXPECT_GE(OpenClip(theFolder.PathOf("store/movie.mkv"))->Info().frameCount, 20);
    EXPECT_EQ(std::filesystem::directory_iterator(theFolder.PathOf("store"))->path().filename(), "movie.mkv");
}

// Root may write any file: there the file is replaced and keeps its mode. An ordinary user is
// refused, which this test shows by running the program as nobody when it runs as root.
TEST(RenderBadInput, AReadOnlyOutputIsRefusedOrKeepsItsMode)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "a.mp4");
    WriteFile(theFolder.PathOf("kept.mp4"), "a finished movie");
    ASSERT_EQ(chmod(theFolder.PathOf("kept.mp4").c_str(), 0444), 0);
    std::string thePrefix;
    if (geteuid() == 0) {
        ASSERT_EQ(chmod(theFolder.Path().c_str(), 0777), 0);
        std::filesystem::create_directory(theFolder.PathOf(".config"));
        ASSERT_EQ(chmod(theFolder.PathOf(".config").c_str(), 0777), 0);
        thePrefix = "XDG_CONFIG_HOME=" + theFolder.PathOf(".config") + " setpriv --reuid=65534 --regid=65534 --clear-groups ";
        if (std::system((thePrefix + "test -x '" GLINT_PROGRAM_PATH "'").c_str()) != 0)
            GTEST_SKIP() << "nobody cannot run " GLINT_PROGRAM_PATH " from this build folder";
    }
    ExpectRefused(theFolder, "render -y --transition out --speed 0 a.mp4 -o kept.mp4", "'kept.mp4': it is read-only",
                  thePrefix);
    EXPECT_EQ(ReadFile(theFolder.PathOf("kept.mp4")), "a finished movie");
    if (geteuid() != 0) return;

    std::string theErrors;
    ASSERT_EQ(RunProgram(theFolder, "render -y --transition out --speed 0 a.mp4 -o kept.mp4", theErrors), 0) << theErrors;
    struct stat theStatus;
    ASSERT_EQ(stat(theFolder.PathOf("kept.mp4").c_str(), &theStatus), 0);
    EXPECT_EQ(theStatus.st_mode & 0777, 0444u);
    EXPECT_NE(ReadFile(theFolder.PathOf("kept.mp4")), "a finished movie");
}

// A full disk is said to be one, naming the folder that is full: a tmpfs of two pages, mounted
// in a mount namespace of the program's own.
TEST(RenderBadInput, AFullDiskNamesTheFolderThatIsFull)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "a.mp4");
    std::filesystem::create_directory(theFolder.PathOf("full"));
    const std::string thePrefix = "unshare -rm sh -c 'mount -t tmpfs -o size=8k none full && exec \"$0\" \"$@\"' ";
    if (std::system(("cd " + theFolder.Path() + " && " + thePrefix + "true").c_str()) != 0)
        GTEST_SKIP() << "no mount namespace of its own for a small tmpfs";
    const std::string theFull = std::filesystem::canonical(theFolder.PathOf("full")).string();
    const std::vector<std::string> theBefore = theFolder.Entries();
    const struct {
        const char* arguments;
        const char* command;
        const char* name; // of the file that could not be written, or its start
    } theCases[] = {
        {"render --transition out --speed 0 a.mp4 -o full/big.mkv", "render", "big.mkv"},
        {"render --transition out --speed 0 a.mp4 -o full/f_%03d.png", "render", "f_0"},
        {"luma --size 320x240 --frames 10 -o full/big.pgm", "luma", "big.pgm"},
    };
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(theCase.arguments);
        std::string theErrors;
        EXPECT_EQ(RunProgram(theFolder, theCase.arguments, theErrors, thePrefix), 1);
        // The last line; a .mkv's note comes before it.
        const std::string theLine = theErrors.substr(theErrors.rfind('\n', theErrors.size() - 2) + 1);
        EXPECT_EQ(theLine.rfind("glintweave " + std::string(theCase.command) + ": cannot write '" + theCase.name, 0), 0u)
            << theErrors;
        const std::string theEnd = "': no space left in '" + theFull + "'\n";
        EXPECT_TRUE(theLine.size() > theEnd.size() && theLine.compare(theLine.size() - theEnd.size(), theEnd.size(), theEnd) == 0)
            << theErrors;
        EXPECT_EQ(theFolder.Entries(), theBefore);
    }
}

TEST(RenderBadInput, ASequenceReplacesAllOfTheEarlierOneOrNone)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "a.mp4");
    WriteOldSequence(theFolder, 30);
    std::string theErrors;
    ASSERT_EQ(RunProgram(theFolder, "render -y --transition out --speed 0 a.mp4 -o f_%03d.png", theErrors), 0) << theErrors;
    // The clip's 20 frames, or more with an end state: fewer than the earlier 30 either way.
    const std::vector<std::string> theEntries = theFolder.Entries();
    const long theCount =
        std::count_if(theEntries.begin(), theEntries.end(), [](const std::string& theName) { return theName[0] == 'f'; });
    EXPECT_GE(theCount, 20);
    EXPECT_LT(theCount, 30);
    std::vector<std::string> theExpected{"a.mp4"};
    for (int i = 0; i < theCount; ++i) {
        char theName[32];
        std::snprintf(theName, sizeof theName, "f_%03d.png", i);
        theExpected.push_back(theName);
    }
    EXPECT_EQ(theFolder.Entries(), theExpected);
    EXPECT_EQ(ReadFile(theFolder.PathOf("f_000.png")).substr(1, 3), "PNG");
}

namespace {

// A clip long enough to be interrupted while it renders.
void MakeLongClip(TemporaryFolder& theFolder)
{
    video::SyntheticClip theLong = SmallClip();
    theLong.width = 640;
    theLong.height = 480;
    theLong.frameCount = 200;
    theLong.toneHertz = 0;
    MakeClip(theFolder, "long.mp4", theLong);
}

// The program started with theArguments, its output thrown away; 0 when it could not start.
pid_t SpawnQuietly(std::vector<std::string> theArguments, char** theEnvironment)
{
    theArguments.insert(theArguments.begin(), GLINT_PROGRAM_PATH);
    std::vector<char*> theArgv;
    for (std::string& theArgument : theArguments) theArgv.push_back(theArgument.data());
    theArgv.push_back(nullptr);
    posix_spawn_file_actions_t theActions;
    posix_spawn_file_actions_init(&theActions);
    posix_spawn_file_actions_addopen(&theActions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&theActions, 2, "/dev/null", O_WRONLY, 0);
    pid_t theChild = 0;
    if (posix_spawn(&theChild, GLINT_PROGRAM_PATH, &theActions, nullptr, theArgv.data(), theEnvironment) != 0)
        theChild = 0;
    posix_spawn_file_actions_destroy(&theActions);
    return theChild;
}

} // namespace

// An interrupted render leaves the earlier sequence as it was and nothing of its own.
TEST(RenderBadInput, AnEndingSignalLeavesTheEarlierSequenceAndNothingElse)
{
    TemporaryFolder theFolder;
    MakeLongClip(theFolder);
    WriteOldSequence(theFolder, 3);
    const std::vector<std::string> theBefore = theFolder.Entries();
    PreferencesFolder();
    for (int theSignal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(theSignal);
        const std::string theOutput = theFolder.PathOf("f_%03d.png");
        const pid_t theChild = SpawnQuietly({"render", "-y", "--transition", "out", "--speed", "0",
                                             theFolder.PathOf("long.mp4"), "-o", theOutput},
                                            environ);
        ASSERT_GT(theChild, 0);
        // Wait until pictures are being made, in the hidden folder beside the sequence.
        bool theStarted = false;
        for (int theWait = 0; theWait < 2000 && !theStarted; ++theWait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            for (const std::string& theEntry : theFolder.Entries()) {
                if (theEntry[0] == '.' && std::filesystem::is_directory(theFolder.PathOf(theEntry)) &&
                    !std::filesystem::is_empty(theFolder.PathOf(theEntry)))
                    theStarted = true;
            }
        }
        EXPECT_TRUE(theStarted);
        kill(theChild, theSignal);
        int theStatus = 0;
        ASSERT_EQ(waitpid(theChild, &theStatus, 0), theChild);
        EXPECT_TRUE(WIFSIGNALED(theStatus) && WTERMSIG(theStatus) == theSignal) << theStatus;
        EXPECT_EQ(theFolder.Entries(), theBefore);
        EXPECT_EQ(ReadFile(theFolder.PathOf("f_002.png")), "old 2");
    }
}

// What a run keeps in the temporary folder (its own settings, the demo's too) goes with it when
// a signal ends it.
TEST(RenderBadInput, AnEndingSignalLeavesNothingInTheTemporaryFolder)
{
    TemporaryFolder theFolder;
    MakeLongClip(theFolder);
    std::filesystem::create_directory(theFolder.PathOf("tmp"));
    PreferencesFolder();
    std::vector<std::string> theEnvironment{"TMPDIR=" + theFolder.PathOf("tmp")};
    for (char** theVariable = environ; *theVariable; ++theVariable)
        if (std::strncmp(*theVariable, "TMPDIR=", 7) != 0) theEnvironment.push_back(*theVariable);
    std::vector<char*> theEnvp;
    for (std::string& theVariable : theEnvironment) theEnvp.push_back(theVariable.data());
    theEnvp.push_back(nullptr);

    const std::vector<std::string> theRuns[] = {
        {"render", "-y", "--transition", "out", "--speed", "0", "--fill", "red", theFolder.PathOf("long.mp4"), "-o",
         theFolder.PathOf("out.mkv")},
        {"demo", "-o", theFolder.PathOf("demo")},
    };
    for (const std::vector<std::string>& theRun : theRuns) {
        SCOPED_TRACE(theRun[0]);
        const pid_t theChild = SpawnQuietly(theRun, theEnvp.data());
        ASSERT_GT(theChild, 0);
        bool theStarted = false;
        for (int theWait = 0; theWait < 2000 && !theStarted; ++theWait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            theStarted = !std::filesystem::is_empty(theFolder.PathOf("tmp"));
        }
        EXPECT_TRUE(theStarted);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        kill(theChild, SIGINT);
        int theStatus = 0;
        ASSERT_EQ(waitpid(theChild, &theStatus, 0), theChild);
        EXPECT_TRUE(WIFSIGNALED(theStatus) && WTERMSIG(theStatus) == SIGINT) << theStatus;
        EXPECT_TRUE(std::filesystem::is_empty(theFolder.PathOf("tmp")));
    }
}

// A signal as the finished movie is put in place: one before the rename gives it up (the earlier
// movie stays, the render ends by the signal), one during it finds the movie whole (kept, and
// status 0). Either way one line says which. strace delivers the signal at that system call; the
// settings cannot be saved (their folder would be under a file), so the movie's is the only rename.
TEST(RenderBadInput, ASignalAsTheMovieIsPutInPlaceSaysWhetherItIsKept)
{
    TemporaryFolder theFolder;
    MakeClip(theFolder, "a.mp4");
    const std::string theMovie = theFolder.PathOf("movie.mkv");
    const int theUnnamed = open(theFolder.Path().c_str(), O_TMPFILE | O_RDWR, 0600);
    if (theUnnamed >= 0) close(theUnnamed);
    const struct {
        const char* call;
        int status;
        const char* said;
        bool kept; // the new movie, else the earlier one
    } theCases[] = {
        // Only an unnamed file is linked to a hidden name before the rename.
        {"linkat", 128 + SIGINT, "the signal came before '" , false},
        {"rename", 0, "the signal came as '", true},
    };
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(theCase.call);
        if (!theCase.kept && theUnnamed < 0) continue;
        WriteFile(theMovie, "an earlier movie");
        std::string theErrors;
        // LeakSanitizer cannot work under a tracer.
        const std::string thePrefix = "ASAN_OPTIONS=detect_leaks=0 XDG_CONFIG_HOME='" + theFolder.PathOf("a.mp4/config") +
                                      "' strace -f -qq -o /dev/null -e trace=" + theCase.call + " -e inject=" +
                                      theCase.call + ":signal=SIGINT ";
        EXPECT_EQ(RunProgram(theFolder, "render -y --transition out --speed 0 a.mp4 -o " + theMovie, theErrors, thePrefix),
                  theCase.status)
            << theErrors;
        const std::string theLine = std::string("glintweave: note: ") + theCase.said + theMovie + "' was put in place: " +
                                    (theCase.kept ? "it is complete, and kept\n" : "it is left as it was\n");
        EXPECT_NE(theErrors.find(theLine), std::string::npos) << theErrors;
        EXPECT_EQ(ReadFile(theMovie) == "an earlier movie", !theCase.kept);
        EXPECT_EQ(theFolder.Entries(), (std::vector<std::string>{"a.mp4", "movie.mkv"}));
    }
}

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
    // Pixels ever so wide: the width they show at is larger than any a movie can have.
    const std::string theWide = theFolder.PathOf("wide.y4m");
    ASSERT_EQ(std::system(("ffmpeg -v error -f lavfi -i testsrc=s=64x48:rate=10 -frames:v 20 -pix_fmt yuv420p "
                           "-vf setsar=r=2147483647/1:max=2147483647 '" + theWide + "'")
                              .c_str()),
              0);
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
        {"render --transition out --speed 1 " + theShort + " -o " + theOut, "frames long; the transition needs"},
        {"render --transition cross --speed 0 " + theClip + " " + theShort + " -o " + theOut, "second clip"},
        {"render --transition in " + theClip + " -o " + theFolder.PathOf("out.avi"), ".avi"},
        {"render --transition in " + theClip + " -o " + theFolder.PathOf("no/such/folder/out.mp4"), "folder"},
        {"render --transition cross " + theClip + " -o " + theOut, "two clips"},
        {"render --transition sideways " + theClip + " -o " + theOut, "sideways"},
        {"render --transition in --speed 2 " + theClip + " -o " + theOut, "--speed"},
        {"render --transition in --size 10 " + theClip + " -o " + theOut, "--size"},
        {"render --transition in " + theClip, "-o"},
        {"render --transition out --speed 0 " + theWide + " -o " + theOut, "larger than 8192 pixels"},
    };
    for (const Case& theCase : theCases) {
        SCOPED_TRACE(theCase.arguments);
        std::string theErrors;
        EXPECT_NE(RunProgram(theFolder, theCase.arguments, theErrors), 0);
        EXPECT_EQ(std::count(theErrors.begin(), theErrors.end(), '\n'), 1) << theErrors;
        EXPECT_EQ(theErrors.rfind("glintweave render: ", 0), 0u) << theErrors;
        EXPECT_NE(theErrors.find(theCase.message), std::string::npos) << theErrors;
        EXPECT_EQ(theFolder.Entries(), theBefore);
    }
}

// A bundle that cannot be reached is named in one line, however the path fails; the folder
// below one its user may not read needs an ordinary user, as root reads every folder.
TEST(RenderBadInput, ABundleThatCannotBeReachedLeavesNoMovie)
{
    TemporaryFolder theFolder;
    const std::string theClip = MakeClip(theFolder, "a.mp4");
    std::filesystem::create_directories(theFolder.PathOf("closed/inner"));
    ASSERT_EQ(chmod(theFolder.Path().c_str(), 0777), 0);
    ASSERT_EQ(chmod(theFolder.PathOf("closed").c_str(), 0700), 0);
    std::string thePrefix;
    if (geteuid() == 0) {
        std::filesystem::create_directory(theFolder.PathOf(".config"));
        ASSERT_EQ(chmod(theFolder.PathOf(".config").c_str(), 0777), 0);
        thePrefix = "XDG_CONFIG_HOME=" + theFolder.PathOf(".config") + " setpriv --reuid=65534 --regid=65534 --clear-groups ";
        if (std::system((thePrefix + "test -x '" GLINT_PROGRAM_PATH "'").c_str()) != 0)
            GTEST_SKIP() << "nobody cannot run " GLINT_PROGRAM_PATH " from this build folder";
    }
    const struct {
        std::string bundle;
        std::string message;
    } theCases[] = {
        {theFolder.PathOf("none.bundle"), "no plug-in bundle at " + theFolder.PathOf("none.bundle")},
        {"/tmp/" + std::string(300, 'x') + ".bundle", "File name too long"},
        {theFolder.PathOf("closed/inner/x.bundle"), "Permission denied"},
    };
    for (const auto& theCase : theCases) {
        for (const std::string& theCommand : {"render --transition out " + theClip + " -o " + theFolder.PathOf("out.mp4"),
                                             std::string("info")}) {
            SCOPED_TRACE(theCase.bundle + " " + theCommand);
            std::string theErrors;
            EXPECT_EQ(RunProgram(theFolder, theCommand + " --bundle " + theCase.bundle, theErrors, thePrefix), 1);
            EXPECT_EQ(std::count(theErrors.begin(), theErrors.end(), '\n'), 1) << theErrors;
            EXPECT_NE(theErrors.find(theCase.message), std::string::npos) << theErrors;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(theFolder.PathOf("out.mp4")));
}
