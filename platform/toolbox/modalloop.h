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

} // namespace toolbox_internal
