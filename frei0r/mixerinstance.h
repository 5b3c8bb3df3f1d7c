// One mixer instance: a frame size, its settings, and the threshold maps for that size and seed.
#pragma once

#include "mixerparams.h"

#include <cstdint>

struct MixerInstance {
    unsigned width;
    unsigned height;
    MixerSettings settings;
    GWorldPtr* maps; // a threshold map for each tile of the frame, or null until they are made
    SInt32 mapSeed;  // the generator seed that made them
};

// Null, as the host sees, for frames no buffer of the engine can address (rows of 2 GB or more).
MixerInstance* NewMixerInstance(unsigned theWidth, unsigned theHeight);
void DisposeMixerInstance(MixerInstance* theInstance);
// Renders theOut from the two clips' frames, all of width * height pixels in red, green, blue, alpha order.
void RenderMixerFrame(MixerInstance* theInstance, const uint32_t* theFirst, const uint32_t* theSecond,
                      uint32_t* theOut);
