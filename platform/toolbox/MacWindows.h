// Windows: each has its own QuickDraw port, drawn by the toolbox and by the program.
#pragma once

#include "CFString.h"
#include "HIToolboxTypes.h"
#include "QuickDraw.h"

extern "C" {

// Showing draws the whole window; windows start hidden.
void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
Boolean IsWindowVisible(WindowRef window);
void BringToFront(WindowRef window);
void SelectWindow(WindowRef window);
// Disposes of the window with its controls and their event handlers.
void DisposeWindow(WindowRef window);
// The visible window in front, or null.
WindowRef FrontWindow(void);

CGrafPtr GetWindowPort(WindowRef window);
WindowRef GetWindowFromPort(CGrafPtr port);
Rect* GetWindowPortBounds(WindowRef window, Rect* bounds);
OSStatus SetWindowTitleWithCFString(WindowRef inWindow, CFStringRef inString);
OSStatus CopyWindowTitleAsCFString(WindowRef inWindow, CFStringRef* outString);

// Shows what was drawn into a window's port now rather than at the next wait for input.
void QDFlushPortBuffer(CGrafPtr port, RgnHandle region);

}
