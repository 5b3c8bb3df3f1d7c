#include "toolboxtesting.h"

#include "Alerts.h"
#include "ColorPicker.h"

#include <cstring>
#include <vector>

using namespace toolbox_testing;

namespace {

class StandardAlerts : public ToolboxTest {};

DialogItemIndex RunAlert(const char* theOK, const char* theCancel, const char* theOther, SInt16 theDefault = 1)
{
    AlertStdCFStringAlertParamRec theParams;
    GetStandardAlertDefaultParams(&theParams, kStdCFStringAlertVersionOne);
    theParams.defaultText = theOK ? CFSTR(theOK) : nullptr;
    theParams.cancelText = theCancel ? CFSTR(theCancel) : nullptr;
    theParams.otherText = theOther ? CFSTR(theOther) : nullptr;
    theParams.defaultButton = theDefault;
    theParams.cancelButton = kStdCancelItemIndex;
    DialogRef theAlert = nullptr;
    EXPECT_EQ(CreateStandardAlert(kAlertCautionAlert, CFSTR("Head"), CFSTR("Text"), &theParams, &theAlert), noErr);
    DialogItemIndex theItemHit = 0;
    EXPECT_EQ(RunStandardAlert(theAlert, nullptr, &theItemHit), noErr);
    return theItemHit;
}

class ColorPicker : public ToolboxTest {
protected:
    NColorPickerInfo Request(RGBColor theStart)
    {
        NColorPickerInfo theInfo;
        std::memset(&theInfo, 0, sizeof theInfo);
        theInfo.theColor.color.rgb = CMRGBColor{theStart.red, theStart.green, theStart.blue};
        theInfo.flags = 0x93;
        std::memcpy(theInfo.prompt, "\x14Please choose color:", 21);
        return theInfo;
    }
};

// The text of the open picker's hex field.
std::string HexFieldText()
{
    char theText[32] = {};
    Size theSize = 0;
    GetControlData(Control(FrontWindow(), "cphx", 1), 0, kControlEditTextTextTag, sizeof theText, theText, &theSize);
    return std::string(theText, static_cast<size_t>(theSize));
}

} // namespace

TEST_F(StandardAlerts, AnsweredByTheScriptedButtonElseTheDefault)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunAlert("Go", "Stop", "Maybe"), 1);
    HeadlessPushAlertAnswer(2);
    EXPECT_EQ(RunAlert("Go", "Stop", "Maybe"), 2);
    HeadlessPushAlertAnswer(3);
    EXPECT_EQ(RunAlert("Go", "Stop", "Maybe"), 3);
    EXPECT_EQ(RunAlert("Go", "Stop", nullptr, 2), 2);
    // An answer naming a button the alert lacks comes back as it is.
    HeadlessPushAlertAnswer(2);
    EXPECT_EQ(RunAlert("Go", nullptr, nullptr), 2);
    std::string theLines = testing::internal::GetCapturedStderr();
    EXPECT_NE(theLines.find("Alert (caution): Head: Text [Go] [Stop] [Maybe]\n"), std::string::npos) << theLines;
    EXPECT_NE(theLines.find("Alert (caution): Head: Text [Go]\n"), std::string::npos) << theLines;
    EXPECT_STREQ(HeadlessLastAlertHeadline(), "Head");
    // An alert leaves no window behind and takes no queued input.
    EXPECT_EQ(FrontWindow(), nullptr);
}

