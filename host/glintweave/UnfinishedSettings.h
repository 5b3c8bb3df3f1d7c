// The plug-in writes its settings back at every start, through a hidden file renamed into place:
// an ending signal meanwhile removes that file with the program's other unfinished outputs.
#pragma once

// Native builds only. Call it before the plug-in is loaded, and after the display is opened
// where there is one, so that Ctrl-C stays SDL's quit.
void RemoveUnfinishedSettingsOnSignals();
