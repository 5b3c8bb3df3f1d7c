// The colour picker: red, green and blue sliders that track live, a swatch, and a hex field that
// takes typed digits. Return is OK, Escape is Cancel.
#include "ColorPicker.h"
#include "backend.h"
#include "scriptedanswers.h"

#include <cctype>
#include <cstdio>
#include <string>

using namespace toolbox_internal;

namespace {

constexpr OSType cSliderSignature = FOUR_CHAR_CODE("cpck");
constexpr OSType cValueSignature = FOUR_CHAR_CODE("cpvl");
constexpr OSType cSwatchSignature = FOUR_CHAR_CODE("cpsw");
constexpr OSType cHexSignature = FOUR_CHAR_CODE("cphx");
constexpr SInt16 cRowTop = 48;
constexpr SInt16 cRowStep = 28;

struct PickerRun {
    WindowRef window;
    UInt8 channels[3];
    bool changed;
    bool chosen;
    std::string typed; // hex digits typed since the sliders last moved
};

PickerRun* lgRun = nullptr;

ControlSpec ControlFor(ControlKind theKind, OSType theSignature, SInt16 theNumber, Rect theBounds, std::string theTitle = "")
{
    ControlSpec theSpec;
    theSpec.kind = theKind;
    theSpec.signature = theSignature;
    theSpec.number = theNumber;
    theSpec.bounds = theBounds;
    theSpec.title = std::move(theTitle);
    return theSpec;
}

WindowSpec PickerLayout(const std::string& thePrompt)
{
    WindowSpec theWindow;
    theWindow.name = "colorPicker";
    theWindow.title = "Colors";
    theWindow.width = 372;
    theWindow.height = 222;
    theWindow.controls.push_back(ControlFor(ControlKind::StaticText, 0, 0, Rect{16, 16, 34, 356}, thePrompt));
    theWindow.controls.push_back(ControlFor(ControlKind::Swatch, cSwatchSignature, 1, Rect{cRowTop, 16, cRowTop + 84, 100}));
    theWindow.controls.back().maximum = 0xFFFFFF;
    const char* theNames[3] = {"Red", "Green", "Blue"};
    for (SInt16 i = 0; i < 3; ++i) {
        SInt16 theTop = static_cast<SInt16>(cRowTop + i * cRowStep);
        theWindow.controls.push_back(
            ControlFor(ControlKind::StaticText, 0, 0, Rect{static_cast<SInt16>(theTop + 2), 116, static_cast<SInt16>(theTop + 20), 160}, theNames[i]));
        ControlSpec theSlider = ControlFor(ControlKind::Slider, cSliderSignature, static_cast<SInt16>(i + 1),
                                     Rect{theTop, 160, static_cast<SInt16>(theTop + 20), 314});
        theSlider.maximum = 255;
        theSlider.live = true;
        theWindow.controls.push_back(theSlider);
        theWindow.controls.push_back(ControlFor(ControlKind::StaticText, cValueSignature, static_cast<SInt16>(i + 1),
                                          Rect{static_cast<SInt16>(theTop + 2), 322, static_cast<SInt16>(theTop + 20), 356}));
    }
    SInt16 theHexTop = cRowTop + 3 * cRowStep + 4;
    theWindow.controls.push_back(
        ControlFor(ControlKind::StaticText, 0, 0, Rect{static_cast<SInt16>(theHexTop + 3), 116, static_cast<SInt16>(theHexTop + 21), 160}, "Hex"));
    theWindow.controls.push_back(
        ControlFor(ControlKind::TextField, cHexSignature, 1, Rect{theHexTop, 160, static_cast<SInt16>(theHexTop + 22), 250}));
    ControlSpec theCancel = ControlFor(ControlKind::PushButton, 0, 0, Rect{182, 196, 202, 270}, "Cancel");
    theCancel.command = kHICommandCancel;
    ControlSpec theOK = ControlFor(ControlKind::PushButton, 0, 0, Rect{182, 282, 202, 356}, "OK");
    theOK.command = kHICommandOK;
    theWindow.controls.push_back(theCancel);
    theWindow.controls.push_back(theOK);
    return theWindow;
}

ControlRef Find(WindowRef theWindow, OSType theSignature, SInt16 theNumber)
{
    ControlID theID{theSignature, theNumber};
    ControlRef theControl = nullptr;
    GetControlByID(theWindow, &theID, &theControl);
    return theControl;
}

void SetText(ControlRef theControl, const std::string& theText)
{
    SetControlData(theControl, 0, kControlStaticTextTextTag, static_cast<Size>(theText.size()), theText.data());
    Draw1Control(theControl);
}

std::string HexOf(const UInt8 theChannels[3])
{
    char theText[8];
    std::snprintf(theText, sizeof theText, "#%02X%02X%02X", theChannels[0], theChannels[1], theChannels[2]);
    return theText;
}

// Shows the channels in the value texts, the swatch and, unless digits are being typed, the hex field.
void ShowChannels(PickerRun& theRun)
{
    for (SInt16 i = 0; i < 3; ++i) {
        SetControl32BitValue(Find(theRun.window, cSliderSignature, static_cast<SInt16>(i + 1)), theRun.channels[i]);
        SetText(Find(theRun.window, cValueSignature, static_cast<SInt16>(i + 1)), std::to_string(theRun.channels[i]));
    }
    SetControl32BitValue(Find(theRun.window, cSwatchSignature, 1),
                         (theRun.channels[0] << 16) | (theRun.channels[1] << 8) | theRun.channels[2]);
    SetText(Find(theRun.window, cHexSignature, 1), theRun.typed.empty() ? HexOf(theRun.channels) : "#" + theRun.typed);
}

void SliderMoved(ControlRef theSlider, ControlPartCode)
{
    if (!lgRun) return;
    ControlID theID;
    GetControlID(theSlider, &theID);
    lgRun->channels[theID.id - 1] = static_cast<UInt8>(GetControl32BitValue(theSlider));
    lgRun->changed = true;
    lgRun->typed.clear();
    ShowChannels(*lgRun);
}

OSStatus PickerKeyHandler(EventHandlerCallRef, EventRef theEvent, void* theData)
{
    PickerRun& theRun = *static_cast<PickerRun*>(theData);
    UInt8 theChar = 0;
    GetEventParameter(theEvent, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &theChar);
    if (theChar == 0x08 || theChar == 0x7F) {
        if (theRun.typed.empty()) theRun.typed = HexOf(theRun.channels).substr(1);
        theRun.typed.pop_back();
    } else if (std::isxdigit(theChar)) {
        if (theRun.typed.size() == 6) theRun.typed.clear();
        theRun.typed += static_cast<char>(std::toupper(theChar));
    } else {
        return eventNotHandledErr;
    }
    if (theRun.typed.size() == 6) {
        unsigned long theValue = std::stoul(theRun.typed, nullptr, 16);
        theRun.channels[0] = static_cast<UInt8>(theValue >> 16);
        theRun.channels[1] = static_cast<UInt8>(theValue >> 8);
        theRun.channels[2] = static_cast<UInt8>(theValue);
        theRun.changed = true;
    }
    ShowChannels(theRun);
    return noErr;
}

OSStatus PickerCommandHandler(EventHandlerCallRef, EventRef theEvent, void* theData)
{
    PickerRun& theRun = *static_cast<PickerRun*>(theData);
    HICommand theCommand{};
    GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof theCommand, nullptr, &theCommand);
    if (theCommand.commandID != kHICommandOK && theCommand.commandID != kHICommandCancel) return eventNotHandledErr;
    theRun.chosen = theCommand.commandID == kHICommandOK;
    QuitAppModalLoopForWindow(theRun.window);
    return noErr;
}

