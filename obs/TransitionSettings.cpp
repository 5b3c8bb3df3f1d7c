#include "TransitionSettings.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int64_t cDefaultDurationMs = 1000;
constexpr uint32_t cOpaque = 0xFF000000;
// A day: far beyond the longest length a map tells apart at any rate.
constexpr int64_t cLongestDurationMs = 86400000;

// The item's number, or theDefault when the key is missing or holds something else.
double ReadNumber(obs_data_t* theSettings, const char* theKey, double theDefault)
{
    obs_data_item_t* theItem = obs_data_item_byname(theSettings, theKey);
    double theValue = theDefault;
    if (theItem && obs_data_item_gettype(theItem) == OBS_DATA_NUMBER) {
        theValue = obs_data_item_numtype(theItem) == OBS_DATA_NUM_INT ? double(obs_data_item_get_int(theItem))
                                                                       : obs_data_item_get_double(theItem);
        if (!std::isfinite(theValue)) theValue = theDefault;
    }
    obs_data_item_release(&theItem);
    return theValue;
}

// A pair of edges in percent as fractions; crossed edges meet half way.
void ReadEdges(obs_data_t* theSettings, const char* theLowKey, const char* theHighKey, double& outLow,
               double& outHigh)
{
    double theLow = std::clamp(ReadNumber(theSettings, theLowKey, 0.0), 0.0, 100.0);
    double theHigh = std::clamp(ReadNumber(theSettings, theHighKey, 100.0), 0.0, 100.0);
    if (theLow > theHigh) theLow = theHigh = (theLow + theHigh) / 2;
    outLow = theLow / 100;
    outHigh = theHigh / 100;
}

} // namespace

void SetTransitionDefaults(obs_data_t* theSettings)
{
    obs_data_set_default_int(theSettings, cDurationKey, cDefaultDurationMs);
    obs_data_set_default_int(theSettings, cFillKey, cOpaque);
    obs_data_set_default_double(theSettings, cLeftKey, 0.0);
    obs_data_set_default_double(theSettings, cRightKey, 100.0);
    obs_data_set_default_double(theSettings, cTopKey, 0.0);
    obs_data_set_default_double(theSettings, cBottomKey, 100.0);
}

TransitionSettings ReadTransitionSettings(obs_data_t* theSettings)
{
    TransitionSettings theResult;
    const double theDuration = ReadNumber(theSettings, cDurationKey, double(cDefaultDurationMs));
    theResult.durationMs = int64_t(std::clamp(std::round(theDuration), 0.0, double(cLongestDurationMs)));
    const double theFill = ReadNumber(theSettings, cFillKey, double(cOpaque));
    theResult.fill = (theFill >= 0 && theFill <= 4294967295.0 ? uint32_t(theFill) : 0) | cOpaque;
    ReadEdges(theSettings, cLeftKey, cRightKey, theResult.region.left, theResult.region.right);
    ReadEdges(theSettings, cTopKey, cBottomKey, theResult.region.top, theResult.region.bottom);
    return theResult;
}

obs_properties_t* MakeTransitionProperties()
{
    obs_properties_t* theProperties = obs_properties_create();
    obs_property_t* theDuration =
        obs_properties_add_int(theProperties, cDurationKey, obs_module_text("Duration"), 0, int(cLongestDurationMs), 10);
    obs_property_int_set_suffix(theDuration, " ms");
    obs_property_set_long_description(theDuration, obs_module_text("Duration.Description"));
    obs_properties_add_color(theProperties, cFillKey, obs_module_text("Fill"));
    const char* const theEdges[][2] = {
        {cLeftKey, "Left"}, {cRightKey, "Right"}, {cTopKey, "Top"}, {cBottomKey, "Bottom"}};
    for (const auto& theEdge : theEdges) {
        obs_property_t* theSlider =
            obs_properties_add_float_slider(theProperties, theEdge[0], obs_module_text(theEdge[1]), 0.0, 100.0, 0.1);
        obs_property_float_set_suffix(theSlider, " %");
    }
    return theProperties;
}
