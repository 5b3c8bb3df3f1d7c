// Ctrl-C while the plug-in writes its settings back (as it does at every start) leaves no
// hidden temporary file in the settings folder.
#include "TempConfigHome.h"
#include "programrun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace rendertest;

namespace {

constexpr const char* cTemporaryPrefix = ".Tamsel-Prefs.tmp";

bool IsTemporary(const std::string& theName)
{
    return theName.rfind(cTemporaryPrefix, 0) == 0;
}

// Runs glintweave with theArguments and sends it SIGINT the moment its temporary settings file
// appears in theFolder. False when no such file appeared before it ended.
bool InterruptSettingsWrite(const std::string& theArguments, const std::string& theFolder)
{
    const int theWatch = inotify_init1(IN_CLOEXEC);
    EXPECT_GE(theWatch, 0);
    EXPECT_GE(inotify_add_watch(theWatch, theFolder.c_str(), IN_CREATE), 0);
    std::fflush(nullptr);
    const pid_t theChild = fork();
    if (theChild == 0) {
        const std::string theCommand = std::string("exec ") + GLINT_PROGRAM_PATH + " " + theArguments + " >/dev/null 2>&1";
        execl("/bin/sh", "sh", "-c", theCommand.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    bool theSeen = false;
    alignas(inotify_event) char theBuffer[4096];
    for (int theWaits = 0; !theSeen && theWaits < 600; ++theWaits) {
        pollfd thePoll{theWatch, POLLIN, 0};
        if (poll(&thePoll, 1, 100) <= 0) {
            if (waitpid(theChild, nullptr, WNOHANG) == theChild) {
                close(theWatch);
                return false;
            }
            continue;
        }
        const ssize_t theCount = read(theWatch, theBuffer, sizeof theBuffer);
        for (ssize_t theAt = 0; theAt < theCount;) {
            const auto* theEvent = reinterpret_cast<const inotify_event*>(theBuffer + theAt);
            if (theEvent->len > 0 && IsTemporary(theEvent->name)) theSeen = true;
            theAt += ssize_t(sizeof(inotify_event) + theEvent->len);
        }
    }
    if (theSeen) kill(theChild, SIGINT);
    else kill(theChild, SIGKILL);
    int theStatus = 0;
    waitpid(theChild, &theStatus, 0);
    close(theWatch);
    // Ended by the signal, or done before it landed: either way never by a crash.
    EXPECT_TRUE(WIFEXITED(theStatus) || WTERMSIG(theStatus) == SIGINT) << "status " << theStatus;
    return theSeen;
}

} // namespace

TEST(SettingsWriteSignal, InterruptedWriteLeavesNoTemporaryFile)
{
    videotest::TemporaryFolder theClips;
    const std::string theA = theClips.PathOf("a.mp4"), theB = theClips.PathOf("b.mp4");
    for (const std::string& thePath : {theA, theB})
        ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -c:v libx264 "
                             "-pix_fmt yuv420p '" + thePath + "'"),
                  0);
    for (const std::string& theArguments :
         {std::string("info"), "render --plan --transition cross --frames 5 -o '" + theClips.PathOf("out.mp4") + "' '" + theA + "' '" + theB + "'"}) {
        for (int theTry = 0; theTry < 10; ++theTry) {
            TempConfigHome theHome;
            ASSERT_TRUE(InterruptSettingsWrite(theArguments, theHome.Folder())) << theArguments << ": no settings written";
            for (const auto& theEntry : std::filesystem::directory_iterator(theHome.Folder()))
                EXPECT_FALSE(IsTemporary(theEntry.path().filename().string()))
                    << theArguments << ", try " << theTry << ": " << theEntry.path().filename();
        }
    }
}
