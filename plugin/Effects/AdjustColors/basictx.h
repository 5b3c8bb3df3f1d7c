// The host glue: the entry point and one handler per host request.
#pragma once

#include "DataHandling.h"
#include "iMovieRecords.h"

// The per-instance workspace kept in the parameter block's clientData.
struct EffectData {
    SInt32 frameCount;
    SInt32 effectSourceCount;
    float sliderValues[3];
    SInt32 fadeInFrames;
    SInt32 fadeOutFrames;
    pluginDataPtr configCopy;
};
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(EffectData) == 32);
#endif

HYPluginResult EffectGetInfos(SInt16 which, HYPluginParams* params);
void SetFilterParamInfos(SInt16 which, HYPluginParams* params);
HYPluginResult EffectBegins(SInt16 which, HYPluginParams* params);
HYPluginResult EffectDrives(SInt16 which, HYPluginParams* params);
HYPluginResult TransitionFade(HYPluginParams* params, SInt16 which);
HYPluginResult ApplyEffect(GWorldPtr sourceFrame, HYPluginParams* params, SInt16 which);
void ApplyLineArtEffect(GWorldPtr sourceFrame, GWorldPtr targetFrame, HYPluginParams* params, SInt16 which);
HYPluginResult EffectEnds(SInt16 which, HYPluginParams* params);
HYPluginResult MakeEffectPlaceHolders(SInt16 which, HYPluginParams* params);
HYPluginResult CustomButtons(SInt16 which, HYPluginParams* params);
