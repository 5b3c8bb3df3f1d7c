// A one-line progress bar on stderr (frames done, frames a second, time left), drawn only when
// stderr is a terminal.
#pragma once

#include <chrono>
#include <string>

class ProgressBar {
public:
    explicit ProgressBar(std::string theLabel);
    ~ProgressBar();
    void Update(int theDone, int theTotal);

private:
    std::string mLabel;
    bool mShown;
    bool mDrawn = false;
    std::chrono::steady_clock::time_point mStart, mLastDrawn;
};
