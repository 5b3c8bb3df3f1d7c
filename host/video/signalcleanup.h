// Hidden files and folders of outputs not yet complete, removed when SIGINT, SIGTERM or SIGHUP
// ends the program, which then dies of that signal as it would have. Moving finished outputs
// into place holds such a signal back until the move is complete or undone.
#pragma once

#include <string>

namespace video {

// Installs the handlers; the program calls it once, before it writes anything. A signal that
// is ignored or already handled is left as it is.
void RemovePendingOutputsOnSignals();

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
    SignalHold(const SignalHold&) = delete;
    SignalHold& operator=(const SignalHold&) = delete;
};

} // namespace video
