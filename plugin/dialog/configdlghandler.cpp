#include "configdlghandler.h"

#include "CFBundle.h"
#include "LaunchServices.h"
#include "PluginDefines.h"
#include "PluginWorkspace.h"
#include "aboutwindow.h"
#include "carbonmacros.h"
#include "clipCTRL.h"
#include "commonprocs.h"
#include "dlgUtils.h"
#include "lineEffect.h"
#include "pixellib.h"
#include "prefsloader.h"
#include "sliderHandlers.h"

#include <cstring>

SInt16 lgItemHit = -1;
WindowRef lgTheWindow = nullptr;

namespace {

constexpr OSType cClipSig = FOUR_CHAR_CODE("Clip");
constexpr OSType cColorSig = FOUR_CHAR_CODE("Colr");
constexpr OSType cColorLegendSig = FOUR_CHAR_CODE("CLgd");
constexpr OSType cSliderLegendSig = FOUR_CHAR_CODE("Lgnd");
constexpr OSType cMethodSig = FOUR_CHAR_CODE("Meth");
constexpr OSType cMediaSig = FOUR_CHAR_CODE("Medi");
constexpr OSType cKeepSig = FOUR_CHAR_CODE("Keep");
constexpr OSType cRegionChoiceSig = FOUR_CHAR_CODE("Rect");

const char* WindowNameFor(SInt16 theMediaType)
{
    switch (theMediaType) {
    case 2: return "configPAL";
    case 3: return "configHD";
    default: return "configNTSC";
    }
}

bool IsCommand(const Str255 theText, const char* theCommand)
{
    return theText[0] == 4 && std::memcmp(theText + 1, theCommand, 4) == 0;
}

// 1 to 6 for "Col1" to "Col6", else 0.
int ColorCommandNumber(const Str255 theText)
{
    if (theText[0] != 4 || std::memcmp(theText + 1, "Col", 3) != 0) return 0;
    return theText[4] >= '1' && theText[4] <= '6' ? theText[4] - '0' : 0;
}

// Previews the frame the clip slider's value moves to, when it stays within the transition.
void StepPreviewFrame(SInt32 theStep)
{
    const SInt32 theValue = GetControl32BitValue(gConfigWorkspace.clipSlider);
    const bool theRoom = theStep > 0 ? gConfigWorkspace.maxFrameIndex > theValue : theValue > 0;
    if (!theRoom) return;
    const SInt32 theFrame = theValue + theStep;
    gConfigWorkspace.currFrameIndex = theFrame;
    SetControl32BitValue(gConfigWorkspace.clipSlider, theFrame);
    AccessRenderAndBlit(theFrame);
    ShowFrameText(theFrame);
}

void ResetToDefaults(pluginDataPtr theConfig)
{
    const SInt16 theMediaType = theConfig->mediaType;
    ResetConfig(theConfig, false);
    theConfig->mediaType = theMediaType;
    Config2Dlg(theConfig);
    RenderLineArt(theConfig);
    ReRenderAndBlit();
}

void TakeMediaType(WindowRef theWindow)
{
    pluginDataPtr theConfig = gConfigWorkspace.theConfig;
    const SInt16 theOldType = theConfig->mediaType;
    theConfig->mediaType = static_cast<SInt16>(SimpleGetControlValueByID(theWindow, cMediaSig, 1));
    if (theConfig->mediaType != theOldType) {
        lgItemHit = 0;
        QuitAppModalLoopForWindow(theWindow);
    }
}

void OpenManual()
{
    CFBundleRef theBundle = CFBundleGetBundleWithIdentifier(CFSTR(cBundleIdentifier));
    if (!theBundle) {
        Notify(PSTR("Cannot Locate Bundle. Proceed with caution. Crash imminent"));
        return; // the manual is found through the bundle
    }
    CFURLRef theManual = CFBundleCopyResourceURL(theBundle, CFSTR("manual"), CFSTR("pdf"), nullptr);
    if (!theManual) {
        Notify(PSTR("Cannot locate manual in bundle"));
        return;
    }
    FSRef theFile;
    if (CFURLGetFSRef(theManual, &theFile)) {
        const OSStatus theStatus = LSOpenFSRef(&theFile, nullptr);
        if (theStatus != 0) {
            Str255 theText;
            Str255 theNumber;
            CopyCStrToPStr("LSOpen failed with ", theText);
            Num2Text(theStatus, theNumber);
            AppendPStr(theText, theNumber);
            Notify(theText);
        }
    }
    CFRelease(theManual);
}

} // namespace

