// A web page shows the .mp4 in Chromium's <video>: a smart-rendered movie plays to its end with
// every picture decoded and seeks into the pictures copied after the transition, as a fully
// encoded one does.
#include "ffmpegtools.h"
#include "programrun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace rendertest;
using namespace videotest;

namespace {

// Plays the movie muted at four times its speed to its end, seeks, plays on to the end again
// and closes the browser; each event is a console line, which Chromium logs on stderr.
std::string PageFor(const std::string& theMovie, double theSeekSeconds)
{
    return R"(<!DOCTYPE html>
<html><body><video id="movie" muted preload="auto" src=")" +
           theMovie + R"("></video><script>
const movie = document.getElementById('movie');
let ends = 0;
function Say(what) { console.log('page: ' + what); }
function Finish() { Say('done'); window.close(); }
movie.addEventListener('loadedmetadata', () => Say('duration ' + movie.duration));
movie.addEventListener('error', () => { Say('error ' + movie.error.code + ' ' + movie.error.message); Finish(); });
movie.addEventListener('ended', () => {
  if (++ends > 1) { Say('ended again'); Finish(); return; }
  Say('ended decoded ' + (movie.webkitDecodedFrameCount ?? movie.getVideoPlaybackQuality().totalVideoFrames));
  movie.currentTime = )" +
           std::to_string(theSeekSeconds) + R"(;
});
movie.addEventListener('seeked', () => { Say('seeked ' + movie.currentTime); movie.play(); });
movie.playbackRate = 4;
movie.play().catch(why => { Say('not played: ' + why); Finish(); });
</script></body></html>
)";
}

// What the page said, in order, from log lines like
// [1808:1808:1211/033846.579053:INFO:CONSOLE:14] "page: duration 4", source: file:///... (14)
std::vector<std::string> PageLines(const std::string& theLog)
{
    std::vector<std::string> theSaid;
    std::istringstream theLines(theLog);
    for (std::string theLine; std::getline(theLines, theLine);) {
        const size_t theStart = theLine.find("\"page: "), theEnd = theLine.rfind("\", source:");
        if (theLine.find(":CONSOLE") != std::string::npos && theStart != std::string::npos && theEnd > theStart)
            theSaid.push_back(theLine.substr(theStart + 7, theEnd - theStart - 7));
    }
    return theSaid;
}

// The number after theWord in the page line that starts with it; -1 without one.
double NumberAfter(const std::vector<std::string>& theSaid, const std::string& theWord)
{
    for (const std::string& theLine : theSaid)
        if (theLine.rfind(theWord + " ", 0) == 0) return std::atof(theLine.c_str() + theWord.size() + 1);
    return -1;
}

// Plays thePage in headless Chromium with its own profile, home and TMPDIR in theFolder; the
// page closes the browser, and `timeout` ends its whole process group if it does not.
int PlayInChromium(const TemporaryFolder& theFolder, const std::string& thePage, std::string* outLog)
{
    const std::string theHome = theFolder.PathOf("chromium");
    std::filesystem::create_directories(theHome + "/tmp");
    const int theStatus = RunCommand("cd '" + theFolder.Path() + "' && HOME='" + theHome + "' TMPDIR='" + theHome +
                          "/tmp' timeout -k 10 240 chromium --headless=new --no-sandbox --disable-gpu --mute-audio "
                          "--no-first-run --disable-background-networking --disable-component-update --disable-sync "
                          "--disable-quic --disable-dev-shm-usage --autoplay-policy=no-user-gesture-required "
                          "--user-data-dir='" +
                          theHome + "/profile' --enable-logging=stderr --v=0 'file://" + thePage + "'",
                      nullptr, outLog);
    // A browser that crashed leaves its crash handler, in a session of its own, writing into the
    // folder; the "[/]" keeps pkill from matching the shell that runs it.
    RunCommand("pkill -KILL -f '[/]" + theHome.substr(1) + "'; for i in $(seq 50); do pgrep -f '[/]" + theHome.substr(1) +
               "' || exit 0; sleep 0.1; done");
    return theStatus;
}

// The limits a browser that cannot start may have run into.
std::string Limits()
{
    std::string theLimits;
    RunCommand("printf %s \"virtual memory $(ulimit -v), processes $(ulimit -p), open files $(ulimit -n)\"", &theLimits);
    return theLimits;
}

// What the page said of playing thePath, and the browser's status and log.
struct Playback {
    std::vector<std::string> said;
    std::string events, transcript, tail;
    int status;
};

