#include "aboutwindow.h"

#include "PluginDefines.h"
#include "carbonmacros.h"
#include "commonprocs.h"
#include "dlgUtils.h"

#include <cstring>

namespace {

WindowRef lgAboutWindow = nullptr;

} // namespace

OSStatus AboutDialogHandler(EventHandlerCallRef, EventRef theEvent, void* userData)
{
    HICommand theCommand{};
    GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof theCommand, nullptr,
                      &theCommand);
    Str255 theText;
    CommandID2Str(theCommand.commandID, theText);
    if (std::memcmp(theText, PSTR("ok  "), 5) == 0 || std::memcmp(theText, PSTR("not!"), 5) == 0) {
        QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
        return noErr;
    }
    return eventNotHandledErr;
}

void ShowAbout()
{
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);

    lgAboutWindow = OpenNibWindowFromCFBundle(cBundleIdentifier, cAboutNibName, "about");
    const EventTypeSpec theType{kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetWindowEventTarget(lgAboutWindow), NewEventHandlerUPP(AboutDialogHandler), 1, &theType,
                        lgAboutWindow, nullptr);

    SimpleSetControlText(lgAboutWindow, FOUR_CHAR_CODE("Plug"), 1, PSTR("Glintweave"));
    Str255 theVersion;
    CopyCStrToPStr("Version " GLINT_VERSION " (" GLINT_PROCESSOR_TAG " Universal)", theVersion);
    SimpleSetControlText(lgAboutWindow, FOUR_CHAR_CODE("Vers"), 1, theVersion);

    ShowWindow(lgAboutWindow);
    BringToFront(lgAboutWindow);
    RunAppModalLoopForWindow(lgAboutWindow);

    DisposeWindow(lgAboutWindow);
    lgAboutWindow = nullptr;
    SetGWorld(theSavedPort, theSavedDevice);
}
