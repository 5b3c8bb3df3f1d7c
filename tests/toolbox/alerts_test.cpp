#include "toolboxtesting.h"

#include "Alerts.h"
#include "ColorPicker.h"

#include <cstring>

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

TEST_F(ColorPicker, SlidersAndTypedHexGiveTheColour)
{
    NColorPickerInfo theInfo = Request(RGBColor{0x1000, 0x2000, 0x3000});
    // Red slider dragged to its right end; then green and blue typed as hex "…80FF" after
    // a whole colour was typed: the last six digits count.
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
            HeadlessPushCallback(
                [](void*) {
                    char theHex[16] = {};
                    GetControlData(Control(FrontWindow(), "cphx", 1), 0, kControlStaticTextTextTag, 15, theHex, nullptr);
                    EXPECT_STREQ(theHex, "#FF2030");
                },
                nullptr);
            for (char theKey : std::string("0000ffFF80FF")) HeadlessPushKey(static_cast<UInt8>(theKey), 0);
            HeadlessPushKey(0x08, 0);
            HeadlessPushKey('0', 0);
            HeadlessPushKey('\r', 0);
        },
        nullptr);
    EXPECT_EQ(NPickColor(&theInfo), noErr);
    EXPECT_TRUE(theInfo.newColorChosen);
    EXPECT_EQ(theInfo.theColor.color.rgb.red, 0xFFFF);
    EXPECT_EQ(theInfo.theColor.color.rgb.green, 0x8080);
    EXPECT_EQ(theInfo.theColor.color.rgb.blue, 0xF0F0);
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
