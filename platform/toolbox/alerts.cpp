// Standard alerts: a modal window with an icon, a headline, an explanation and up to three
// buttons. Every alert also writes one line to stderr, so that a log shows what a person saw.
// Headless, an alert is answered at once by its scripted button, else its default button.
#include "Alerts.h"
#include "HeadlessScript.h"
#include "backend.h"
#include "controlgeometry.h"
#include "grafport.h"
#include "scriptedanswers.h"

#include <algorithm>
#include <cstdio>
#include <string>

using namespace toolbox_internal;

struct OpaqueDialogPtr {
    AlertType type;
    std::string headline;    // UTF-8
    std::string explanation; // UTF-8
    std::string buttons[3];  // UTF-8; empty: no such button
    SInt16 defaultButton;
    SInt16 cancelButton;
};

namespace {

long lgAlertCount = 0;
std::string lgLastHeadline;
std::string lgLastExplanation;

constexpr SInt16 cAlertWidth = 420;
constexpr SInt16 cMargin = 20;
constexpr SInt16 cTextLeft = 76;
constexpr SInt16 cButtonHeight = 20;
constexpr SInt16 cButtonGap = 12;
constexpr UInt32 cButtonCommands[3] = {kHICommandOK, kHICommandCancel, kHICommandOther};

std::string TextOf(CFStringRef theString)
{
    return theString ? CFStringGetUTF8Pointer(theString) : "";
}

// Texts are drawn in Mac Roman; characters it lacks show as '?'.
std::string MacRomanOf(const std::string& theUTF8)
{
    std::string theText;
    if (!MacRomanFromUTF8(theUTF8, theText, '?')) theText.assign(1, '?');
    if (theText.size() > 255) theText.resize(255);
    return theText;
}

const char* TypeName(AlertType theType)
{
    switch (theType) {
    case kAlertStopAlert: return "stop";
    case kAlertNoteAlert: return "note";
    case kAlertCautionAlert: return "caution";
    default: return "plain";
    }
}

// A static text of the wrapped lines; theBold measures and draws it in the bold face.
ControlSpec TextSpec(const std::string& theText, SInt16 theTop, SInt16 theWidth, bool theBold, SInt16& outHeight)
{
    TextFace(theBold ? bold : normal);
    outHeight = static_cast<SInt16>(WrapText(theText, theWidth).size() * LineHeight());
    TextFace(normal);
    ControlSpec theSpec;
    theSpec.kind = ControlKind::StaticText;
    theSpec.title = theText;
    theSpec.bold = theBold;
    theSpec.bounds = Rect{theTop, cTextLeft, static_cast<SInt16>(theTop + outHeight),
                          static_cast<SInt16>(cTextLeft + theWidth)};
    return theSpec;
}

// Lays the alert out: the texts wrap to the width right of the icon, the buttons sit below.
WindowSpec AlertLayout(const OpaqueDialogPtr& theAlert)
{
    WindowSpec theWindow;
    theWindow.name = "alert";
    theWindow.title = theAlert.headline.empty() ? std::string("Alert") : theAlert.headline;
    theWindow.width = cAlertWidth;

    // Text is measured in a scratch port with the same font settings as the window's.
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    CGrafPtr theScratch = quickdraw_internal::NewPortWithPixels(1, 1);
    if (theScratch) SetGWorld(theScratch, nullptr);
    TextSize(cTextSize);
    const SInt16 theTextWidth = cAlertWidth - cMargin - cTextLeft;

    ControlSpec theIcon;
    theIcon.kind = ControlKind::AlertIcon;
    theIcon.value = theAlert.type;
    theIcon.maximum = kAlertPlainAlert;
    theIcon.bounds = Rect{cMargin, cMargin + 4, cMargin + 40, cMargin + 44};
    theWindow.controls.push_back(theIcon);

    SInt16 theTop = cMargin, theHeight = 0;
    theWindow.controls.push_back(TextSpec(MacRomanOf(theAlert.headline), theTop, theTextWidth, true, theHeight));
    theTop = static_cast<SInt16>(theTop + theHeight + 8);
    const std::string theExplanation = MacRomanOf(theAlert.explanation);
    if (!theExplanation.empty()) {
        theWindow.controls.push_back(TextSpec(theExplanation, theTop, theTextWidth, false, theHeight));
        theTop = static_cast<SInt16>(theTop + theHeight + 8);
    }
    theTop = std::max<SInt16>(static_cast<SInt16>(theTop + 8), cMargin + 40 + 16);

    // Button 1 at the right, button 2 left of it, button 3 at the left under the text.
    SInt16 theRight = cAlertWidth - cMargin;
    for (int i = 0; i < 3; ++i) {
        if (theAlert.buttons[i].empty()) continue;
        ControlSpec theButton;
        theButton.kind = ControlKind::PushButton;
        theButton.signature = FOUR_CHAR_CODE("albt");
        theButton.number = static_cast<SInt16>(i + 1);
        theButton.title = MacRomanOf(theAlert.buttons[i]);
        theButton.command = cButtonCommands[i];
        SInt16 theWidth = std::max<SInt16>(72, static_cast<SInt16>(TextWidthOf(theButton.title) + 28));
        SInt16 theLeft = i == 2 ? cTextLeft : static_cast<SInt16>(theRight - theWidth);
        theButton.bounds = Rect{theTop, theLeft, static_cast<SInt16>(theTop + cButtonHeight),
                                static_cast<SInt16>(theLeft + theWidth)};
        if (i < 2) theRight = static_cast<SInt16>(theLeft - cButtonGap);
        theWindow.controls.push_back(theButton);
    }
    theWindow.height = static_cast<SInt16>(theTop + cButtonHeight + cMargin);

    SetGWorld(theSavedPort, theSavedDevice);
    quickdraw_internal::DisposePort(theScratch);
    return theWindow;
}

ControlRef AlertButton(WindowRef theWindow, SInt16 theItem)
{
    ControlID theID{FOUR_CHAR_CODE("albt"), theItem};
    ControlRef theButton = nullptr;
    GetControlByID(theWindow, &theID, &theButton);
    return theButton;
}

struct AlertRun {
    WindowRef window;
    SInt16 itemHit;
};

OSStatus AlertCommandHandler(EventHandlerCallRef, EventRef theEvent, void* theData)
{
    AlertRun* theRun = static_cast<AlertRun*>(theData);
    HICommand theCommand{};
    GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof theCommand, nullptr, &theCommand);
    for (int i = 0; i < 3; ++i)
        if (theCommand.commandID == cButtonCommands[i] && AlertButton(theRun->window, static_cast<SInt16>(i + 1))) {
            theRun->itemHit = static_cast<SInt16>(i + 1);
            QuitAppModalLoopForWindow(theRun->window);
            return noErr;
        }
    return eventNotHandledErr;
}

