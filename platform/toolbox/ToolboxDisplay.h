// Choosing the toolbox's backend: headless (the default) or real windows on a display.
#pragma once

#include "MacTypes.h"

extern "C" {

// Switches to real windows when a display can be opened; false leaves the toolbox headless.
// Call it before any window is created. Builds for other processors are always headless.
Boolean GlintUseDisplay(void);
Boolean GlintDisplayInUse(void);

}
