// Choosing the toolbox's backend: headless (the default) or real windows on a display.
#pragma once

#include "MacTypes.h"

extern "C" {

// Switches to real windows when a display can be opened; false leaves the toolbox headless.
// Only a display that shows windows to a person counts (X11 or Wayland), never an invisible
// stand-in. Call it before any window is created. Builds for other processors are always headless.
Boolean GlintUseDisplay(void);
Boolean GlintDisplayInUse(void);
// The same check for a program that draws its own windows with SDL: starts SDL's video on such a
// display and leaves the toolbox headless. False with the reason in GlintDisplayProblem.
Boolean GlintOpenVisibleDisplay(void);
// Why the last GlintUseDisplay or GlintOpenVisibleDisplay failed, in words ("the X display ':99'
// cannot be opened").
const char* GlintDisplayProblem(void);

// Told when the display in use goes away (its server ended, or the program's connection was
// killed, as xkill does): nothing more can be drawn, and once the procedure returns the process
// ends with ExitToShell. Without one it ends the same way, silently.
typedef void (*GlintDisplayLostProcPtr)(void);
void GlintSetDisplayLostProc(GlintDisplayLostProcPtr theProc);

// The command whose handling ended the most recent application-modal loop that ran inside no
// other ('ok  ' for an OK button, 'not!' for Cancel); 0 when no command ended it.
UInt32 GlintLastModalQuitCommand(void);

}
