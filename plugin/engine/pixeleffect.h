// The threshold map and the three dissolves: Out (to the fill colour), In (from it) and Cross.
//
// The kernels move whole pixels; they make only the fill pixel and the alpha that In and Out force,
// in the byte order of the destination's pixelFormat (alpha first, or red, green, blue, alpha for a
// buffer over a frame of another program). Buffers of different byte orders are never mixed: the
// frame is then left as it was, as for buffers of the wrong size.
#pragma once

#include "DataHandling.h"

constexpr SInt32 cMaxThreshold = 32000;

void InitPixelEffect(pluginDataPtr theConfig, SInt32 maxFrame, SInt16 wid, SInt16 hig);
void ShutdownPixelEffect(pluginDataPtr theConfig);
void SetupRandomDoneFrame(GWorldPtr dest, SInt32 totalFrames);

void CrossFXPixel(GWorldPtr sourceLeft, GWorldPtr sourceRight, GWorldPtr dest, const Rect& activeRect,
                  Boolean copyRest, pluginDataPtr theConfig, SInt32 frameNum, SInt32 totalFrames);
void InFXPixel(GWorldPtr sourceLeft, GWorldPtr sourceRight, GWorldPtr dest, const Rect& activeRect, Boolean copyRest,
               pluginDataPtr theConfig, SInt32 frameNum, SInt32 totalFrames);
void OutFXPixel(GWorldPtr sourceLeft, GWorldPtr sourceRight, GWorldPtr dest, const Rect& activeRect,
                Boolean copyRest, pluginDataPtr theConfig, SInt32 frameNum, SInt32 totalFrames);

void ThePixelEffect(GWorldPtr source, GWorldPtr dest, const Rect& activeRect, Boolean copyRest,
                    pluginDataPtr theConfig, SInt32 currentFrame, SInt32 maxFrame);
