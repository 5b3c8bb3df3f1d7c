#include "commands.h"

#include "PlayMovie.h"
#include "PluginBundle.h"
#include "SettingsFolder.h"
#include "ToolboxDisplay.h"
#include "renderarguments.h"
#include "UnfinishedSettings.h"

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

bool Play(const RenderRequest& theRequest, std::chrono::steady_clock::time_point theStart, std::string& outError)
{
    if (!GlintOpenVisibleDisplay()) {
        outError = std::string("cannot open a window: ") + GlintDisplayProblem();
        return false;
    }
    // After the display: Ctrl-C still becomes SDL's quit, which ends the player in order, and is
    // noted on its way.
    RemoveUnfinishedSettingsOnSignals();
    PrepareSettingsFolder();
    OneRenderSettings theSettings;
    if (theRequest.changes.Any() && !theSettings.Apply(theRequest.changes, outError)) return false;
    std::unique_ptr<PluginBundle> theBundle = LoadBundle(theRequest.bundlePath, outError);
    if (!theBundle) return false;
    play::PlayStatistics theStatistics;
    const bool thePlayed = play::PlayMovie(theBundle->Main(), theRequest.job, outError, &theStatistics);
    if (theRequest.stats && (thePlayed || video::NotedSignal())) {
        const double theWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - theStart).count();
        std::fprintf(stderr, "play: %d frames rendered, %d shown, a movie of %.2f s, in %.2f s from start to end; the "
                             "plug-in's own %.3f s of processor time\n",
                     int(theStatistics.frames), int(theStatistics.shown), theStatistics.movieSeconds, theWall,
                     theStatistics.pluginSeconds);
    }
    // Stopped by Ctrl-C or the like, in order: it ends as render does, by the signal.
    video::EndByNotedSignal();
    return thePlayed;
}

} // namespace

Command PlayCommand()
{
    const auto theStart = std::chrono::steady_clock::now();
    const auto theRequest = std::make_shared<RenderRequest>();
    Command theCommand{"play", "the same movie in a window, in real time, without writing it", "CLIP [CLIP...]"};
    theCommand.description =
        "Plays the movie that 'glintweave render' would make, in a window, in real time with its\n"
        "sound, as it renders: nothing is written. Takes all of render's options except those of\n"
        "the output file (-o, -y, --crf, --preset).\n"
        "The window closes by itself at the end. Needs a display; without a sound device the\n"
        "movie plays silently.\n"
        "\n"
        "keys:\n"
        "  space                      pause and resume\n"
        "  Left, Right                while paused, one frame back or on (back through the last\n"
        "                             frames, as many as memory keeps)\n"
        "  q, Escape                  stop (as does closing the window)";
    AddRenderOptions(theCommand, false, *theRequest);
    theCommand.check = [theRequest](const Arguments& theClips, std::string& outError) {
        return CheckRenderArguments(theClips, *theRequest, outError);
    };
    theCommand.run = [theRequest, theStart](const Arguments&, std::string& outError) {
        return Play(*theRequest, theStart, outError);
    };
    return theCommand;
}
