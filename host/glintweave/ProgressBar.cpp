#include "ProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int cBarWidth = 30;
constexpr auto cRedrawInterval = std::chrono::milliseconds(100);

} // namespace

ProgressBar::ProgressBar(std::string theLabel)
    : mLabel(std::move(theLabel)), mShown(isatty(STDERR_FILENO) == 1), mStart(std::chrono::steady_clock::now()),
      mLastDrawn(mStart)
{
}

ProgressBar::~ProgressBar()
{
    // The bar stays; what follows (the output's name or an error) starts on a line of its own.
    if (mDrawn) std::fputs("\n", stderr);
}

void ProgressBar::Update(int theDone, int theTotal)
{
    if (!mShown || theTotal <= 0) return;
    const auto theNow = std::chrono::steady_clock::now();
    if (theDone < theTotal && mDrawn && theNow - mLastDrawn < cRedrawInterval) return;
    mLastDrawn = theNow;
    const double theSeconds = std::chrono::duration<double>(theNow - mStart).count();
    const double theRate = theSeconds > 0.0 ? theDone / theSeconds : 0.0;
    const double theLeft = theRate > 0.0 ? (theTotal - theDone) / theRate : 0.0;
    const int theFilled = int(long(cBarWidth) * theDone / theTotal);
    std::string theBar(size_t(theFilled), '#');
    theBar.resize(cBarWidth, '-');
    std::fprintf(stderr, "\r%s [%s] %d/%d frames, %.1f fps, %d:%02d left ", mLabel.c_str(), theBar.c_str(), theDone,
                 theTotal, theRate, int(theLeft) / 60, int(theLeft) % 60);
    std::fflush(stderr);
    mDrawn = true;
}
