#include "commands.h"

#include "DemoMovies.h"
#include "PluginBundle.h"
#include "ProgressBar.h"
#include "SettingsFolder.h"

#include <cstdio>
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
    const ScratchSettingsFolder theSettings;
    if (!theSettings.Ready(theError)) return Fail("demo: " + theError);
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