bool RunPicker(const RGBColor& theStart, const std::string& thePrompt, RGBColor& outColor)
{
    OSStatus theStatus = noErr;
    WindowRef theWindow = NewToolboxWindow(PickerLayout(thePrompt), "", theStatus);
    if (!theWindow) return false;
    PickerRun theRun{theWindow,
                     {static_cast<UInt8>(theStart.red >> 8), static_cast<UInt8>(theStart.green >> 8),
                      static_cast<UInt8>(theStart.blue >> 8)},
                     false, false, {}};
    for (SInt16 i = 1; i <= 3; ++i) SetControlAction(Find(theWindow, cSliderSignature, i), SliderMoved);
    ShowChannels(theRun);

    const EventTypeSpec theKeyEvent{kEventClassKeyboard, kEventRawKeyDown};
    const EventTypeSpec theCommandEvent{kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetWindowEventTarget(theWindow), PickerKeyHandler, 1, &theKeyEvent, &theRun, nullptr);
    InstallEventHandler(GetWindowEventTarget(theWindow), PickerCommandHandler, 1, &theCommandEvent, &theRun, nullptr);

    PickerRun* theOuterRun = lgRun;
    lgRun = &theRun;
    ShowWindow(theWindow);
    RunAppModalLoopForWindow(theWindow);
    lgRun = theOuterRun;
    DisposeWindow(theWindow);

    if (!theRun.chosen) return false;
    outColor = theStart;
    if (theRun.changed)
        outColor = RGBColor{static_cast<UInt16>(theRun.channels[0] * 257), static_cast<UInt16>(theRun.channels[1] * 257),
                            static_cast<UInt16>(theRun.channels[2] * 257)};
    return true;
}

} // namespace

extern "C" {

OSErr NPickColor(NColorPickerInfo* theColorInfo)
{
    if (!theColorInfo) return -50;
    theColorInfo->newColorChosen = false;
    const CMRGBColor& theStartRGB = theColorInfo->theColor.color.rgb;
    RGBColor theColor{theStartRGB.red, theStartRGB.green, theStartRGB.blue};
    bool theChosen;
    std::optional<PickerAnswer> theScripted = CurrentBackend().IsHeadless() ? NextPickerAnswer() : std::nullopt;
    if (theScripted) {
        theChosen = theScripted->chosen;
        theColor = theScripted->color;
    } else {
        std::string thePrompt(reinterpret_cast<const char*>(theColorInfo->prompt + 1), theColorInfo->prompt[0]);
        theChosen = RunPicker(theColor, thePrompt.empty() ? "Choose a color:" : thePrompt, theColor);
    }
    if (theChosen) {
        theColorInfo->theColor.color.rgb = CMRGBColor{theColor.red, theColor.green, theColor.blue};
        theColorInfo->newColorChosen = true;
    }
    return noErr;
}

} // extern "C"