void DoConfig(pluginDataPtr theConfig)
{
    Assert(theConfig, PSTR("Nil theConfig on DoConfig"));
    const pluginDataRec theBackup = *theConfig;
    const EventTypeSpec theCommandEvent{kEventClassCommand, kEventCommandProcess};
    EventHandlerUPP theHandler = NewEventHandlerUPP(TheDialogHandler);
    do {
        lgItemHit = -1;
        lgTheWindow = OpenNibWindowFromCFBundle(cBundleIdentifier, cDialogNibName, WindowNameFor(theConfig->mediaType));
        if (!lgTheWindow) {
            lgItemHit = 2; // nothing to edit in: leave the record as it was
            break;
        }
        InstallEventHandler(GetWindowEventTarget(lgTheWindow), theHandler, 1, &theCommandEvent, lgTheWindow, nullptr);
        SetupDialog(lgTheWindow, theConfig);
        ShowWindow(lgTheWindow);
        SetPort(GetWindowPort(lgTheWindow));
        BringToFront(lgTheWindow);
        RunAppModalLoopForWindow(lgTheWindow);
        DisposeWindow(lgTheWindow);
        lgTheWindow = nullptr;
        gConfigWorkspace.theWindow = nullptr;
        gConfigWorkspace.theFrameCtrl = nullptr;
    } while (lgItemHit != 1 && lgItemHit != 2);
    DisposeEventHandlerUPP(theHandler);

    if (lgItemHit == 1) {
        (void)SaveConfig(theConfig);
    } else {
        *theConfig = theBackup;
    }
}

void SetupDialog(WindowRef theWindow, pluginDataPtr theConfig)
{
    Assert(theWindow, PSTR("Nil Window in SetupDialog"));
    Assert(theConfig, PSTR("Nil theConfig in SetupDialog"));
    gConfigWorkspace.theWindow = theWindow;
    gConfigWorkspace.theFrameCtrl = SimpleGetControlByID(theWindow, cClipSig, 1);
    Assert(gConfigWorkspace.theFrameCtrl, PSTR("Cannot acces Clip 1 CTRL"));
    SetupColors(theWindow, theConfig);
    SetupSliders(theWindow);
    SimpleHideControl(theWindow, cRegionChoiceSig, 1);
    SimpleHideControl(theWindow, cRegionChoiceSig, 2);
    SimpleSetControlValueByID(theWindow, cMediaSig, 1, theConfig->mediaType);
    Config2Dlg(gConfigWorkspace.theConfig);
    CalcAndKeepImageProps();
    RenderLineArt(gConfigWorkspace.theConfig);
    ReRenderAndBlit();
}

void SetupColors(WindowRef theWindow, pluginDataPtr theConfig)
{
    for (SInt16 i = 1; i <= cNumColors; ++i) {
        ControlRef theBox = SimpleGetControlByID(theWindow, cColorSig, i);
        Str255 theLocation;
        Str255 theNumber;
        CopyCStrToPStr("Cannot allocate color", theLocation);
        Num2Text(i, theNumber);
        AppendPStr(theLocation, theNumber);
        AppendCStr(theLocation, " in SetupDialog");
        Assert(theBox, theLocation);
        SetControl32BitMinimum(theBox, 0);
        SetControl32BitMaximum(theBox, 16777215);
        SetControl32BitValue(theBox, RGBColor2LongInt(theConfig->colors[i]));
        if (cUsesColor[i] != 0) {
            ShowControl(theBox);
            SimpleShowControl(theWindow, cColorLegendSig, i);
        } else {
            HideControl(theBox);
            SimpleHideControl(theWindow, cColorLegendSig, i);
        }
        gConfigWorkspace.colors[i] = theBox;
    }
}

