// The About window: product name and version, closed by its button.
#pragma once

#include "CarbonEvents.h"

// Shows the window modally; returns after it has been closed and disposed of.
void ShowAbout();
OSStatus AboutDialogHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void* userData);
