// One mixer instance: a frame size, its settings, and the threshold map for that size and seed.
#pragma once

#include "mixerparams.h"

#include <cstdint>

struct MixerInstance {
    unsigned width;
    unsigned height;
    MixerSettings settings;
    SInt32 mapSeed; // the generator seed that made the map in settings.config.theMask
};

MixerInstance* NewMixerInstance(unsigned theWidth, unsigned theHeight);
void DisposeMixerInstance(MixerInstance* theInstance);
// Renders theOut from the two clips' frames, all of width * height pixels in red, green, blue, alpha order.
void RenderMixerFrame(MixerInstance* theInstance, const uint32_t* theFirst, const uint32_t* theSecond,
                      uint32_t* theOut);
