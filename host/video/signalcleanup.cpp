#include "signalcleanup.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <sched.h>
#include <unistd.h>

namespace video {

namespace {

constexpr int cSlots = 16;
constexpr size_t cLongestPath = 4096;
constexpr int cSignals[] = {SIGINT, SIGTERM, SIGHUP};

enum SlotState { kFree, kFilling, kInUse };

struct Slot {
    std::atomic<int> state{kFree};
    char path[cLongestPath];
};

Slot lgSlots[cSlots];
std::atomic<int> lgHolds{0};
std::atomic<bool> lgDying{false};
std::atomic<int> lgWaitingSignal{0};
std::atomic<int> lgNotedSignal{0};
// The handlers of the libraries that had a signal before us, by its place in cSignals.
struct sigaction lgLibraryActions[std::size(cSignals)];

// Only calls that are safe in a signal handler from here on.
void EmptyFolder(int theFolder)
{
    alignas(8) char theBuffer[4096];
    // Removing entries while reading them may skip some: read again until a pass removes none.
    for (bool theRemoved = true; theRemoved;) {
        theRemoved = false;
        if (lseek(theFolder, 0, SEEK_SET) < 0) return;
        for (;;) {
            ssize_t theCount = getdents64(theFolder, theBuffer, sizeof theBuffer);
            if (theCount <= 0) break;
            for (ssize_t theOffset = 0; theOffset < theCount;) {
                const dirent64* theEntry = reinterpret_cast<const dirent64*>(theBuffer + theOffset);
                theOffset += theEntry->d_reclen;
                const char* theName = theEntry->d_name;
                if (theName[0] == '.' && (theName[1] == '\0' || (theName[1] == '.' && theName[2] == '\0'))) continue;
                if (unlinkat(theFolder, theName, 0) == 0) theRemoved = true;
            }
        }
    }
}

void RemovePath(const char* thePath)
{
    if (unlink(thePath) == 0 || (errno != EISDIR && errno != EPERM)) return;
    int theFolder = open(thePath, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (theFolder < 0) return;
    EmptyFolder(theFolder);
    close(theFolder);
    rmdir(thePath);
}

[[noreturn]] void EndBySignal(int theSignal)
{
    lgDying.store(true);
    for (Slot& theSlot : lgSlots) {
        if (theSlot.state.load() == kInUse) RemovePath(theSlot.path);
    }
    signal(theSignal, SIG_DFL);
    sigset_t theSet;
    sigemptyset(&theSet);
    sigaddset(&theSet, theSignal);
    pthread_sigmask(SIG_UNBLOCK, &theSet, nullptr);
    raise(theSignal);
    _exit(128 + theSignal);
}

void EndingSignalHandler(int theSignal)
{
    lgDying.store(true);
    if (lgHolds.load() > 0) {
        lgWaitingSignal.store(theSignal);
        lgDying.store(false);
        return;
    }
    EndBySignal(theSignal);
}

void NotingSignalHandler(int theSignal, siginfo_t* theInfo, void* theContext)
{
    lgNotedSignal.store(theSignal);
    for (size_t i = 0; i < std::size(cSignals); ++i) {
        if (cSignals[i] != theSignal) continue;
        const struct sigaction& theLibrary = lgLibraryActions[i];
        if (theLibrary.sa_flags & SA_SIGINFO) theLibrary.sa_sigaction(theSignal, theInfo, theContext);
        else if (theLibrary.sa_handler != SIG_DFL && theLibrary.sa_handler != SIG_IGN) theLibrary.sa_handler(theSignal);
    }
}

} // namespace

void RemovePendingOutputsOnSignals()
{
    for (size_t i = 0; i < std::size(cSignals); ++i) {
        const int theSignal = cSignals[i];
        struct sigaction theOld;
        // A signal the program was started to ignore (nohup) stays ignored, and one a library
        // already turns into an event of its own (SDL's quit) still goes to it.
        if (sigaction(theSignal, nullptr, &theOld) != 0 || theOld.sa_handler == SIG_IGN) continue;
        const bool theOurs = (theOld.sa_flags & SA_SIGINFO) ? theOld.sa_sigaction == NotingSignalHandler
                                                             : theOld.sa_handler == EndingSignalHandler;
        if (theOurs) continue;
        struct sigaction theAction;
        std::memset(&theAction, 0, sizeof theAction);
        if (theOld.sa_handler == SIG_DFL) {
            theAction.sa_handler = EndingSignalHandler;
        } else {
            lgLibraryActions[i] = theOld;
            theAction.sa_sigaction = NotingSignalHandler;
            theAction.sa_flags = SA_SIGINFO;
        }
        theAction.sa_flags |= SA_RESTART;
        sigemptyset(&theAction.sa_mask);
        for (int theOther : cSignals) sigaddset(&theAction.sa_mask, theOther);
        sigaction(theSignal, &theAction, nullptr);
    }
}

int NotedSignal()
{
    return lgNotedSignal.load();
}

void EndByNotedSignal()
{
    if (const int theSignal = lgNotedSignal.load()) EndBySignal(theSignal);
}

bool SignalCleanup::Remember(const std::string& thePath)
{
    Forget();
    if (thePath.size() >= cLongestPath) return false;
    for (int i = 0; i < cSlots; ++i) {
        int theFree = kFree;
        if (!lgSlots[i].state.compare_exchange_strong(theFree, kFilling)) continue;
        std::memcpy(lgSlots[i].path, thePath.c_str(), thePath.size() + 1);
        lgSlots[i].state.store(kInUse);
        mSlot = i;
        return true;
    }
    return false;
}

void SignalCleanup::Forget()
{
    if (mSlot < 0) return;
    lgSlots[mSlot].state.store(kFree);
    mSlot = -1;
}

SignalHold::SignalHold()
{
    ++lgHolds;
    // A handler on another thread that saw no hold is removing the pending outputs: wait for
    // the end rather than move them meanwhile.
    while (lgDying.load()) sched_yield();
}

bool SignalHold::SignalWaiting()
{
    return lgWaitingSignal.load() != 0;
}

SignalHold::~SignalHold()
{
    if (--lgHolds > 0) return;
    const int theSignal = lgWaitingSignal.exchange(0);
    if (theSignal && mCompleted) lgNotedSignal.store(theSignal);
    else if (theSignal) EndBySignal(theSignal);
}

} // namespace video
