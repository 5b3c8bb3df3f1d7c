// Shared names of the configuration dialog.
#pragma once

#include "PluginDefines.h"

// The custom control classes: the bundle identifier with its last component replaced.
#define cClipControlClassID "org.glintweave.clip"
#define cColorBoxClassID "org.glintweave.color"
#define cPictureControlClassID "org.glintweave.imageCTRL"

// The interface files in the bundle's resources.
#define cDialogNibName "quellisand"
#define cAboutNibName "about"
