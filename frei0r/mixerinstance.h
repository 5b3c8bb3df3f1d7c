// One mixer instance: a frame size, its settings, and the threshold map for that size and seed.
#pragma once

#include "mixerparams.h"

#include <cstdint>

struct MixerInstance {
    unsigned width;
    unsigned height;
    MixerSettings settings;
    bool mapMade; // theMask in settings.config is the map made with the generator seed mapSeed
    SInt32 mapSeed;
};

MixerInstance* NewMixerInstance(unsigned theWidth, unsigned theHeight);
void DisposeMixerInstance(MixerInstance* theInstance);
// Renders theOut from the two clips' frames, all of width * height pixels in red, green, blue, alpha order.
void RenderMixerFrame(MixerInstance* theInstance, const uint32_t* theFirst, const uint32_t* theSecond, uint32_t* theOut);
