#include "clipCTRL.h"

#include "sliderHandlers.h"

#include "PluginWorkspace.h"
#include "carbonmacros.h"
#include "pixellib.h"

#include <algorithm>

namespace {

ToolboxObjectClassRef lgClipClassRef = nullptr;
EventHandlerUPP lgClipHandlerUPP = nullptr;

constexpr SInt16 cHandleRadius = 6;
constexpr RGBColor cBlack{0, 0, 0};
constexpr RGBColor cWhite{0xFFFF, 0xFFFF, 0xFFFF};

Rect HandleSquare(SInt16 h, SInt16 v)
{
    Rect theSquare;
    SetRect(&theSquare, h - cHandleRadius, v - cHandleRadius, h + cHandleRadius, v + cHandleRadius);
    return theSquare;
}

// The corners in hit-test order: top-left, top-right, bottom-left, bottom-right.
Point Corner(const Rect& theRect, int theIndex)
{
    Point theCorner;
    theCorner.h = (theIndex == 0 || theIndex == 2) ? theRect.left : theRect.right;
    theCorner.v = (theIndex < 2) ? theRect.top : theRect.bottom;
    return theCorner;
}

Rect RegionRect(const Rect& theBounds)
{
    return Rel2Rect(gConfigWorkspace.theConfig->startRel, theBounds);
}

// The smallest rectangle with the two points as opposite corners.
Rect NormalRect(Point theOne, Point theOther)
{
    Rect theRect;
    SetRect(&theRect, std::min(theOne.h, theOther.h), std::min(theOne.v, theOther.v), std::max(theOne.h, theOther.h),
            std::max(theOne.v, theOther.v));
    return theRect;
}

Rect KeepPropsOf(const Rect& theReference, const Rect& theRect)
{
    const SInt32 theWidth = theReference.right - theReference.left;
    const SInt32 theHeight = theReference.bottom - theReference.top;
    return theWidth > theHeight ? KeepPropsWithFixedHorizontal(theReference, theRect)
                                : KeepPropsWithFixedVertical(theReference, theRect);
}

void SetDialogPort()
{
    SetGWorld(GetWindowPort(gConfigWorkspace.theWindow), nullptr);
}

void ResetDialogClip()
{
    Rect thePortRect;
    GetWindowPortBounds(gConfigWorkspace.theWindow, &thePortRect);
    ClipRect(&thePortRect);
}

Point MouseLocation(EventRef theEvent)
{
    Point theWhere{0, 0};
    GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof theWhere, nullptr, &theWhere);
    return theWhere;
}

OSStatus HitTestHandler(EventRef theEvent, ControlRef theControl)
{
    SetDialogPort();
    const Point theWhere = MouseLocation(theEvent);
    const Rect theBounds = GetControlBox(theControl);
    ControlPartCode thePart = PtInRect(theWhere, &theBounds) ? IsHandleHit(RegionRect(theBounds), theWhere) : 0;
    SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof thePart, &thePart);
    return noErr;
}

OSStatus DrawHandler(ControlRef theControl)
{
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetDialogPort();
    const Rect theBounds = GetControlBox(theControl);
    const UInt16 theHilite = GetControlHilite(theControl);
    if (theHilite != kControlInactivePart && theHilite != kControlDisabledPart)
        DrawFrameContents(gConfigWorkspace.theWindow, theBounds);
    SetGWorld(theSavedPort, theSavedDevice);
    return noErr;
}

// The modifiers of the press hold for the whole drag; a corner drag is always recomputed from
// the press, a move goes step by step.
OSStatus TrackHandler(EventRef theEvent, ControlRef theControl)
{
    Point theDown = MouseLocation(theEvent);
    UInt32 theModifiers = 0;
    GetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof theModifiers, nullptr,
                      &theModifiers);
    SetDialogPort();
    const Rect theBounds = GetControlBox(theControl);
    ClipRect(&theBounds);
    const Rect theDownRect = RegionRect(theBounds);
    const relRect theDownRel = GetCurrentRel();
    const ControlPartCode thePart = IsHandleHit(theDownRect, theDown);
    Rect theRect = theDownRect;
    Point thePrevious = theDown;
    Point theNew = theDown;
    MouseTrackingResult theState = kMouseTrackingMouseDown;
    while (theState != kMouseTrackingMouseUp) {
        if (theState == kMouseTrackingMouseDragged && PtInRect(theNew, &theBounds) && thePart >= kClipTopLeftPart &&
            thePart <= kClipInsidePart) {
            if (thePart == kClipInsidePart) {
                DragRect(theRect, thePrevious, theNew, theModifiers);
                thePrevious = theNew;
            } else {
                theRect = theDownRect;
                DragCorner(thePart, theRect, theDown, theNew, theModifiers, theBounds, theDownRel);
            }
            PutCurrentRel(Rect2Rel(theRect, theBounds));
            ReRenderAndBlit();
            SetDialogPort();
            ClipRect(&theBounds);
            DrawFrameContents(gConfigWorkspace.theWindow, theBounds);
        }
        CGrafPtr thePort;
        GDHandle theDevice;
        GetGWorld(&thePort, &theDevice);
        TrackMouseLocation(thePort, &theNew, &theState);
    }
    return noErr;
}

} // namespace

