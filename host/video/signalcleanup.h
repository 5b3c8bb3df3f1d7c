// Hidden files and folders of outputs not yet complete, removed when SIGINT, SIGTERM or SIGHUP
// ends the program, which then dies of that signal as it would have. Moving finished outputs
// into place holds such a signal back until the move is complete or undone. A signal that a
// library turns into an event of its own (SDL's quit) is noted on its way to it, for the
// program to end by once it has stopped in order.
#pragma once

#include <string>

namespace video {

// Installs the handlers; the program calls it once, before it writes anything. A signal that
// is ignored is left as it is; one a library handles still reaches it, noted.
void RemovePendingOutputsOnSignals();

// The ending signal noted (passed on to a library, or once an output was complete); 0 when none.
int NotedSignal();

// Ends the program as the signal noted would have, if one was; else returns.
void EndByNotedSignal();

// A hidden file or folder (with the files in it) to remove on a signal while registered.
class SignalCleanup {
public:
    SignalCleanup() = default;
    SignalCleanup(const SignalCleanup&) = delete;
    SignalCleanup& operator=(const SignalCleanup&) = delete;
    ~SignalCleanup() { Forget(); }

    // False when every slot is taken or the path is too long: the path is then left to the
    // caller's own cleanup alone.
    bool Remember(const std::string& thePath);
    void Forget();

private:
    int mSlot = -1;
};

// While one lives, a signal waits; when the last one ends, a waiting signal ends the program.
class SignalHold {
public:
    SignalHold();
    ~SignalHold();
    // Whether a signal waits: a step not yet taken is better given up.
    static bool SignalWaiting();
    // The output held for is complete and in place: a signal waiting when this, the last hold,
    // ends does not end the program but is noted, for it to end by before it begins another
    // output (EndByNotedSignal).
    void Completed() { mCompleted = true; }
    SignalHold(const SignalHold&) = delete;
    SignalHold& operator=(const SignalHold&) = delete;

private:
    bool mCompleted = false;
};

} // namespace video
