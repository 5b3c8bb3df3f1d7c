// The configuration dialog's controller: the modal window, its commands, OK and Cancel.
#pragma once

#include "DataHandling.h"

#include "CarbonEvents.h"
#include "MacWindows.h"

// The outcome of the last command: -1 none, 0 reopen for a new media type, 1 OK, 2 Cancel.
extern SInt16 lgItemHit;
extern WindowRef lgTheWindow;

// Runs windows until OK (the record is saved) or Cancel (the record is restored byte for byte).
void DoConfig(pluginDataPtr theConfig);
void SetupDialog(WindowRef theWindow, pluginDataPtr theConfig);
void SetupColors(WindowRef theWindow, pluginDataPtr theConfig);
void Config2Dlg(pluginDataPtr theConfig);
OSStatus TheDialogHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void* userData);
