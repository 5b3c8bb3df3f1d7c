// A transition's settings as scene collections keep them, read back clamped to what the
// dissolve can show: a collection written by hand or by another version never stops it.
#pragma once

#include "relrects.h"

#include <obs-module.h>

#include <cstdint>

// The keys are part of saved scene collections.
constexpr const char* cDurationKey = "duration_ms";
constexpr const char* cFillKey = "fill";
constexpr const char* cLeftKey = "left";
constexpr const char* cRightKey = "right";
constexpr const char* cTopKey = "top";
constexpr const char* cBottomKey = "bottom";

struct TransitionSettings {
    int64_t durationMs; // 0 or more
    uint32_t fill;      // OBS's 0xAABBGGRR, opaque
    relRect region;     // fractions of the canvas, left <= right, top <= bottom
};

void SetTransitionDefaults(obs_data_t* theSettings);
TransitionSettings ReadTransitionSettings(obs_data_t* theSettings);
obs_properties_t* MakeTransitionProperties();
