// Dialog toolbox helpers: windows from the bundle's interface files, and controls named by
// signature and number.
#pragma once

#include "CarbonEvents.h"
#include "Controls.h"
#include "MacWindows.h"

// An empty theNib opens the default interface file "quellisand". The window comes back hidden.
// A missing bundle or interface file ends the process with a stop alert; a missing window ends
// it silently with the low byte of the error code as exit status.
WindowRef OpenNibWindowFromCFBundle(const char* theIdentifier, const char* theNib, const char* theWindow);

ControlRef SimpleGetControlByID(WindowRef theWindow, OSType theSig, SInt16 theID);
// Text, show and hide ignore a control the window does not hold.
void SimpleSetControlText(WindowRef theWindow, OSType theSig, SInt16 theID, ConstStr255Param theText);
void SimpleShowControl(WindowRef theWindow, OSType theSig, SInt16 theID);
void SimpleHideControl(WindowRef theWindow, OSType theSig, SInt16 theID);
// A missing control reads as 0 and ignores values.
SInt32 SimpleGetControlValueByID(WindowRef theWindow, OSType theSig, SInt16 theID);
void SimpleSetControlValueByID(WindowRef theWindow, OSType theSig, SInt16 theID, SInt32 theVal);

Rect GetControlBox(ControlRef theControl);
// The four characters of a command code, most significant byte first, none changed or dropped.
void CommandID2Str(UInt32 commandID, Str255 theText);
