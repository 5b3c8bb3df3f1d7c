#include "carbonmacros.h"

#include "toolboxtesting.h"

#include <string>

using namespace toolbox_testing;

namespace {

std::string Text(ConstStr255Param theText)
{
    return std::string(reinterpret_cast<const char*>(theText + 1), theText[0]);
}

class CarbonMacros : public ToolboxTest {
protected:
    void SetUp() override
    {
        ToolboxTest::SetUp();
        TestBundle();
    }
};

// The "controls" window of the test bundle, with the probe class its custom control needs.
struct OpenControls {
    ProbeClass probe;
    WindowOwner owner{OpenNibWindowFromCFBundle(cTestBundleID, "testwindows", "controls")};
};

std::string ControlText(ControlRef theControl)
{
    char theBuffer[256];
    Size theSize = 0;
    GetControlData(theControl, 0, kControlStaticTextTextTag, sizeof theBuffer, theBuffer, &theSize);
    return std::string(theBuffer, static_cast<size_t>(theSize));
}

} // namespace

TEST_F(CarbonMacros, OpensTheWindowHidden)
{
    OpenControls theWindow;
    ASSERT_NE(theWindow.owner.window, nullptr);
    EXPECT_FALSE(IsWindowVisible(theWindow.owner.window));
    EXPECT_EQ(SimpleGetControlValueByID(theWindow.owner.window, FOUR_CHAR_CODE("sldr"), 1), 10);
}

TEST_F(CarbonMacros, ByAddressOperations)
{
    OpenControls theOpen;
    WindowRef theWindow = theOpen.owner.window;
    ShowWindow(theWindow);
    const OSType theText = FOUR_CHAR_CODE("text");

    // A negative number is the same negative 32-bit number.
    ControlRef theNegative = SimpleGetControlByID(theWindow, theText, -2);
    ASSERT_NE(theNegative, nullptr);
    EXPECT_EQ(ControlText(theNegative), "Negative");
    EXPECT_EQ(SimpleGetControlByID(theWindow, theText, 2), nullptr);

    SimpleSetControlText(theWindow, theText, -2, PSTR("0/29"));
    EXPECT_EQ(ControlText(theNegative), "0/29");
    SimpleSetControlText(theWindow, theText, -2, PSTR(""));
    EXPECT_EQ(ControlText(theNegative), "");

    // The probe redraws when its text is set, even to the same text.
    ControlRef theProbe = SimpleGetControlByID(theWindow, FOUR_CHAR_CODE("prob"), 1);
    theOpen.probe.seen.clear();
    SimpleSetControlText(theWindow, FOUR_CHAR_CODE("prob"), 1, PSTR("x"));
    SimpleSetControlText(theWindow, FOUR_CHAR_CODE("prob"), 1, PSTR("x"));
    EXPECT_EQ(theOpen.probe.Kinds(), (std::vector<UInt32>{kEventControlDraw, kEventControlDraw}));

    SimpleHideControl(theWindow, FOUR_CHAR_CODE("prob"), 1);
    EXPECT_FALSE(IsControlVisible(theProbe));
    SimpleShowControl(theWindow, FOUR_CHAR_CODE("prob"), 1);
    EXPECT_TRUE(IsControlVisible(theProbe));

    SimpleSetControlValueByID(theWindow, FOUR_CHAR_CODE("sldr"), 1, 77);
    EXPECT_EQ(SimpleGetControlValueByID(theWindow, FOUR_CHAR_CODE("sldr"), 1), 77);

    // Missing controls are ignored.
    SimpleSetControlText(theWindow, FOUR_CHAR_CODE("none"), 1, PSTR("x"));
    SimpleShowControl(theWindow, FOUR_CHAR_CODE("none"), 1);
    SimpleHideControl(theWindow, FOUR_CHAR_CODE("none"), 1);
    SimpleSetControlValueByID(theWindow, FOUR_CHAR_CODE("none"), 1, 5);
    EXPECT_EQ(SimpleGetControlValueByID(theWindow, FOUR_CHAR_CODE("none"), 1), 0);

    Rect theBox = GetControlBox(SimpleGetControlByID(theWindow, FOUR_CHAR_CODE("sldr"), 1));
    EXPECT_EQ(theBox.top, 110);
    EXPECT_EQ(theBox.left, 20);
    EXPECT_EQ(theBox.bottom, 130);
    EXPECT_EQ(theBox.right, 220);
}

TEST(CommandID2Str, KeepsAllFourCharacters)
{
    Str255 theText;
    CommandID2Str(FOUR_CHAR_CODE("ok  "), theText);
    EXPECT_EQ(Text(theText), "ok  ");
    EXPECT_NE(Text(theText), "ok");
    CommandID2Str(FOUR_CHAR_CODE("not!"), theText);
    EXPECT_EQ(Text(theText), "not!");
    CommandID2Str(0x41004200, theText);
    EXPECT_EQ(Text(theText), std::string("A\0B\0", 4));
    CommandID2Str(0x8E9FA5FF, theText);
    EXPECT_EQ(Text(theText), "\x8E\x9F\xA5\xFF");
}

TEST_F(CarbonMacros, EmptyNibNameMeansQuellisand)
{
    // The test bundle has no "quellisand": the stop alert names it.
    EXPECT_EXIT(OpenNibWindowFromCFBundle(cTestBundleID, "", "configNTSC"), testing::ExitedWithCode(1),
                "Alert \\(stop\\): OpenNibWindow Failed: Unable to CreateNibReferenceWithCFBundle for "
                "\"org\\.glintweave\\.toolboxtest/quellisand\" as it returned errcode #-10960\\. \\[OK\\]");
}

TEST_F(CarbonMacros, MissingInterfaceFileStopsWithItsName)
{
    EXPECT_EXIT(OpenNibWindowFromCFBundle(cTestBundleID, "about", "about"), testing::ExitedWithCode(1),
                "OpenNibWindow Failed: Unable to CreateNibReferenceWithCFBundle for "
                "\"org\\.glintweave\\.toolboxtest/about\" as it returned errcode #-10960\\.");
}

TEST_F(CarbonMacros, DamagedInterfaceFileStopsToo)
{
    TempBundle theBundle("org.glintweave.damagedmacros");
    theBundle.Write("Contents/Resources/quellisand.json", "{\"windows\": 5}");
    ASSERT_EQ(GlintRegisterBundle(theBundle.Path().c_str(), nullptr), noErr);
    EXPECT_EXIT(OpenNibWindowFromCFBundle("org.glintweave.damagedmacros", "", "configNTSC"), testing::ExitedWithCode(1),
                "damaged interface file .*quellisand\\.json: windows: expected a list\n"
                "Alert \\(stop\\): OpenNibWindow Failed: .*/quellisand\" as it returned errcode #-10970\\.");
}

TEST_F(CarbonMacros, MissingWindowExitsSilentlyWithTheLowByte)
{
    // -10962 is 0x...D52E: exit status 0x2E.
    EXPECT_EXIT(OpenNibWindowFromCFBundle(cTestBundleID, "testwindows", "configPAL"), testing::ExitedWithCode(0x2E),
                "^$");
}

TEST_F(CarbonMacros, MissingBundleStopsWithTheLocation)
{
    EXPECT_EXIT(OpenNibWindowFromCFBundle("org.glintweave.nobundle", "", "about"), testing::ExitedWithCode(1),
                "Alert \\(stop\\): Assertion Failure: Assertion failed in:  Cannot allocate bundle for ID = "
                "org\\.glintweave\\.nobundle \\[OK\\]");
}
