#include "basictx.h"

#include "PluginDefines.h"
#include "Resources.h"

#include <algorithm>
#include <cstring>

namespace {

// Copies an indexed string into a fixed text field, cut to fit with its terminating zero.
void CopyIndString(char* theField, size_t theFieldSize, SInt16 theList, SInt16 theIndex)
{
    Str255 theText;
    GetIndString(theText, theList, theIndex);
    size_t theLength = std::min<size_t>(theText[0], theFieldSize - 1);
    std::memcpy(theField, theText + 1, theLength);
    theField[theLength] = 0;
}

} // namespace

HYPluginResult EffectGetInfos(SInt16 which, HYPluginParams* params)
{
    HYPluginTransitionInfo* theInfo = nullptr;
    HYPluginResult theResult = params->procs->GetTransitionInfo(params->instance, &theInfo);
    if (theResult != kPluginOK || !theInfo) return theResult;

    HYPluginGetInfo& theGetInfo = params->getInfo;
    theGetInfo.defaultFontSize = 0;
    SInt32 theFrames = static_cast<SInt32>(10.0f + 110.0f * theInfo->speed);
    if (theFrames & 1) ++theFrames;
    switch (which) {
    case 2:
        theGetInfo.pluginType = kPluginTransitionBeforeType;
        theGetInfo.framesToBeRendered = theFrames;
        theGetInfo.takeFromClipBefore = 0;
        theGetInfo.takeFromClipAfter = theFrames;
        break;
    case 3:
        theGetInfo.pluginType = kPluginTransitionBetweenType;
        theGetInfo.framesToBeRendered = theFrames;
        theGetInfo.takeFromClipBefore = theFrames;
        theGetInfo.takeFromClipAfter = theFrames;
        break;
    case 1:
        theGetInfo.pluginType = kPluginTransitionAfterType;
        theGetInfo.framesToBeRendered = theFrames;
        theGetInfo.takeFromClipBefore = theFrames;
        theGetInfo.takeFromClipAfter = 0;
        break;
    default:
        theGetInfo.pluginType = kPluginTransitionBetweenType;
        theGetInfo.takeFromClipBefore = theFrames / 2;
        theGetInfo.takeFromClipAfter = theFrames / 2;
        break;
    }
    theGetInfo.minSpeedFrames = 10;
    theGetInfo.maxSpeedFrames = 120;

    SetFilterParamInfos(which, params);
    theGetInfo.mustTakeFromSingleClips = true;
    theGetInfo.defaultDirection = kPluginDirectionRight;
    theGetInfo.pluginFlags = 0x1007;

    return params->procs->ReleaseTransitionInfo(params->instance, theInfo);
}

void SetFilterParamInfos(SInt16, HYPluginParams* params)
{
    for (SInt16 n = 0; n < 3; ++n) {
        HYPluginFilterSliderInfo& theSlider = params->getInfo2.filterSliders[n];
        theSlider.defaultValue = 0.5f;
        CopyIndString(theSlider.label, sizeof theSlider.label, cSliderLabelsList, static_cast<SInt16>(n + 1));
        CopyIndString(theSlider.minLabel, sizeof theSlider.minLabel, cSliderEndLabelsList, static_cast<SInt16>(2 * n + 1));
        CopyIndString(theSlider.maxLabel, sizeof theSlider.maxLabel, cSliderEndLabelsList, static_cast<SInt16>(2 * n + 2));
    }
    params->getInfo.pluginFlags |= 0x1000;
    CopyIndString(params->getInfo3.buttonTitle, sizeof params->getInfo3.buttonTitle, cButtonTitleList, 1);
    CopyIndString(params->getInfo2.group, sizeof params->getInfo2.group, cGroupNameList, 1);
}
