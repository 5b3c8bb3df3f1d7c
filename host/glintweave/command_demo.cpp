#include "commands.h"

#include "DemoMovies.h"
#include "PluginBundle.h"
#include "ProgressBar.h"
#include "scratchfolder.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

int DemoCommand(const Arguments& theArguments)
{
    std::string theFolder = "glintweave-demo";
    std::string theBundlePath = DefaultBundlePath();
    for (size_t i = 0; i < theArguments.size(); ++i) {
        const std::string& theArgument = theArguments[i];
        if (theArgument == "--help" || theArgument == "-h") {
            std::puts("usage: glintweave demo [-o FOLDER] [--bundle PATH]\n"
                      "\n"
                      "Makes two short test clips with FFmpeg's generators, renders Out and In on the first\n"
                      "and Cross between both, and draws a contact sheet of the three transitions at 0, 25,\n"
                      "50, 75 and 100 %. Everything goes into FOLDER (default glintweave-demo).\n"
                      "The transitions use the default settings; your saved ones are left alone.");
            return 0;
        }
        if ((theArgument == "-o" || theArgument == "--bundle") && i + 1 < theArguments.size()) {
            (theArgument == "-o" ? theFolder : theBundlePath) = theArguments[++i];
            continue;
        }
        return Fail("demo: unknown option '" + theArgument + "'");
    }

    std::string theError;
    video::RemovePendingOutputsOnSignals();
    // An empty settings folder of the demo's own: the plug-in runs on its defaults and the
    // user's settings are neither read nor written.
    video::ScratchFolder theSettings;
    if (!theSettings.Make("glintweave-settings", theError)) return Fail("demo: " + theError);
    setenv("XDG_CONFIG_HOME", theSettings.Path().c_str(), 1);
    std::unique_ptr<PluginBundle> theBundle = PluginBundle::Load(theBundlePath, theError);
    if (!theBundle) return Fail(theError);
    DemoResult theResult;
    bool theFinished = false;
    {
        ProgressBar theBar("demo");
        RenderObserver theObserver;
        theObserver.progress = [&](SInt32 theDone, SInt32 theTotal) { theBar.Update(theDone, theTotal); };
        theFinished = MakeDemoMovies(theBundle->Main(), theFolder, theObserver, theResult, theError);
    }
    if (!theFinished) return Fail(theError);
    for (const std::string& theClip : theResult.clips) std::printf("clip:          %s\n", theClip.c_str());
    for (const std::string& theMovie : theResult.movies) std::printf("movie:         %s\n", theMovie.c_str());
    std::printf("contact sheet: %s\n", theResult.contactSheet.c_str());
    return 0;
}
