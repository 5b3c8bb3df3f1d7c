// The mixer's parameters as editors show them, kept in the engine's own configuration record.
#pragma once

#include "DataHandling.h"

#include "frei0rapi.h"

// The engine's transition numbers (which).
constexpr SInt16 cTransitionOut = 1, cTransitionIn = 2, cTransitionCross = 3;

enum {
    kParamProgress,
    kParamTransition,
    kParamFill,
    kParamLeft,
    kParamRight,
    kParamTop,
    kParamBottom,
    kParamSeed,
    kParamCount
};

// What the user set. The region, the fill colour and the transition live in config, whose
// defaults are the engine's.
struct MixerSettings {
    pluginDataRec config;
    double progress;
    double seed;
};

void ResetMixerSettings(MixerSettings* theSettings);
void GetMixerParamInfo(f0r_param_info_t* theInfo, int theIndex);
void SetMixerParam(MixerSettings* theSettings, f0r_param_t theValue, int theIndex);
void GetMixerParam(const MixerSettings& theSettings, f0r_param_t theValue, int theIndex);

// The generator seed, 1 to 2^31 - 2, that a pattern seed stands for.
SInt32 PatternSeedToRandomSeed(double theSeed);
// The engine's frame number for a progress from 0 to 1 on a map of 32000 steps.
SInt32 FrameForProgress(double theProgress, SInt16 theWhich);