SInt16 RunAlertWindow(const OpaqueDialogPtr& theAlert)
{
    OSStatus theStatus = noErr;
    WindowRef theWindow = NewToolboxWindow(AlertLayout(theAlert), "", theStatus);
    if (!theWindow) return theAlert.defaultButton;
    theWindow->defaultButton = AlertButton(theWindow, theAlert.defaultButton);
    theWindow->cancelButton = AlertButton(theWindow, theAlert.cancelButton);

    AlertRun theRun{theWindow, 0};
    const EventTypeSpec theCommandEvent{kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetWindowEventTarget(theWindow), AlertCommandHandler, 1, &theCommandEvent, &theRun, nullptr);
    ShowWindow(theWindow);
    if (CurrentBackend().IsHeadless()) {
        SInt16 theAnswer = NextAlertAnswer().value_or(theAlert.defaultButton);
        if (ControlRef theButton = AlertButton(theWindow, theAnswer))
            PressButton(theButton);
        else
            theRun.itemHit = theAnswer;
    } else {
        RunAppModalLoopForWindow(theWindow);
    }
    DisposeWindow(theWindow);
    return theRun.itemHit ? theRun.itemHit : theAlert.defaultButton;
}

} // namespace

extern "C" {

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamRec* param, UInt32 version)
{
    *param = AlertStdCFStringAlertParamRec{version, true, false, nullptr, nullptr, nullptr, kStdOkItemIndex, 0, 0, 0};
    return noErr;
}

OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert)
{
    if (!outAlert) return -50;
    DialogRef theAlert = new OpaqueDialogPtr;
    theAlert->type = alertType;
    theAlert->headline = TextOf(error);
    theAlert->explanation = TextOf(explanation);
    theAlert->defaultButton = kStdOkItemIndex;
    theAlert->cancelButton = 0;
    if (param) {
        theAlert->buttons[0] = param->defaultText ? TextOf(param->defaultText) : "OK";
        theAlert->buttons[1] = TextOf(param->cancelText);
        theAlert->buttons[2] = TextOf(param->otherText);
        if (param->defaultButton >= 1 && param->defaultButton <= 3 && !theAlert->buttons[param->defaultButton - 1].empty())
            theAlert->defaultButton = param->defaultButton;
        if (param->cancelButton >= 1 && param->cancelButton <= 3 && !theAlert->buttons[param->cancelButton - 1].empty())
            theAlert->cancelButton = param->cancelButton;
    } else {
        theAlert->buttons[0] = "OK";
    }
    *outAlert = theAlert;
    return noErr;
}

OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP, DialogItemIndex* outItemHit)
{
    if (!inAlert) return -50;
    ++lgAlertCount;
    lgLastHeadline = inAlert->headline;
    lgLastExplanation = inAlert->explanation;

    std::string theButtons;
    for (const std::string& theButton : inAlert->buttons)
        if (!theButton.empty()) theButtons += " [" + theButton + "]";
    std::fprintf(stderr, "Alert (%s): %s: %s%s\n", TypeName(inAlert->type), inAlert->headline.c_str(),
                 inAlert->explanation.c_str(), theButtons.c_str());

    SInt16 theItemHit = RunAlertWindow(*inAlert);
    if (outItemHit) *outItemHit = theItemHit;
    delete inAlert;
    return noErr;
}

long HeadlessAlertCount(void)
{
    return lgAlertCount;
}

const char* HeadlessLastAlertHeadline(void)
{
    return lgLastHeadline.c_str();
}

const char* HeadlessLastAlertExplanation(void)
{
    return lgLastExplanation.c_str();
}

} // extern "C"