OSStatus RegisterClipCTRL()
{
    const EventTypeSpec theEvents[] = {{kEventClassControl, kEventControlDraw},
                                       {kEventClassControl, kEventControlHitTest},
                                       {kEventClassControl, kEventControlHit},
                                       {kEventClassControl, kEventControlActivate},
                                       {kEventClassControl, kEventControlOwningWindowChanged},
                                       {kEventClassControl, kEventControlTrack}};
    lgClipHandlerUPP = NewEventHandlerUPP(ClipCTRLControlHandler);
    return RegisterToolboxObjectClass(CFSTR(cClipControlClassID), nullptr, 6, theEvents, lgClipHandlerUPP, nullptr,
                                      &lgClipClassRef);
}

OSStatus UnregisterClipCTRL()
{
    OSStatus theStatus = UnregisterToolboxObjectClass(lgClipClassRef);
    if (theStatus == noErr) lgClipClassRef = nullptr;
    DisposeEventHandlerUPP(lgClipHandlerUPP);
    lgClipHandlerUPP = nullptr;
    return theStatus;
}

OSStatus ClipCTRLControlHandler(EventHandlerCallRef, EventRef theEvent, void*)
{
    ControlRef theControl = nullptr;
    GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl, nullptr,
                      &theControl);
    OSStatus theResult = eventNotHandledErr;
    switch (GetEventKind(theEvent)) {
    case kEventControlHitTest: theResult = HitTestHandler(theEvent, theControl); break;
    case kEventControlDraw:
    case kEventControlActivate:
    case kEventControlOwningWindowChanged: theResult = DrawHandler(theControl); break;
    case kEventControlHit: theResult = noErr; break;
    case kEventControlTrack: theResult = TrackHandler(theEvent, theControl); break;
    default: break;
    }
    ResetDialogClip();
    return theResult;
}

ControlPartCode IsHandleHit(const Rect& theRect, Point thePoint)
{
    for (int i = 0; i < 4; ++i) {
        const Point theCorner = Corner(theRect, i);
        const Rect theSquare = HandleSquare(theCorner.h, theCorner.v);
        if (PtInRect(thePoint, &theSquare)) return static_cast<ControlPartCode>(kClipTopLeftPart + i);
    }
    return PtInRect(thePoint, &theRect) ? kClipInsidePart : kClipNoPart;
}

void DrawHandles(const Rect& theRect)
{
    PenMode(srcOr);
    for (int i = 0; i < 4; ++i) {
        const Point theCorner = Corner(theRect, i);
        Rect theRing = HandleSquare(theCorner.h, theCorner.v);
        RGBForeColor(&cBlack);
        FrameOval(&theRing);
        InsetRect(&theRing, 1, 1);
        RGBForeColor(&cWhite);
        FrameOval(&theRing);
        InsetRect(&theRing, 1, 1);
        RGBForeColor(&cBlack);
        FrameOval(&theRing);
    }
    PenNormal();
}

void DrawFrameContents(WindowRef theWindow, const Rect& theBounds)
{
    RGBBackColor(&cWhite);
    RGBForeColor(&cBlack);
    GWorldPtr thePreview = gConfigWorkspace.theFXClip;
    Rect thePreviewRect;
    GetPortBounds(thePreview, &thePreviewRect);
    CopyBits(GetPortBitMapForCopyBits(thePreview), GetPortBitMapForCopyBits(GetWindowPort(theWindow)), &thePreviewRect,
             &theBounds, srcCopy, nullptr);
    ClipRect(&theBounds);
    RGBForeColor(&gConfigWorkspace.theConfig->frameStartColor);
    const Rect theRegion = RegionRect(theBounds);
    FrameRect(&theRegion);
    if (gConfigWorkspace.activeRel == 1) DrawHandles(theRegion);
    Rect thePortRect;
    GetWindowPortBounds(theWindow, &thePortRect);
    ClipRect(&thePortRect);
    RGBForeColor(&cBlack);
    FrameRect(&theBounds);
}

void DragRect(Rect& theRect, Point thePrevious, Point theNew, UInt32)
{
    OffsetRect(&theRect, theNew.h - thePrevious.h, theNew.v - thePrevious.v);
}

void DragCorner(ControlPartCode thePart, Rect& theRect, Point theDown, Point theNew, UInt32 theModifiers,
                const Rect& theBounds, const relRect& theDownRel)
{
    if (thePart < kClipTopLeftPart || thePart > kClipBottomRightPart) return;
    const int theIndex = thePart - kClipTopLeftPart;
    Point theMoving = Corner(theRect, theIndex);
    Point theFixed = Corner(theRect, 3 - theIndex);
    const SInt16 dh = theNew.h - theDown.h;
    const SInt16 dv = theNew.v - theDown.v;
    theMoving.h += dh;
    theMoving.v += dv;
    if (theModifiers & optionKey) {
        theFixed.h -= dh;
        theFixed.v -= dv;
    }
    theRect = NormalRect(theMoving, theFixed);
    if (theModifiers & shiftKey) theRect = KeepPropsOf(Rel2Rect(theDownRel, theBounds), theRect);
    KeepImageProps(theRect);
}

void KeepImageProps(Rect& theRect)
{
    if (!gConfigWorkspace.theConfig->keepProps) return;
    const Rect theBounds = GetControlBox(gConfigWorkspace.theFrameCtrl);
    Rect theReference;
    SetRect(&theReference, 0, 0, theBounds.right - theBounds.left, theBounds.bottom - theBounds.top);
    theRect = KeepPropsOf(theReference, theRect);
}

void CalcAndKeepImageProps()
{
    const Rect theBounds = GetControlBox(gConfigWorkspace.theFrameCtrl);
    Rect theRect = Rel2Rect(GetCurrentRel(), theBounds);
    KeepImageProps(theRect);
    PutCurrentRel(Rect2Rel(theRect, theBounds));
}
