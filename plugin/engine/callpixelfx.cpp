#include "callpixelfx.h"

#include "PluginWorkspace.h"
#include "commonprocs.h"
#include "pixeleffect.h"

void DoPixelEffect(GWorldPtr source, GWorldPtr dest, pluginDataPtr theConfig, SInt32 currentFrameIndex,
                   SInt32 maxFrames)
{
    Rect theFrame = GetPortRect(dest);
    Rect theRect = Rel2Rect(theConfig->startRel, theFrame);
    PixelDrive(source, dest, theRect, theConfig, currentFrameIndex, maxFrames);
}

void PixelDrive(GWorldPtr source, GWorldPtr dest, const Rect& theRect, pluginDataPtr theConfig, SInt32 currentFrame,
                SInt32 numFrames)
{
    // Cross always shows the incoming picture outside the region.
    ThePixelEffect(source, dest, theRect, true, theConfig, currentFrame, numFrames);
}

void CallPixelEffect(GWorldPtr source, GWorldPtr dest)
{
    Rect theFrame = GetPortRect(dest);
    Rect theRect = Rel2Rect(gConfigWorkspace.theConfig->startRel, theFrame);
    PixelDrive(source, dest, theRect, gConfigWorkspace.theConfig, gConfigWorkspace.currFrameIndex,
               gConfigWorkspace.maxFrameIndex);
}
