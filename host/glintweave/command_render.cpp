#include "commands.h"

#include "MoviePlan.h"
#include "PluginBundle.h"
#include "ProgressBar.h"
#include "renderarguments.h"
#include "signalcleanup.h"

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

// Render's usage: its own lines around the options it shares with play.
std::string Usage()
{
    return std::string(
               "usage: glintweave render --transition out|in|cross [options] CLIP [CLIP...] -o OUTPUT\n"
               "\n"
               "Renders a finished movie: for cross, clip A, the transition into clip B and the rest of B\n"
               "(with more clips, a transition at every cut); for out, the clips ending in the transition;\n"
               "for in, the clips starting with it. A clip may be a still picture. The transition's\n"
               "length comes from the plug-in at the chosen speed; the sound fades at the plug-in's levels.\n"
               "A slideshow: render --transition cross --duration 1 a.jpg b.jpg c.png -o show.mp4\n"
               "\n"
               "options:\n") +
           cRenderOptionsHelp +
           "  -o OUTPUT                  .mp4 (H.264, AAC), .mov (ProRes 422 HQ, PCM), .mkv (lossless\n"
           "                             UT Video, FLAC), .y4m, or .png\n"
           "                             (one picture a frame: shot_%04d.png)\n"
           "  -y                         replace OUTPUT if it exists (without it, an existing OUTPUT\n"
           "                             is refused)\n"
           "  --crf N, --preset NAME     .mp4 only: x264's quality, 0 (lossless) to 51, default 18, and\n"
           "                             speed, ultrafast to veryslow, default veryfast\n"
           "  --plan                     print what each stretch of the movie is made from, and why,\n"
           "                             and write nothing\n"
           "  --reencode                 encode every frame, copying none of the clips' pictures\n";
}

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

} // namespace

int RenderCommand(const Arguments& theArguments)
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
    if (!ParseRenderArguments(theArguments, true, theRequest, theError)) return Fail(theError);
    if (theRequest.plan) {
        // --fill and --region change no segment: no settings of this render's own are made.
        std::unique_ptr<PluginBundle> theBundle = PluginBundle::Load(theRequest.bundlePath, theError);
        MoviePlan thePlan;
        if (!theBundle || !PlanMovie(theBundle->Main(), theRequest.job, thePlan, theError)) return Fail(theError);
        std::fputs(DescribeMoviePlan(theRequest.job, thePlan).c_str(), stdout);
        return 0;
    }
    video::RemovePendingOutputsOnSignals();

    OneRenderSettings theSettings;
    if (theRequest.changes.Any() && !theSettings.Apply(theRequest.changes, theError)) return Fail(theError);
    std::unique_ptr<PluginBundle> theBundle = PluginBundle::Load(theRequest.bundlePath, theError);
    if (!theBundle) return Fail(theError);
    RenderObserver theObserver;
    RenderStatistics theStatistics;
    bool theFinished = false;
    {
        ProgressBar theBar("rendering");
        theObserver.progress = [&](SInt32 theDone, SInt32 theTotal) { theBar.Update(theDone, theTotal); };
        theFinished = RenderMovie(theBundle->Main(), theRequest.job, theObserver, theError, &theStatistics);
    }
    if (!theFinished) return Fail(theError);
    if (theRequest.stats) PrintStatistics(theStatistics, theStart);
    std::printf("%s\n", theRequest.job.output.c_str());
    return 0;
}
