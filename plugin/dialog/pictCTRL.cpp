#include "pictCTRL.h"

#include "CGglue.h"
#include "MacWindows.h"
#include "commonprocs.h"

#include <cstdint>
#include <vector>

static ToolboxObjectClassRef lgPictureClass = nullptr;
static EventHandlerUPP lgPictureHandler = nullptr;
static std::vector<CGImageRef> lgNumberedImages;

SInt32 PictureControlValueOf(CGImageRef theImage)
{
    if (!theImage) return 0;
    if constexpr (sizeof(CGImageRef) <= sizeof(SInt32)) {
        return static_cast<SInt32>(reinterpret_cast<std::uintptr_t>(theImage));
    } else {
        for (std::size_t i = 0; i < lgNumberedImages.size(); ++i)
            if (lgNumberedImages[i] == theImage) return static_cast<SInt32>(i + 1);
        lgNumberedImages.push_back(theImage);
        return static_cast<SInt32>(lgNumberedImages.size());
    }
}

CGImageRef PictureControlImageOf(SInt32 theValue)
{
    if (theValue == 0) return nullptr;
    if constexpr (sizeof(CGImageRef) <= sizeof(SInt32)) {
        return reinterpret_cast<CGImageRef>(static_cast<std::uintptr_t>(static_cast<UInt32>(theValue)));
    } else {
        if (theValue < 0 || static_cast<std::size_t>(theValue) > lgNumberedImages.size()) return nullptr;
        return lgNumberedImages[static_cast<std::size_t>(theValue) - 1];
    }
}

OSStatus RegisterPictureControl()
{
    const EventTypeSpec theEvents[] = {{kEventClassControl, kEventControlDraw},
                                       {kEventClassControl, kEventControlHitTest},
                                       {kEventClassControl, kEventControlHit}};
    lgPictureHandler = NewEventHandlerUPP(PictureControlHandler);
    return RegisterToolboxObjectClass(CFSTR(cPictureControlClassID), nullptr, 3, theEvents, lgPictureHandler,
                                      nullptr, &lgPictureClass);
}

void UnregisterPictureControl()
{
    if (lgPictureClass) UnregisterToolboxObjectClass(lgPictureClass);
    lgPictureClass = nullptr;
    if (lgPictureHandler) DisposeEventHandlerUPP(lgPictureHandler);
    lgPictureHandler = nullptr;
    lgNumberedImages.clear();
}

static void PictureDrawInPort(ControlRef theControl, CGrafPtr thePort)
{
    static const RGBColor cWhite{0xFFFF, 0xFFFF, 0xFFFF};
    static const RGBColor cBlack{0, 0, 0};
    Rect theBounds;
    GetControlBounds(theControl, &theBounds);
    const UInt16 theHilite = GetControlHilite(theControl);
    if (theHilite == kControlInactivePart || theHilite == kControlDisabledPart) return;
    RGBBackColor(&cWhite);
    EraseRect(&theBounds);
    if (CGImageRef theImage = PictureControlImageOf(GetControl32BitValue(theControl))) {
        Rect theImageRect = CalcProportionalImageForFrame(theImage, theBounds);
        CenterRectInRect(&theImageRect, theBounds);
        DrawCGImageInQDRect(thePort, theImage, theImageRect, 0.0f, false);
    }
    RGBForeColor(&cBlack);
    FrameRect(&theBounds);
    if (theHilite > 0) InvertRect(&theBounds);
}

static OSStatus PictureDraw(ControlRef theControl)
{
    CGrafPtr thePort = GetWindowPort(GetControlOwner(theControl));
    if (!thePort) return noErr;
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(thePort, nullptr);
    // The window's colours are put back: its background is not white.
    RGBColor theForeColor, theBackColor;
    GetForeColor(&theForeColor);
    GetBackColor(&theBackColor);
    PictureDrawInPort(theControl, thePort);
    RGBForeColor(&theForeColor);
    RGBBackColor(&theBackColor);
    SetGWorld(theSavedPort, theSavedDevice);
    return noErr;
}

OSStatus PictureControlHandler(EventHandlerCallRef, EventRef theEvent, void*)
{
    ControlRef theControl = nullptr;
    GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl, nullptr,
                      &theControl);
    if (!theControl) return eventNotHandledErr;
    switch (GetEventKind(theEvent)) {
    case kEventControlHitTest: return ContentHitTestHandler(theEvent, theControl);
    case kEventControlDraw: return PictureDraw(theControl);
    default: return eventNotHandledErr;
    }
}
