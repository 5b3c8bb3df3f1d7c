// Build-time definitions shared by the host glue, the bridge and the dialog.
#pragma once

#include "MacTypes.h"

// The bundle identifier by which the plug-in finds its own bundle.
#define cBundleIdentifier "org.glintweave.dissolve"


// String lists in the bundle's resource file.
constexpr SInt16 cSliderLabelsList = 128;
constexpr SInt16 cSliderEndLabelsList = 129;
constexpr SInt16 cButtonTitleList = 130;
constexpr SInt16 cGroupNameList = 17000;

// Which of the dialog's generic controls this effect uses: one fill colour, no effect sliders,
// one editable region.
constexpr int cUsesColor1 = 1;
constexpr int cUsesColor2 = 0;
constexpr int cUsesColor3 = 0;
constexpr int cUsesColor4 = 0;
constexpr int cUsesColor5 = 0;
constexpr int cUsesColor6 = 0;
constexpr int cUsesSlider1 = 0;
constexpr int cUsesSlider2 = 0;
constexpr int cUsesSlider3 = 0;
constexpr int cUsesSlider4 = 0;
constexpr int cUsesSlider5 = 0;
constexpr int cUsesSlider6 = 0;
constexpr int cUsedNumberOfRects = 1;

// The same switches indexed from 1, for loops over the colour boxes and sliders.
constexpr int cUsesColor[7] = {0, cUsesColor1, cUsesColor2, cUsesColor3, cUsesColor4, cUsesColor5, cUsesColor6};
constexpr int cUsesSlider[7] = {0, cUsesSlider1, cUsesSlider2, cUsesSlider3, cUsesSlider4, cUsesSlider5, cUsesSlider6};
