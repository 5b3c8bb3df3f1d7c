#include "commands.h"

#include "MoviePlan.h"
#include "PluginBundle.h"
#include "ProgressBar.h"
#include "SettingsFolder.h"
#include "renderarguments.h"
#include "UnfinishedSettings.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

double ProcessorSeconds()
{
    rusage theUsage{};
    getrusage(RUSAGE_SELF, &theUsage);
    return double(theUsage.ru_utime.tv_sec + theUsage.ru_stime.tv_sec) +
           double(theUsage.ru_utime.tv_usec + theUsage.ru_stime.tv_usec) * 1e-6;
}

// The plug-in's share is of the processor time of every thread: wall time would count the
// moments the plug-in's thread waited for the encoder's to leave it a core.
void PrintStatistics(const RenderStatistics& theStatistics, std::chrono::steady_clock::time_point theStart)
{
    const double theWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - theStart).count();
    const double theProcessor = ProcessorSeconds();
    std::fprintf(stderr, "render: %d frames in %.2f s, %.2f s of processor time; the plug-in's own %.3f s (%.1f %%)\n",
                 int(theStatistics.frames), theWall, theProcessor, theStatistics.pluginSeconds,
                 theProcessor > 0.0 ? 100.0 * theStatistics.pluginSeconds / theProcessor : 0.0);
    std::fprintf(stderr, "render: frames copied %d, passed on as decoded %d, drawn %d, through the plug-in %d\n",
                 int(theStatistics.copied), int(theStatistics.passedDecoded), int(theStatistics.passedDrawn),
                 int(theStatistics.rendered));
}

// Prints the movie's plan; --fill and --region change no segment, so no settings of this
// render's own are made, and no movie is written.
bool PrintPlan(const RenderRequest& theRequest, std::string& outError)
{
    std::unique_ptr<PluginBundle> theBundle = LoadBundle(theRequest.bundlePath, outError);
    MoviePlan thePlan;
    if (!theBundle || !PlanMovie(theBundle->Main(), theRequest.job, thePlan, outError)) return false;
    std::fputs(DescribeMoviePlan(theRequest.job, thePlan).c_str(), stdout);
    return true;
}

// Renders theRequest's movie; theStart is when the program started, for --stats.
bool Render(const RenderRequest& theRequest, std::chrono::steady_clock::time_point theStart, std::string& outError)
{
    if (!CheckOutput(theRequest.job, outError)) return false;
    RemoveUnfinishedSettingsOnSignals();
    PrepareSettingsFolder();
    if (theRequest.plan) return PrintPlan(theRequest, outError);
    OneRenderSettings theSettings;
    if (theRequest.changes.Any() && !theSettings.Apply(theRequest.changes, outError)) return false;
    std::unique_ptr<PluginBundle> theBundle = LoadBundle(theRequest.bundlePath, outError);
    if (!theBundle) return false;
    RenderObserver theObserver;
    RenderStatistics theStatistics;
    bool theFinished = false;
    {
        ProgressBar theBar("rendering");
        theObserver.progress = [&](SInt32 theDone, SInt32 theTotal) { theBar.Update(theDone, theTotal); };
        theFinished = RenderMovie(theBundle->Main(), theRequest.job, theObserver, outError, &theStatistics);
    }
    if (!theFinished) return false;
    if (theRequest.stats) PrintStatistics(theStatistics, theStart);
    std::printf("%s\n", video::FirstFileOf(theRequest.job.output).c_str());
    return true;
}

} // namespace

Command RenderCommand()
{
    const auto theStart = std::chrono::steady_clock::now();
    const auto theRequest = std::make_shared<RenderRequest>();
    Command theCommand{"render", "a movie with a transition from your clips", "CLIP [CLIP...]"};
    theCommand.description =
        "Renders a finished movie: for cross, clip A, the transition into clip B and the rest of B\n"
        "(with more clips, a transition at every cut); for out, the clips ending in the transition;\n"
        "for in, the clips starting with it. A clip may be a still picture. The transition's\n"
        "length comes from the plug-in at the chosen speed; the sound fades at the plug-in's levels.\n"
        "A slideshow: render --transition cross --duration 1 a.jpg b.jpg c.png -o show.mp4";
    AddRenderOptions(theCommand, true, *theRequest);
    theCommand.check = [theRequest](const Arguments& theClips, std::string& outError) {
        return CheckRenderArguments(theClips, *theRequest, outError);
    };
    theCommand.run = [theRequest, theStart](const Arguments&, std::string& outError) {
        return Render(*theRequest, theStart, outError);
    };
    return theCommand;
}
