// The frame-region control: the rendered preview with the region outlined on top of it, and
// four corner handles to resize the region or a drag inside it to move it.
#pragma once

#include "dlgUtils.h"

#include "CarbonEvents.h"
#include "Controls.h"
#include "MacWindows.h"
#include "relrects.h"

// Part codes of the control, in the order the hit test tries them.
enum {
    kClipNoPart = 0,
    kClipTopLeftPart = 1,
    kClipTopRightPart = 2,
    kClipBottomLeftPart = 3,
    kClipBottomRightPart = 4,
    kClipInsidePart = 5
};

OSStatus RegisterClipCTRL();
OSStatus UnregisterClipCTRL();
OSStatus ClipCTRLControlHandler(EventHandlerCallRef theCall, EventRef theEvent, void* theData);

ControlPartCode IsHandleHit(const Rect& theRect, Point thePoint);
void DrawHandles(const Rect& theRect);
void DrawFrameContents(WindowRef theWindow, const Rect& theBounds);
void DragRect(Rect& theRect, Point thePrevious, Point theNew, UInt32 theModifiers);
void DragCorner(ControlPartCode thePart, Rect& theRect, Point theDown, Point theNew, UInt32 theModifiers,
                const Rect& theBounds, const relRect& theDownRel);
void KeepImageProps(Rect& theRect);
void CalcAndKeepImageProps();

