// Shared names of the configuration dialog.
#pragma once

#include "PluginDefines.h"

#include "CarbonEvents.h"
#include "Controls.h"

// The custom control classes: the bundle identifier with its last component replaced.
#define cClipControlClassID "org.glintweave.clip"
#define cColorBoxClassID "org.glintweave.color"
#define cPictureControlClassID "org.glintweave.imageCTRL"

// The interface files in the bundle's resources.
#define cDialogNibName "quellisand"
#define cAboutNibName "about"

// A control's hit test when the whole of its bounds is one content part.
OSStatus ContentHitTestHandler(EventRef theEvent, ControlRef theControl);
