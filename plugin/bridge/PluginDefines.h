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
