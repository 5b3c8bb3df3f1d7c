// Alpha-red-green-blue rows to and from 4:2:0 planes at the same size: every frame a render
// reads or writes needs one of these, and the general scaler, which has no vector code for
// these pairs of formats, takes twice as long or more.
#pragma once

#include "framescaler.h"

namespace video {

// Converts theSource into theFrame (4:2:0 planar, 8 bits, limited range) with the colour
// matrix of theSpace (BT.709 or BT.601), filtering chroma as the scaler does: the mean of a pair
// of columns, over four rows weighted 1, 3, 3, 1. Within one level of the scaler's result.
// False, doing nothing, unless the sizes are equal and even and the frame is yuv420p.
bool ArgbToYuv420(const ArgbPixels& theSource, AVFrame* theFrame, AVColorSpace theSpace);

// Converts theFrame (yuv420p, limited or full range, BT.709 or BT.601) into opaque pixels of
// theTarget, each chroma sample serving its 2x2 pixels, as the scaler's same-size conversion
// does. False, doing nothing, unless the sizes are equal and even and the format and matrix
// are those.
bool Yuv420ToArgb(const AVFrame* theFrame, const ArgbPixels& theTarget, AVColorSpace theSpace, bool theFullRange);

} // namespace video
