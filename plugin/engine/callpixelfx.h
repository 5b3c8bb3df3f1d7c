// The effect driver: maps the configured region onto a frame and runs the transition.
#pragma once

#include "DataHandling.h"

void DoPixelEffect(GWorldPtr source, GWorldPtr dest, pluginDataPtr theConfig, SInt32 currentFrameIndex,
                   SInt32 maxFrames);
void PixelDrive(GWorldPtr source, GWorldPtr dest, const Rect& theRect, pluginDataPtr theConfig, SInt32 currentFrame,
                SInt32 numFrames);
// The dialog's preview: frame currFrameIndex of the workspace's configuration, out of maxFrameIndex frames.
void CallPixelEffect(GWorldPtr source, GWorldPtr dest);
