#include "commands.h"

#include "PlayMovie.h"
#include "PluginBundle.h"
#include "ToolboxDisplay.h"
#include "renderarguments.h"
#include "signalcleanup.h"

#include <chrono>
#include <cstdio>

namespace {

std::string Usage()
{
    return std::string(
               "usage: glintweave play --transition out|in|cross [options] CLIP [CLIP...]\n"
               "\n"
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
               "  q, Escape                  stop (as does closing the window)\n"
               "\n"
               "options:\n") +
           cRenderOptionsHelp;
}

} // namespace

int PlayCommand(const Arguments& theArguments)
{
    const auto theStart = std::chrono::steady_clock::now();
    for (const std::string& theArgument : theArguments) {
        if (theArgument == "--help" || theArgument == "-h") {
            std::fputs(Usage().c_str(), stdout);
            return 0;
        }
    }
    RenderRequest theRequest;
    std::string theError;
    if (!ParseRenderArguments(theArguments, false, theRequest, theError)) return Fail(theError);
    if (!GlintOpenVisibleDisplay())
        return Fail(std::string("play: cannot open a window: ") + GlintDisplayProblem());
    // After the display: Ctrl-C stays SDL's quit, which ends the player in order.
    video::RemovePendingOutputsOnSignals();

    OneRenderSettings theSettings;
    if (theRequest.changes.Any() && !theSettings.Apply(theRequest.changes, theError)) return Fail(theError);
    std::unique_ptr<PluginBundle> theBundle = PluginBundle::Load(theRequest.bundlePath, theError);
    if (!theBundle) return Fail(theError);
    play::PlayStatistics theStatistics;
    if (!play::PlayMovie(theBundle->Main(), theRequest.job, theError, &theStatistics)) return Fail("play: " + theError);
    if (theRequest.stats) {
        const double theWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - theStart).count();
        std::fprintf(stderr, "play: %d frames, a movie of %.2f s, in %.2f s from start to end; the plug-in's own %.3f s "
                             "of processor time\n",
                     int(theStatistics.frames), theStatistics.movieSeconds, theWall, theStatistics.pluginSeconds);
    }
    return 0;
}