TEST_F(StandardAlerts, AnswerDoesNotStealQueuedInput)
{
    HeadlessPushKey('x', 0);
    HeadlessPushAlertAnswer(1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunAlert(nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Alert (caution): Head: Text [OK]\n");
    EXPECT_EQ(HeadlessPendingInput(), 1);
    HeadlessClearScript();
}

TEST_F(ColorPicker, ScriptedAnswerOrCancel)
{
    NColorPickerInfo theInfo = Request(RGBColor{0x1000, 0x2000, 0x3000});
    const RGBColor thePicked{0x1234, 0xABCD, 0x00FF};
    HeadlessPushColorPickerAnswer(&thePicked);
    EXPECT_EQ(NPickColor(&theInfo), noErr);
    EXPECT_TRUE(theInfo.newColorChosen);
    EXPECT_EQ(theInfo.theColor.color.rgb.red, 0x1234);
    EXPECT_EQ(theInfo.theColor.color.rgb.green, 0xABCD);
    EXPECT_EQ(theInfo.theColor.color.rgb.blue, 0x00FF);

    HeadlessPushColorPickerCancel();
    EXPECT_EQ(NPickColor(&theInfo), noErr);
    EXPECT_FALSE(theInfo.newColorChosen);
    EXPECT_EQ(theInfo.theColor.color.rgb.green, 0xABCD);
}

TEST_F(ColorPicker, SliderShowsInTheHexFieldAndTypingThenReplacesIt)
{
    NColorPickerInfo theInfo = Request(RGBColor{0x1000, 0x2000, 0x3000});
    // Red slider dragged to its right end, then a whole colour typed, with its '#' (a shifted key).
    HeadlessPushCallback(
        [](void*) {
            WindowRef thePicker = FrontWindow();
            ASSERT_NE(thePicker, nullptr);
            Rect theSlider;
            GetControlBounds(Control(thePicker, "cpck", 1), &theSlider);
            SInt16 theMiddle = static_cast<SInt16>((theSlider.top + theSlider.bottom) / 2);
            HeadlessPushMouseDown(static_cast<SInt16>(theSlider.left + 3), theMiddle, 0);
            HeadlessPushMouseDrag(static_cast<SInt16>(theSlider.right + 20), theMiddle, 0);
            HeadlessPushMouseUp(static_cast<SInt16>(theSlider.right + 20), theMiddle, 0);
            HeadlessPushCallback([](void*) { EXPECT_EQ(HexFieldText(), "#FF2030"); }, nullptr);
            for (char theKey : std::string("#FFA000")) HeadlessPushKey(static_cast<UInt8>(theKey), shiftKey);
            HeadlessPushCallback([](void*) { EXPECT_EQ(HexFieldText(), "#FFA000"); }, nullptr);
            HeadlessPushKey('\r', 0);
        },
        nullptr);
    EXPECT_EQ(NPickColor(&theInfo), noErr);
    EXPECT_TRUE(theInfo.newColorChosen);
    EXPECT_EQ(theInfo.theColor.color.rgb.red, 0xFFFF);
    EXPECT_EQ(theInfo.theColor.color.rgb.green, 0xA0A0);
    EXPECT_EQ(theInfo.theColor.color.rgb.blue, 0x0000);
}

// The hex field edits as a text field does: it opens with the colour selected, so the first key
// replaces it; Backspace deletes the selection, then one character at a time, and never brings
// the old text back. Six digits set the colour; fewer leave it.
TEST_F(ColorPicker, HexFieldEditsLikeATextField)
{
    constexpr char cBS = 0x08;
    struct Case {
        std::string keys;
        const char* text;
        RGBColor color;
    } theCases[] = {
        {"#FFA000", "#FFA000", {0xFFFF, 0xA0A0, 0x0000}},
        {"ffa000", "ffa000", {0xFFFF, 0xA0A0, 0x0000}},
        {std::string("#FFA000") + cBS + cBS + "80", "#FFA080", {0xFFFF, 0xA0A0, 0x8080}},
        {std::string(1, cBS), "", {0x1234, 0x5678, 0x9ABC}},
        {std::string("#1") + cBS + cBS + cBS + "0000FF", "0000FF", {0x0000, 0x0000, 0xFFFF}},
        {"#FFA0001234", "#FFA000", {0xFFFF, 0xA0A0, 0x0000}},
        {"12#34", "1234", {0x1234, 0x5678, 0x9ABC}},
        {"#ABCDEFxyz", "#ABCDEF", {0xABAB, 0xCDCD, 0xEFEF}},
    };
    for (const Case& theCase : theCases) {
        NColorPickerInfo theInfo = Request(RGBColor{0x1234, 0x5678, 0x9ABC});
        HeadlessPushCallback([](void*) { EXPECT_EQ(HexFieldText(), "#12569A"); }, nullptr);
        for (char theKey : theCase.keys) HeadlessPushKey(static_cast<UInt8>(theKey), 0);
        HeadlessPushCallback([](void* theText) { EXPECT_EQ(HexFieldText(), static_cast<const char*>(theText)); },
                             const_cast<char*>(theCase.text));
        HeadlessPushKey('\r', 0);
        EXPECT_EQ(NPickColor(&theInfo), noErr);
        EXPECT_TRUE(theInfo.newColorChosen);
        const CMRGBColor& theColor = theInfo.theColor.color.rgb;
        EXPECT_EQ((std::vector<UInt16>{theColor.red, theColor.green, theColor.blue}),
                  (std::vector<UInt16>{theCase.color.red, theCase.color.green, theCase.color.blue}))
            << "keys " << theCase.keys;
    }
}

TEST_F(ColorPicker, OKWithoutChangeKeepsTheExactColourAndEscapeCancels)
{
    NColorPickerInfo theInfo = Request(RGBColor{0x1234, 0xABCD, 0x00FF});
    HeadlessPushKey('\r', 0);
    EXPECT_EQ(NPickColor(&theInfo), noErr);
    EXPECT_TRUE(theInfo.newColorChosen);
    EXPECT_EQ(theInfo.theColor.color.rgb.red, 0x1234);
    EXPECT_EQ(theInfo.theColor.color.rgb.blue, 0x00FF);

    HeadlessPushKey('7', 0);
    HeadlessPushKey(0x1B, 0);
    EXPECT_EQ(NPickColor(&theInfo), noErr);
    EXPECT_FALSE(theInfo.newColorChosen);

    // Out of input: cancelled, reported, never hung.
    testing::internal::CaptureStderr();
    EXPECT_EQ(NPickColor(&theInfo), noErr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("colorPicker"), std::string::npos);
    EXPECT_FALSE(theInfo.newColorChosen);
    EXPECT_EQ(FrontWindow(), nullptr);
}
