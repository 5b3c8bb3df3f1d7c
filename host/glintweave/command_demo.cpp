#include "commands.h"

#include "DemoMovies.h"
#include "PluginBundle.h"
#include "ProgressBar.h"
#include "scratchfolder.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

bool MakeDemo(const std::string& theFolder, const std::string& theBundlePath, std::string& outError)
{
    video::RemovePendingOutputsOnSignals();
    // An empty settings folder of the demo's own: the plug-in runs on its defaults and the
    // user's settings are neither read nor written.
    video::ScratchFolder theSettings;
    if (!theSettings.Make("glintweave-settings", outError)) return false;
    setenv("XDG_CONFIG_HOME", theSettings.Path().c_str(), 1);
    std::unique_ptr<PluginBundle> theBundle = LoadBundle(theBundlePath, outError);
    if (!theBundle) return false;
    DemoResult theResult;
    bool theFinished = false;
    {
        ProgressBar theBar("demo");
        RenderObserver theObserver;
        theObserver.progress = [&](SInt32 theDone, SInt32 theTotal) { theBar.Update(theDone, theTotal); };
        theFinished = MakeDemoMovies(theBundle->Main(), theFolder, theObserver, theResult, outError);
    }
    if (!theFinished) return false;
    for (const std::string& theClip : theResult.clips) std::printf("clip:          %s\n", theClip.c_str());
    for (const std::string& theMovie : theResult.movies) std::printf("movie:         %s\n", theMovie.c_str());
    std::printf("contact sheet: %s\n", theResult.contactSheet.c_str());
    return true;
}

} // namespace

Command DemoCommand()
{
    struct Values {
        std::string folder = "glintweave-demo";
        std::string bundlePath;
    };
    const auto theValues = std::make_shared<Values>();
    Command theCommand{"demo", "test clips, all three transitions and a contact sheet"};
    theCommand.description =
        "Makes two short test clips with FFmpeg's generators, renders Out and In on the first\n"
        "and Cross between both, and draws a contact sheet of the three transitions at 0, 25,\n"
        "50, 75 and 100 %. Everything goes into FOLDER (default glintweave-demo).\n"
        "The transitions use the default settings; your saved ones are left alone.";
    theCommand.options = {TextOption("-o", "FOLDER", "where everything goes, default glintweave-demo", theValues->folder),
                          BundleOption(theValues->bundlePath)};
    theCommand.run = [theValues](const Arguments&, std::string& outError) {
        return MakeDemo(theValues->folder, theValues->bundlePath, outError);
    };
    return theCommand;
}
