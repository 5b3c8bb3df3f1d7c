// Test hooks of the headless backend: scripted input, scripted answers, and what was shown.
//
// Input events wait in one queue and are taken by modal loops, mouse tracking and popup menus
// in order. Mouse locations are local to the window that receives them: the window of the
// innermost modal loop, else the front window. A modal loop that finds the queue empty ends
// deterministically: it reports this on stderr, sends the cancel command ("not!") to its
// window, and ends itself if that did not quit it (RunAppModalLoopForWindow then returns
// kHeadlessInputRanOutErr). Mouse tracking that runs out of input sees the button go up.
#pragma once

#include "HIToolboxTypes.h"

typedef void (*HeadlessCallbackProcPtr)(void* theData);

enum { kHeadlessInputRanOutErr = -10980 };

extern "C" {

void HeadlessPushMouseDown(SInt16 h, SInt16 v, UInt32 modifiers);
// A movement with the button held.
void HeadlessPushMouseDrag(SInt16 h, SInt16 v, UInt32 modifiers);
void HeadlessPushMouseUp(SInt16 h, SInt16 v, UInt32 modifiers);
// Down then up at one place.
void HeadlessPushClick(SInt16 h, SInt16 v, UInt32 modifiers);
// A key press: Mac Roman character codes, 0x0D Return, 0x1B Escape, 0x08 Backspace.
void HeadlessPushKey(UInt8 charCode, UInt32 modifiers);
// Runs theProc when the queue reaches it, from inside whatever loop takes it.
void HeadlessPushCallback(HeadlessCallbackProcPtr theProc, void* theData);
// Chooses an item of the popup menu that is open when the queue reaches it (0 closes it).
void HeadlessPushMenuChoice(SInt16 theItem);
long HeadlessPendingInput(void);
// Number of times a modal loop ran out of input since start.
long HeadlessInputRunOuts(void);

// The next alert is answered with this button instead of its default button. Alerts never
// take events from the input queue.
void HeadlessPushAlertAnswer(SInt16 theItemHit);
// The next colour picker answers at once, without a window: a colour, or a cancel.
void HeadlessPushColorPickerAnswer(const RGBColor* theColor);
void HeadlessPushColorPickerCancel(void);
// Empties the input queue and every list of scripted answers.
void HeadlessClearScript(void);

// Number of alerts shown since start, and the last one's texts (UTF-8, valid until the next alert).
long HeadlessAlertCount(void);
const char* HeadlessLastAlertHeadline(void);
const char* HeadlessLastAlertExplanation(void);

// Writes the window's pixels as a binary PPM picture; false when the file cannot be written.
Boolean HeadlessWriteWindowPicture(WindowRef theWindow, const char* thePath);

}
