// The end-to-end program: the test bundle's "e2e" window on a real display. Its pad paints itself
// straight into the window's pixels (so the check does not depend on the drawing routines): grey
// at first, then green after a drag that began with Shift held, red after one without, with a
// white square where the drag ended. It reports on stdout what it saw; a watchdog ends it.
#include "CFBundle.h"
#include "CarbonEvents.h"
#include "Controls.h"
#include "IBCarbonRuntime.h"
#include "MacWindows.h"
#include "ToolboxDisplay.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr unsigned cWatchdogSeconds = 60;

struct PadState {
    UInt32 color = 0x808080;
    Point dropped{-1, -1};
};

PadState lgPad;

void FillRect(CGrafPtr thePort, const Rect& theRect, UInt32 theColor)
{
    PixMapHandle thePixMap = GetPortPixMap(thePort);
    UInt8* theBase = reinterpret_cast<UInt8*>(GetPixBaseAddr(thePixMap));
    const SInt32 theRowBytes = GetPixRowBytes(thePixMap);
    for (int v = theRect.top; v < theRect.bottom; ++v)
        for (int h = theRect.left; h < theRect.right; ++h) {
            UInt8* thePixel = theBase + static_cast<long>(v) * theRowBytes + 4 * h;
            thePixel[0] = 0xFF;
            thePixel[1] = static_cast<UInt8>(theColor >> 16);
            thePixel[2] = static_cast<UInt8>(theColor >> 8);
            thePixel[3] = static_cast<UInt8>(theColor);
        }
}

void DrawPad(ControlRef thePad)
{
    Rect theBounds;
    GetControlBounds(thePad, &theBounds);
    CGrafPtr thePort = GetWindowPort(GetControlOwner(thePad));
    FillRect(thePort, theBounds, lgPad.color);
    if (lgPad.dropped.h >= 0) {
        Rect theMark{static_cast<SInt16>(lgPad.dropped.v - 5), static_cast<SInt16>(lgPad.dropped.h - 5),
                     static_cast<SInt16>(lgPad.dropped.v + 5), static_cast<SInt16>(lgPad.dropped.h + 5)};
        FillRect(thePort, theMark, 0xFFFFFF);
    }
}

OSStatus PadHandler(EventHandlerCallRef, EventRef theEvent, void*)
{
    ControlRef thePad = nullptr;
    GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof thePad, nullptr, &thePad);
    switch (GetEventKind(theEvent)) {
    case kEventControlDraw:
        DrawPad(thePad);
        return noErr;
    case kEventControlTrack: {
        Point theStart, thePoint;
        UInt32 theModifiers = 0;
        GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof theStart, nullptr, &theStart);
        GetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof theModifiers, nullptr,
                          &theModifiers);
        int theDrags = 0;
        MouseTrackingResult theResult = kMouseTrackingMouseDown;
        UInt32 theNowModifiers = 0;
        thePoint = theStart;
        while (theResult != kMouseTrackingMouseUp) {
            TrackMouseLocationWithOptions(GetWindowPort(GetControlOwner(thePad)), 0, kEventDurationForever, &thePoint,
                                          &theNowModifiers, &theResult);
            if (theResult == kMouseTrackingMouseDragged) ++theDrags;
        }
        lgPad.color = (theModifiers & shiftKey) ? 0x00C000 : 0xC00000;
        lgPad.dropped = thePoint;
        Draw1Control(thePad);
        QDFlushPortBuffer(GetWindowPort(GetControlOwner(thePad)), nullptr);
        std::printf("drag from %d,%d to %d,%d modifiers 0x%04X drags %d\n", theStart.h, theStart.v, thePoint.h,
                    thePoint.v, static_cast<unsigned>(theModifiers), theDrags);
        std::fflush(stdout);
        return noErr;
    }
    default:
        return eventNotHandledErr;
    }
}

OSStatus CommandHandler(EventHandlerCallRef, EventRef theEvent, void* theWindow)
{
    HICommand theCommand{};
    GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof theCommand, nullptr, &theCommand);
    std::string theText;
    for (int i = 24; i >= 0; i -= 8) theText += static_cast<char>(theCommand.commandID >> i);
    std::printf("command %s\n", theText.c_str());
    std::fflush(stdout);
    if (theCommand.commandID == kHICommandOK || theCommand.commandID == kHICommandCancel)
        QuitAppModalLoopForWindow(static_cast<WindowRef>(theWindow));
    return noErr;
}

} // namespace

int main(int argc, char** argv)
{
    alarm(cWatchdogSeconds);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <source folder>\n", argv[0]);
        return 2;
    }
    CFBundleRef theBundle = nullptr;
    if (GlintRegisterBundle((std::string(argv[1]) + "/tests/toolbox/TestBundle.bundle").c_str(), &theBundle) != noErr)
        return 2;
    if (!GlintUseDisplay()) {
        std::fprintf(stderr, "no display\n");
        return 3;
    }
    const EventTypeSpec thePadEvents[] = {{kEventClassControl, kEventControlDraw}, {kEventClassControl, kEventControlTrack}};
    ToolboxObjectClassRef theClass = nullptr;
    RegisterToolboxObjectClass(CFSTR("org.glintweave.pad"), nullptr, 2, thePadEvents, PadHandler, nullptr, &theClass);

    IBNibRef theNib = nullptr;
    WindowRef theWindow = nullptr;
    if (CreateNibReferenceWithCFBundle(theBundle, CFSTR("testwindows"), &theNib) != noErr ||
        CreateWindowFromNib(theNib, CFSTR("e2e"), &theWindow) != noErr)
        return 4;
    DisposeNibReference(theNib);
    const EventTypeSpec theCommandEvent{kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetWindowEventTarget(theWindow), CommandHandler, 1, &theCommandEvent, theWindow, nullptr);
    ShowWindow(theWindow);
    QDFlushPortBuffer(GetWindowPort(theWindow), nullptr);
    std::printf("drawn\n");
    std::fflush(stdout);
    RunAppModalLoopForWindow(theWindow);
    DisposeWindow(theWindow);
    UnregisterToolboxObjectClass(theClass);
    std::printf("closed\n");
    return 0;
}
