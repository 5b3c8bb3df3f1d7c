// Internal: the stack of application-modal loops and mouse tracking.
#pragma once

#include "backend.h"

namespace toolbox_internal {

// The window of the innermost running modal loop, or null.
WindowRef InnermostModalWindow();
// A disposed window's loops end at their next turn.
void NoteWindowDisposed(WindowRef theWindow);
// Handles one input event as the window's modal loop would.
void DispatchInput(const InputEvent& theEvent);
long InputRunOuts();
// The command whose handlers are running now (0 for none); a modal loop quit from inside them
// records it as its outcome.
UInt32& CommandInProgress();

} // namespace toolbox_internal
