#include "PlayMovie.h"

#include "MoviePlayer.h"
#include "PlayClock.h"
#include "PlayerSink.h"

#include <cstdio>
#include <exception>
#include <new>
#include <thread>

namespace play {

namespace {

// Frames between the render and the player: with the player's own few ahead, enough to ride
// out an uneven render, few enough that 1080p stays within tens of megabytes.
constexpr size_t cQueueFrames = 3;

std::string NameOf(const std::string& thePath)
{
    const size_t theSlash = thePath.find_last_of('/');
    return theSlash == std::string::npos ? thePath : thePath.substr(theSlash + 1);
}

std::string TitleOf(const RenderJob& theJob)
{
    std::string theTitle;
    for (const std::string& theClip : theJob.clips) theTitle += (theTitle.empty() ? "" : ", ") + NameOf(theClip);
    return theTitle;
}

} // namespace

bool PlayMovie(HYPluginMainProc theMain, const RenderJob& theJob, std::string& outError,
               PlayStatistics* outStatistics)
{
    std::string theSoundProblem;
    std::unique_ptr<SoundOutput> theSound = SoundOutput::Open(theSoundProblem);
    PlayQueue theQueue(cQueueFrames);
    RenderStatistics theStatistics;
    std::thread theRender([&] {
        RenderObserver theObserver;
        theObserver.progress = [&](SInt32, SInt32 theTotal) { theQueue.SetTotalFrames(theTotal); };
        theObserver.stopped = [&] { return theQueue.HasQuit(); };
        const FrameSinkMaker theMakeSink = [&](const video::MovieSettings& theSettings, std::string&) {
            theQueue.Begin(theSettings);
            return std::make_unique<PlayerSink>(theQueue, theSettings.rate, theSettings.withAudio && theSound);
        };
        std::string theError;
        bool theRendered = false;
        // Nothing may leave the thread: the player would never hear that the render ended.
        try {
            theRendered = RenderToSink(theMain, theJob, theMakeSink, theObserver, theError, &theStatistics);
        } catch (const std::bad_alloc&) {
            theError = "out of memory";
        } catch (const std::exception& theException) {
            theError = std::string("the render failed: ") + theException.what();
        } catch (...) {
            theError = "the render failed";
        }
        theQueue.Finish(theRendered, theError);
    });
    bool thePlayed = true;
    video::MovieSettings theSettings;
    bool theQuit = false;
    SInt64 theShown = 0;
    try {
        while (!theQueue.WaitForBegin(theSettings, std::chrono::milliseconds(20)) && !theQueue.HasFinished()) {
            // Ctrl-C and the like while the clips open.
            SDL_PumpEvents();
            if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0) {
                theQuit = true;
                break;
            }
        }
        if (!theQuit && theQueue.WaitForBegin(theSettings, std::chrono::milliseconds(0))) {
            if (theSettings.withAudio && !theSound)
                std::fprintf(stderr, "glintweave: note: no sound device, so the movie plays silently (%s)\n", theSoundProblem.c_str());
            std::unique_ptr<PlayerWindow> theWindow =
                PlayerWindow::Open(theSettings.width, theSettings.height, TitleOf(theJob), outError);
            if (theWindow) {
                MoviePlayer thePlayer(theQueue, *theWindow, theSound.get(), theSettings, TitleOf(theJob));
                thePlayed = thePlayer.Run(outError);
                theQuit = thePlayer.PersonQuit();
                theShown = thePlayer.FramesShown();
            } else {
                thePlayed = false;
            }
        }
    } catch (const std::exception& theException) {
        // The render thread is still joinable here: the exception must not leave.
        outError = theException.what();
        thePlayed = false;
    } catch (...) {
        outError = "the player failed";
        thePlayed = false;
    }
    // Stops a render that is still going; its next frame finds the player gone.
    theQueue.Quit();
    theRender.join();
    if (outStatistics) {
        outStatistics->frames = theStatistics.frames;
        outStatistics->shown = SInt32(theShown);
        outStatistics->movieSeconds = double(FrameStartNanoseconds(theStatistics.frames, theSettings.rate)) * 1e-9;
        outStatistics->pluginSeconds = theStatistics.pluginSeconds;
    }
    if (!thePlayed || theQuit) return thePlayed;
    if (theQueue.HasFailed()) {
        outError = theQueue.Error();
        return false;
    }
    return true;
}

} // namespace play
