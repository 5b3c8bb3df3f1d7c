// The colour picker: red, green and blue sliders that track live, a swatch, and a hex field that
// edits as a text field does. Return is OK, Escape is Cancel.
#include "ColorPicker.h"
#include "backend.h"
#include "scriptedanswers.h"

#include <algorithm>
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

std::string FieldText(ControlRef theField)
{
    char theText[256];
    Size theSize = 0;
    GetControlData(theField, 0, kControlEditTextTextTag, sizeof theText, theText, &theSize);
    return std::string(theText, static_cast<size_t>(std::min<Size>(theSize, sizeof theText)));
}

bool WholeFieldSelected(ControlRef theField, const std::string& theText)
{
    ControlEditTextSelectionRec theSelection{0, 0};
    GetControlData(theField, 0, kControlEditTextSelectionTag, sizeof theSelection, &theSelection, nullptr);
    return !theText.empty() && theSelection.selStart == 0 && theSelection.selEnd == static_cast<SInt16>(theText.size());
}

// Shows the channels in the sliders, the value texts and the swatch; with theHexToo also in the
// hex field, selected, so that typing replaces it.
void ShowChannels(PickerRun& theRun, bool theHexToo)
{
    for (SInt16 i = 0; i < 3; ++i) {
        SetControl32BitValue(Find(theRun.window, cSliderSignature, static_cast<SInt16>(i + 1)), theRun.channels[i]);
        SetText(Find(theRun.window, cValueSignature, static_cast<SInt16>(i + 1)), std::to_string(theRun.channels[i]));
    }
    SetControl32BitValue(Find(theRun.window, cSwatchSignature, 1),
                         (theRun.channels[0] << 16) | (theRun.channels[1] << 8) | theRun.channels[2]);
    if (!theHexToo) return;
    ControlRef theField = Find(theRun.window, cHexSignature, 1);
    const std::string theHex = HexOf(theRun.channels);
    SetControlData(theField, 0, kControlEditTextTextTag, static_cast<Size>(theHex.size()), theHex.data());
    const ControlEditTextSelectionRec theAll{0, static_cast<SInt16>(theHex.size())};
    SetControlData(theField, 0, kControlEditTextSelectionTag, sizeof theAll, &theAll);
    Draw1Control(theField);
}

void SliderMoved(ControlRef theSlider, ControlPartCode)
{
    if (!lgRun) return;
    ControlID theID;
    GetControlID(theSlider, &theID);
    lgRun->channels[theID.id - 1] = static_cast<UInt8>(GetControl32BitValue(theSlider));
    lgRun->changed = true;
    ShowChannels(*lgRun, true);
}

// The hex field takes an optional '#' first and up to six hex digits; a selection goes when a
// key edits, Backspace deletes the last character. Six digits set the colour.
OSStatus PickerKeyHandler(EventHandlerCallRef, EventRef theEvent, void* theData)
{
    PickerRun& theRun = *static_cast<PickerRun*>(theData);
    UInt8 theChar = 0;
    GetEventParameter(theEvent, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &theChar);
    const bool theErases = theChar == 0x08 || theChar == 0x7F;
    const bool theTypes = theChar == '#' || std::isxdigit(theChar);
    if (!theErases && !theTypes) return eventNotHandledErr;

    ControlRef theField = Find(theRun.window, cHexSignature, 1);
    std::string theText = FieldText(theField);
    if (WholeFieldSelected(theField, theText))
        theText.clear();
    else if (theChar == 0x08 && !theText.empty())
        theText.pop_back();
    if (theTypes) {
        const size_t theDigits = theText.size() - (!theText.empty() && theText[0] == '#' ? 1 : 0);
        const bool theFits = theChar == '#' ? theText.empty() : theDigits < 6;
        if (theFits) theText += static_cast<char>(theChar);
    }
    SetControlData(theField, 0, kControlEditTextTextTag, static_cast<Size>(theText.size()), theText.data());
    Draw1Control(theField);

    const std::string theDigits = !theText.empty() && theText[0] == '#' ? theText.substr(1) : theText;
    if (theDigits.size() == 6) {
        const unsigned long theValue = std::stoul(theDigits, nullptr, 16);
        theRun.channels[0] = static_cast<UInt8>(theValue >> 16);
        theRun.channels[1] = static_cast<UInt8>(theValue >> 8);
        theRun.channels[2] = static_cast<UInt8>(theValue);
        theRun.changed = true;
        ShowChannels(theRun, false);
    }
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
                     false, false};
    for (SInt16 i = 1; i <= 3; ++i) SetControlAction(Find(theWindow, cSliderSignature, i), SliderMoved);
    ShowChannels(theRun, true);

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