void Config2Dlg(pluginDataPtr theConfig)
{
    for (int i = 1; i <= cNumColors; ++i)
        SetControl32BitValue(gConfigWorkspace.colors[i], RGBColor2LongInt(theConfig->colors[i]));
    for (SInt16 i = 1; i <= cNumSliders; ++i) {
        SetControl32BitValue(gConfigWorkspace.sliders[i], theConfig->sliders[i]);
        Str255 theLegend;
        Num2Text(theConfig->sliders[i], theLegend);
        AppendCStr(theLegend, "%");
        SimpleSetControlText(gConfigWorkspace.theWindow, cSliderLegendSig, i, theLegend);
    }
    SimpleSetControlValueByID(gConfigWorkspace.theWindow, cMethodSig, 1, theConfig->method);
    ReRenderAndBlit();
}

OSStatus TheDialogHandler(EventHandlerCallRef, EventRef theEvent, void* userData)
{
    OSStatus theStatus = eventNotHandledErr;
    HICommand theCommand{};
    (void)GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof theCommand, nullptr,
                            &theCommand);
    Str255 theText;
    CommandID2Str(theCommand.commandID, theText);
    lgItemHit = -1;

    WindowRef theWindow = static_cast<WindowRef>(userData);
    pluginDataPtr theConfig = gConfigWorkspace.theConfig;
    if (IsCommand(theText, "ok  ")) {
        lgItemHit = 1;
        theStatus = noErr;
        QuitAppModalLoopForWindow(theWindow);
    } else if (IsCommand(theText, "not!")) {
        lgItemHit = 2;
        theStatus = noErr;
        QuitAppModalLoopForWindow(theWindow);
    } else if (IsCommand(theText, "Info")) {
        ShowAbout();
        theStatus = noErr;
    } else if (const int theBox = ColorCommandNumber(theText)) {
        const SInt32 theValue =
            SimpleGetControlValueByID(gConfigWorkspace.theWindow, cColorSig, static_cast<SInt16>(theBox));
        theConfig->colors[theBox] = LongInt2RGBColor(theValue);
        ReRenderAndBlit();
        theStatus = noErr;
    } else if (IsCommand(theText, "Adva")) {
        StepPreviewFrame(1);
        theStatus = noErr;
    } else if (IsCommand(theText, "Revi")) {
        StepPreviewFrame(-1);
        theStatus = noErr;
    } else if (IsCommand(theText, "Rset")) {
        // Reported as not handled so that the toolbox passes the command on.
        ResetToDefaults(theConfig);
    } else if (IsCommand(theText, "Medi")) {
        TakeMediaType(theWindow);
        theStatus = noErr;
    } else if (IsCommand(theText, "Sall")) {
        relRect theWhole;
        InitRelRect(&theWhole);
        PutCurrentRel(theWhole);
        ReRenderAndBlit();
        theStatus = noErr;
    } else if (IsCommand(theText, "Help")) {
        OpenManual();
        theStatus = noErr;
    } else if (IsCommand(theText, "Keep")) {
        theConfig->keepProps = SimpleGetControlValueByID(gConfigWorkspace.theWindow, cKeepSig, 1) == 1;
        CalcAndKeepImageProps();
        ReRenderAndBlit();
        theStatus = noErr;
    } else if (IsCommand(theText, "Meth")) {
        theConfig->method = static_cast<SInt16>(SimpleGetControlValueByID(gConfigWorkspace.theWindow, cMethodSig, 1));
        ReRenderAndBlit();
        theStatus = noErr;
    }
    return theStatus;
}