Playback Play(const TemporaryFolder& theFolder, const std::string& thePath, double theSeekSeconds)
{
    Playback thePlayback;
    const std::string thePage = thePath + ".html";
    std::ofstream(thePage) << PageFor(std::filesystem::path(thePath).filename(), theSeekSeconds);
    std::string theLog;
    thePlayback.status = PlayInChromium(theFolder, thePage, &theLog);
    thePlayback.said = PageLines(theLog);
    for (const std::string& theLine : thePlayback.said) {
        thePlayback.events += (thePlayback.events.empty() ? "" : ", ") + theLine.substr(0, theLine.find(' '));
        thePlayback.transcript += theLine + "\n";
    }
    thePlayback.tail = theLog.substr(theLog.size() > 3000 ? theLog.size() - 3000 : 0);
    return thePlayback;
}

const char* const cPlayedThrough = "duration, ended, seeked, ended, done";

} // namespace

TEST(BrowserPlay, ChromiumPlaysSmartAndFullRendersToTheEndAndSeeksIntoTheCopiedPart)
{
    if (RunCommand("command -v chromium") != 0)
        GTEST_SKIP() << "chromium is not installed (scripts/packages/player.txt): no browser plays the movie";
    TemporaryFolder theFolder;
    const std::string theA = MakePatternClip(theFolder, "a.mp4", "testsrc2", "-c:v libx264 -g 25 -bf 2 -c:a aac", 4, true);
    // Where the browser cannot play even FFmpeg's own encode, it says nothing of ours.
    const Playback theControl = Play(theFolder, theA, 2);
    if (theControl.events != cPlayedThrough)
        GTEST_SKIP() << "this Chromium does not play FFmpeg's own .mp4 (exit status " << theControl.status
                     << ", page said: " << theControl.events << "; limits: " << Limits() << "); its log ends:\n"
                     << theControl.tail;
    const std::string theSameKind = "-pix_fmt yuv420p -c:v libx264 -g 40 -bf 2 -c:a aac";
    struct {
        const char* name;
        const char* clipB; // how clip B is made from FFmpeg's testsrc, 4 s with sound
        const char* render;
    } const theMovies[] = {
        {"smart", theSameKind.c_str(), "render"},
        // The movie's header then holds two sets, and clip B's pictures name the second.
        {"smart, B's parameter sets of other ids", "-pix_fmt yuv420p -c:v libx264 -g 30 -bf 1 -x264-params sps-id=2 -c:a aac", "render"},
        {"full render", theSameKind.c_str(), "render --reencode"},
    };
    int theCase = 0;
    for (const auto& theMovie : theMovies) {
        SCOPED_TRACE(theMovie.name);
        const std::string theTag = std::to_string(++theCase), theName = "movie" + theTag + ".mp4";
        const std::string theB = MakePatternClip(theFolder, "b" + theTag + ".mp4", "testsrc", theMovie.clipB, 4, true);
        const std::string thePath = theFolder.PathOf(theName);
        const std::string theJob = "--transition cross --frames 12 '" + theA + "' '" + theB + "' -o '" + thePath + "'";

        // Into the middle of the last stretch a smart render copies from clip B.
        double theSeekSeconds = -1;
        for (const PlanRow& thePart : PlanOf(theJob))
            if (thePart.what == "copied from clip 2") theSeekSeconds = (thePart.movieFirst + thePart.movieLast) / 2 / 25.0;
        ASSERT_GT(theSeekSeconds, 0) << "nothing is copied from clip 2";

        std::string theErrors;
        ASSERT_EQ(RunGlintweave(std::string(theMovie.render) + " " + theJob, nullptr, &theErrors), 0) << theErrors;
        const int theFrames = FfprobeFrameCount(thePath);

        const Playback thePlayback = Play(theFolder, thePath, theSeekSeconds);
        ASSERT_EQ(thePlayback.events, cPlayedThrough) << thePlayback.transcript << "Chromium's log ends:\n" << thePlayback.tail;
        EXPECT_EQ(thePlayback.status, 0) << "the browser did not close by itself\n" << thePlayback.tail;
        EXPECT_NEAR(NumberAfter(thePlayback.said, "duration"), theFrames / 25.0, 1 / 25.0);
        EXPECT_EQ(NumberAfter(thePlayback.said, "ended decoded"), theFrames) << thePlayback.transcript;
        EXPECT_NEAR(NumberAfter(thePlayback.said, "seeked"), theSeekSeconds, 1 / 25.0);
    }
}
