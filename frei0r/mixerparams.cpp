#include "mixerparams.h"

#include "pixeleffect.h"

#include <cmath>
#include <cstring>
#include <strings.h>

namespace {

struct TransitionName {
    SInt16 which;
    const char* name;
};
constexpr TransitionName cTransitionNames[] = {
    {cTransitionCross, "cross"}, {cTransitionOut, "out"}, {cTransitionIn, "in"}};

const f0r_param_info_t cParams[kParamCount] = {
    {"progress", F0R_PARAM_DOUBLE,
     "How far the transition has gone, from 0 to 1: keyframe it from 0 at its first frame to 1 at its last"},
    {"transition", F0R_PARAM_STRING,
     "cross: the first clip dissolves into the second; out: the first clip dissolves into the fill colour; "
     "in: the fill colour dissolves into the second clip"},
    {"fill", F0R_PARAM_COLOR, "Fill colour that out dissolves into and in dissolves from"},
    {"left", F0R_PARAM_DOUBLE, "Left edge of the dissolving region, as a fraction of the frame width"},
    {"right", F0R_PARAM_DOUBLE, "Right edge of the dissolving region, as a fraction of the frame width"},
    {"top", F0R_PARAM_DOUBLE, "Top edge of the dissolving region, as a fraction of the frame height"},
    {"bottom", F0R_PARAM_DOUBLE, "Bottom edge of the dissolving region, as a fraction of the frame height"},
    {"seed", F0R_PARAM_DOUBLE, "Picks the sparkle pattern; the same seed always gives the same pattern"},
};

// Hosts may hand over anything; NaN counts as 0.
double ClampUnit(double theValue)
{
    return theValue >= 0 ? (theValue <= 1 ? theValue : 1) : 0;
}

UInt16 ColorComponent(float theValue)
{
    return static_cast<UInt16>(std::lround(ClampUnit(theValue) * 65535));
}

} // namespace

void ResetMixerSettings(MixerSettings* theSettings)
{
    std::memset(theSettings, 0, sizeof *theSettings);
    ResetConfig(&theSettings->config, true);
    theSettings->config.which = cTransitionCross;
}

void GetMixerParamInfo(f0r_param_info_t* theInfo, int theIndex)
{
    if (theIndex >= 0 && theIndex < kParamCount) *theInfo = cParams[theIndex];
}

void SetMixerParam(MixerSettings* theSettings, f0r_param_t theValue, int theIndex)
{
    if (!theValue) return;
    pluginDataRec& theConfig = theSettings->config;
    const auto theDouble = [theValue] { return *static_cast<const double*>(theValue); };
    switch (theIndex) {
    case kParamProgress: theSettings->progress = ClampUnit(theDouble()); break;
    case kParamTransition: {
        const char* theName = *static_cast<const char* const*>(theValue);
        for (const TransitionName& theEntry : cTransitionNames)
            if (theName && strcasecmp(theName, theEntry.name) == 0) theConfig.which = theEntry.which;
        break;
    }
    case kParamFill: {
        const f0r_param_color_t* theColor = static_cast<const f0r_param_color_t*>(theValue);
        theConfig.colors[1] =
            RGBColor{ColorComponent(theColor->r), ColorComponent(theColor->g), ColorComponent(theColor->b)};
        break;
    }
    case kParamLeft: theConfig.startRel.left = theDouble(); break;
    case kParamRight: theConfig.startRel.right = theDouble(); break;
    case kParamTop: theConfig.startRel.top = theDouble(); break;
    case kParamBottom: theConfig.startRel.bottom = theDouble(); break;
    case kParamSeed: theSettings->seed = theDouble(); break;
    }
}

void GetMixerParam(const MixerSettings& theSettings, f0r_param_t theValue, int theIndex)
{
    if (!theValue) return;
    const pluginDataRec& theConfig = theSettings.config;
    double* theDouble = static_cast<double*>(theValue);
    switch (theIndex) {
    case kParamProgress: *theDouble = theSettings.progress; break;
    case kParamTransition:
        for (const TransitionName& theEntry : cTransitionNames)
            if (theEntry.which == theConfig.which) *static_cast<const char**>(theValue) = theEntry.name;
        break;
    case kParamFill: {
        const RGBColor& theColor = theConfig.colors[1];
        *static_cast<f0r_param_color_t*>(theValue) =
            f0r_param_color_t{theColor.red / 65535.0f, theColor.green / 65535.0f, theColor.blue / 65535.0f};
        break;
    }
    case kParamLeft: *theDouble = theConfig.startRel.left; break;
    case kParamRight: *theDouble = theConfig.startRel.right; break;
    case kParamTop: *theDouble = theConfig.startRel.top; break;
    case kParamBottom: *theDouble = theConfig.startRel.bottom; break;
    case kParamSeed: *theDouble = theSettings.seed; break;
    }
}

SInt32 PatternSeedToRandomSeed(double theSeed)
{
    // Thousandths, so that a host's 0-to-1 slider gives new patterns as well as whole numbers do.
    const double theSteps = std::isfinite(theSeed) ? std::floor(std::fabs(theSeed) * 1000 + 0.5) : 0;
    return 1 + static_cast<SInt32>(std::fmod(theSteps, 2147483646.0));
}

SInt32 FrameForProgress(double theProgress, SInt16 theWhich)
{
    // Out shows the fill colour once the frame has passed a pixel's threshold, the others once it
    // has reached it; one frame more for Out switches the same pixels at the same progress and
    // ends on the pure fill colour.
    const SInt32 theFrame = static_cast<SInt32>(std::lround(ClampUnit(theProgress) * cMaxThreshold));
    return theWhich == cTransitionOut ? theFrame + 1 : theFrame;
}
