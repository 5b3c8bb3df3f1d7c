#include "colorCTRL.h"

#include "ColorPicker.h"
#include "MacWindows.h"
#include "commonprocs.h"
#include "pixellib.h"

#include <cstring>

static ToolboxObjectClassRef lgColorBoxClass = nullptr;
static EventHandlerUPP lgColorBoxHandler = nullptr;

OSStatus RegisterColorBox()
{
    const EventTypeSpec theEvents[] = {{kEventClassControl, kEventControlDraw},
                                       {kEventClassControl, kEventControlHitTest},
                                       {kEventClassControl, kEventControlHit}};
    lgColorBoxHandler = NewEventHandlerUPP(ColorBoxControlHandler);
    return RegisterToolboxObjectClass(CFSTR(cColorBoxClassID), nullptr, 3, theEvents, lgColorBoxHandler, nullptr,
                                      &lgColorBoxClass);
}

void UnregisterColorBox()
{
    if (lgColorBoxClass) UnregisterToolboxObjectClass(lgColorBoxClass);
    lgColorBoxClass = nullptr;
    if (lgColorBoxHandler) DisposeEventHandlerUPP(lgColorBoxHandler);
    lgColorBoxHandler = nullptr;
}

void ColorBoxDraw(const Rect& theRect, const RGBColor& theColor)
{
    static const RGBColor cBlack{0, 0, 0};
    RGBForeColor(&theColor);
    PaintRect(&theRect);
    RGBForeColor(&cBlack);
    FrameRect(&theRect);
}

Boolean UseColorPicker(Point theOrigin, ConstStr255Param thePrompt, const RGBColor& theStartColor,
                       RGBColor* outColor)
{
    NColorPickerInfo theInfo{};
    theInfo.theColor.profile = nullptr;
    theInfo.theColor.color.rgb = CMRGBColor{theStartColor.red, theStartColor.green, theStartColor.blue};
    theInfo.dstProfile = nullptr;
    theInfo.flags = 0x93;
    theInfo.placeWhere = kAtSpecifiedOrigin;
    theInfo.dialogOrigin = theOrigin;
    theInfo.pickerType = kDefaultPickerType;
    theInfo.eventProc = nullptr;
    theInfo.colorProc = nullptr;
    theInfo.colorProcData = 0;
    std::memcpy(theInfo.prompt, thePrompt, thePrompt[0] + 1u);
    theInfo.mInfo = PickerMenuItemInfo{0, 0, 0, 0, 0, 0};
    theInfo.newColorChosen = false;
    if (NPickColor(&theInfo) != noErr || !theInfo.newColorChosen) return false;
    const CMRGBColor& thePicked = theInfo.theColor.color.rgb;
    *outColor = RGBColor{thePicked.red, thePicked.green, thePicked.blue};
    return true;
}

static OSStatus ColorBoxDrawControl(ControlRef theControl)
{
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(GetWindowPort(GetControlOwner(theControl)), nullptr);
    Rect theBounds;
    GetControlBounds(theControl, &theBounds);
    const UInt16 theHilite = GetControlHilite(theControl);
    if (theHilite == kControlInactivePart || theHilite == kControlDisabledPart)
        EraseRect(&theBounds);
    else
        ColorBoxDraw(theBounds, LongInt2RGBColor(GetControl32BitValue(theControl)));
    SetGWorld(theSavedPort, theSavedDevice);
    return noErr;
}

static void ColorBoxHit(ControlRef theControl)
{
    RGBColor thePicked;
    if (UseColorPicker(Point{0, 0}, PSTR("Please choose color:"), LongInt2RGBColor(GetControl32BitValue(theControl)),
                       &thePicked))
        // Only the high byte of each channel is kept.
        SetControl32BitValue(theControl, RGBColor2LongInt(thePicked));
}

OSStatus ColorBoxControlHandler(EventHandlerCallRef, EventRef theEvent, void*)
{
    ControlRef theControl = nullptr;
    GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl, nullptr,
                      &theControl);
    if (!theControl) return eventNotHandledErr;
    switch (GetEventKind(theEvent)) {
    case kEventControlHitTest: return ContentHitTestHandler(theEvent, theControl);
    case kEventControlDraw: return ColorBoxDrawControl(theControl);
    // Not handled, so that the toolbox goes on and sends the box's command.
    case kEventControlHit: ColorBoxHit(theControl); return eventNotHandledErr;
    default: return eventNotHandledErr;
    }
}
