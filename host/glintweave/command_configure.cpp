#include "commands.h"

#include "ConfigureMovie.h"
#include "PluginBundle.h"
#include "ToolboxDisplay.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* cUsage =
    "usage: glintweave configure --transition out|in|cross [options] CLIP [CLIP_B]\n"
    "\n"
    "Opens the transition's configuration dialog on your clips, as the editor's effect button\n"
    "does: scrub through the transition, drag and resize the region, pick the fill colour and\n"
    "the frame format. OK saves the settings, and the next 'glintweave render' uses them;\n"
    "Cancel leaves them as they were. Needs a display.\n"
    "\n"
    "options:\n"
    "  --transition out|in|cross  which transition (cross takes two clips, out and in one)\n"
    "  --speed S                  0 (short) to 1 (long), default 0.5: the length to preview\n"
    "  --bundle PATH              the plug-in bundle to load\n";

} // namespace

int ConfigureCommand(const Arguments& theArguments)
{
    ConfigureJob theJob;
    theJob.which = 0;
    std::string theBundlePath = DefaultBundlePath();
    std::vector<std::string> theClips;
    for (size_t i = 0; i < theArguments.size(); ++i) {
        const std::string& theArgument = theArguments[i];
        if (theArgument == "--help" || theArgument == "-h") {
            std::fputs(cUsage, stdout);
            return 0;
        }
        if (IsSharedOption(theArgument)) {
            if (i + 1 >= theArguments.size()) return Fail("configure: " + theArgument + " needs a value");
            std::string theError;
            if (!TakeSharedOption(theArgument, theArguments[++i], theJob.which, theJob.speed, theBundlePath, theError))
                return Fail(theError);
            continue;
        }
        if (!theArgument.empty() && theArgument[0] == '-')
            return Fail("configure: unknown option '" + theArgument + "'");
        theClips.push_back(theArgument);
    }
    std::string theError;
    if (!TakeTransitionClips("configure", theJob.which, theClips, theJob.clipA, theJob.clipB, theError))
        return Fail(theError);

    if (!GlintUseDisplay()) return Fail("configure: no display to open the dialog on (is DISPLAY set?)");
    std::unique_ptr<PluginBundle> theBundle = PluginBundle::Load(theBundlePath, theError);
    if (!theBundle) return Fail(theError);
    if (!ConfigureTransition(theBundle->Main(), theJob, theError)) return Fail(theError);
    std::printf("the dialog has closed: after OK, 'glintweave render' uses the new settings\n");
    return 0;
}
