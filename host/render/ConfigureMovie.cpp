#include "ConfigureMovie.h"

#include "MovieClips.h"
#include "TransitionRun.h"

#include <algorithm>

bool ConfigureTransition(HYPluginMainProc theMain, const ConfigureJob& theJob, const std::function<void()>& theBeforeDialog,
                         std::string& outError)
{
    std::unique_ptr<video::FrameSource> theClipA, theClipB;
    if (!OpenTransitionClips(theJob.which, theJob.clipA, theJob.clipB, theClipA, theClipB, outError)) return false;

    MovieClips theClips(*theClipA, theClipB.get());
    HostSession theSession(theMain, theClips);
    // Small proxy frames, as an editor's timeline shows them, at most 320 pixels a side: the run
    // only has to leave the plug-in the transition's placement.
    const SInt64 theClipWidth = std::max(1, theClipA->Info().width), theClipHeight = std::max(1, theClipA->Info().height);
    const SInt64 theWidth = theClipWidth >= theClipHeight ? 320 : std::max<SInt64>(2, 320 * theClipWidth / theClipHeight);
    const SInt64 theHeight = theClipWidth >= theClipHeight ? std::max<SInt64>(2, 320 * theClipHeight / theClipWidth) : 320;
    const TransitionPlan thePlan{theJob.which, theJob.speed, SInt16(theWidth), SInt16(theHeight), true};
    if (!RunTransition(theSession, thePlan, [](SInt32, GWorldPtr) { return true; }, outError)) return false;
    if (theBeforeDialog) theBeforeDialog();
    return PressCustomButton(theSession, theJob.which, 0, outError);
}
