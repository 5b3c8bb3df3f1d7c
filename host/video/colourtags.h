// How pictures that do not say how to read their colours are read, written and compared: as
// players read them, by their height.
#pragma once

#include "avsupport.h"

namespace video {

// BT.709 from 720 lines up, BT.601 (SMPTE 170M) below.
AVColorSpace ColorSpaceForHeight(int theHeight);

// The tags of a picture of theHeight lines, its own where it has them, else the usual ones for
// its height; BT.470BG and SMPTE 170M are the same matrix.
int SettledPrimaries(int thePrimaries, int theHeight);
int SettledTransfer(int theTransfer, int theHeight);
int SettledMatrix(int theMatrix, int theHeight, bool theRgb);

} // namespace video
