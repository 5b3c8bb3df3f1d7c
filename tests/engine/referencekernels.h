// The three dissolves as plain per-pixel loops, the reference every build's kernels must match.
#pragma once

#include "DataHandling.h"

enum class ReferenceTransition { Cross, In, Out };

void ReferenceFXPixel(ReferenceTransition theTransition, GWorldPtr sourceLeft, GWorldPtr sourceRight, GWorldPtr dest,
                      const Rect& activeRect, bool copyRest, const pluginDataRec& theConfig, SInt32 frameNum);
