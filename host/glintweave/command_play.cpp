#include "commands.h"

#include "PlayMovie.h"
#include "PluginBundle.h"
#include "ToolboxDisplay.h"
#include "renderarguments.h"

#include <cstdio>

namespace {

std::string Usage()
{
    return std::string(
               "usage: glintweave play --transition out|in|cross [options] CLIP [CLIP_B]\n"
               "\n"
               "Plays the movie that 'glintweave render' would make, in a window, in real time with its\n"
               "sound, as it renders: nothing is written. Takes render's options but those of the output.\n"
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

    OneRenderSettings theSettings;
    if (theRequest.changes.Any() && !theSettings.Apply(theRequest.changes, theError)) return Fail(theError);
    std::unique_ptr<PluginBundle> theBundle = PluginBundle::Load(theRequest.bundlePath, theError);
    if (!theBundle) return Fail(theError);
    if (!play::PlayMovie(theBundle->Main(), theRequest.job, theError)) return Fail("play: " + theError);
    return 0;
}
