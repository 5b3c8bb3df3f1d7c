#include "LaunchServices.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

// An opener still running after this long has found its application: viewers that the opener
// runs in the foreground must not hold up the caller.
constexpr auto cFailureWindow = std::chrono::milliseconds(1500);

OSStatus StatusOfExit(int theWaitStatus)
{
    if (!WIFEXITED(theWaitStatus)) return kLSUnknownErr;
    switch (WEXITSTATUS(theWaitStatus)) {
    case 0: return noErr;
    case 3:   // xdg-open: a tool it needs is missing
    case 127: // the shell found no such program
        return kLSApplicationNotFoundErr;
    default: return kLSUnknownErr;
    }
}

} // namespace

extern "C" {

OSStatus LSOpenFSRef(const FSRef* inRef, FSRef*)
{
    UInt8 thePath[4096];
    if (OSStatus theStatus = FSRefMakePath(inRef, thePath, sizeof thePath)) return theStatus;
    const char* theOpener = std::getenv("GLINT_OPEN_COMMAND");
    if (!theOpener || !*theOpener) theOpener = "xdg-open";

    posix_spawn_file_actions_t theActions;
    posix_spawn_file_actions_init(&theActions);
    posix_spawn_file_actions_addopen(&theActions, 0, "/dev/null", O_RDONLY, 0);
    char* theArguments[] = {const_cast<char*>(theOpener), reinterpret_cast<char*>(thePath), nullptr};
    pid_t theChild = 0;
    const int theError = posix_spawnp(&theChild, theOpener, &theActions, nullptr, theArguments, environ);
    posix_spawn_file_actions_destroy(&theActions);
    if (theError != 0) return theError == ENOENT ? kLSApplicationNotFoundErr : kLSUnknownErr;

    const auto theDeadline = std::chrono::steady_clock::now() + cFailureWindow;
    while (std::chrono::steady_clock::now() < theDeadline) {
        int theWaitStatus = 0;
        const pid_t theDone = waitpid(theChild, &theWaitStatus, WNOHANG);
        if (theDone == theChild) return StatusOfExit(theWaitStatus);
        if (theDone < 0) return noErr; // someone else reaped it
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::thread([theChild] { waitpid(theChild, nullptr, 0); }).detach();
    return noErr;
}

} // extern "C"
