// Alpha-red-green-blue rows straight into 4:2:0 planes at the same size, for the encoder: the
// general scaler, which has no vector code for this pair of formats, takes more than twice as
// long for this one conversion that every written frame needs.
#pragma once

#include "framescaler.h"

namespace video {

// Converts theSource into theFrame (4:2:0 planar, 8 bits, limited range) with the colour
// matrix of theSpace (BT.709 or BT.601), filtering chroma as the scaler does: the mean of a pair
// of columns, over four rows weighted 1, 3, 3, 1. Within one level of the scaler's result.
// False, doing nothing, unless the sizes are equal and even and the frame is yuv420p.
bool ArgbToYuv420(const ArgbPixels& theSource, AVFrame* theFrame, AVColorSpace theSpace);

} // namespace video
