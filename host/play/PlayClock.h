// When each frame of a movie played in real time is due. Every time is worked out from the
// frame's number rather than added up frame by frame, so a long movie never drifts.
#pragma once

#include "VideoTypes.h"

namespace play {

// The start of frame theFrame at theRate, in nanoseconds from the movie's start, rounded down.
SInt64 FrameStartNanoseconds(SInt64 theFrame, video::FrameRate theRate);

// theSamples of sound at 48 kHz, in nanoseconds, rounded down.
SInt64 SamplesToNanoseconds(SInt64 theSamples);

} // namespace play
