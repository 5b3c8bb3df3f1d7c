// Fetching a host frame into one of the plug-in's own buffers (used by the dialog).
#pragma once

#include "iMovieRecords.h"

// -1 for a frame before the movie's start, else the host's result. disposeAfterUse is kept for
// callers; this host keeps ownership of its frames, so a delivered buffer is never disposed here.
SInt16 GetFrameIntoGW(GWorldPtr theGW, HYPluginParams* params, SInt32 frameIndex, SInt32 disposeAfterUse);
