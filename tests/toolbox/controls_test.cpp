#include "toolboxtesting.h"

using namespace toolbox_testing;

namespace {

class Controls : public ToolboxTest {
protected:
    void SetUp() override
    {
        ToolboxTest::SetUp();
        mOwner.window = OpenTestWindow("controls");
        ASSERT_NE(mOwner.window, nullptr);
    }

    size_t Draws() const
    {
        size_t theCount = 0;
        for (const ProbeClass::Seen& theSeen : mProbe.seen) theCount += theSeen.kind == kEventControlDraw;
        return theCount;
    }

    ProbeClass mProbe;
    WindowOwner mOwner;
};

} // namespace

TEST_F(Controls, ValuesStayInTheirRange)
{
    ControlRef theSlider = Control(mOwner.window, "sldr", 1);
    SetControl32BitValue(theSlider, 500);
    EXPECT_EQ(GetControl32BitValue(theSlider), 100);
    SetControl32BitValue(theSlider, -5);
    EXPECT_EQ(GetControl32BitValue(theSlider), 0);
    SetControl32BitValue(theSlider, 60);
    SetControl32BitMaximum(theSlider, 40);
    EXPECT_EQ(GetControl32BitValue(theSlider), 40);
    SetControl32BitMinimum(theSlider, 45);
    EXPECT_EQ(GetControl32BitValue(theSlider), 45);
    EXPECT_EQ(GetControl32BitMaximum(theSlider), 45);
    SetControl32BitMaximum(theSlider, 0x7FFFFFFF);
    SetControl32BitValue(theSlider, 0x7FFFFFFF);
    EXPECT_EQ(GetControl32BitValue(theSlider), 0x7FFFFFFF);
}

TEST_F(Controls, ValueChangeRedrawsOnlyInAVisibleWindow)
{
    ControlRef theProbe = Control(mOwner.window, "prob", 1);
    SetControl32BitValue(theProbe, 1);
    EXPECT_EQ(Draws(), 0u);
    ShowWindow(mOwner.window);
    EXPECT_EQ(Draws(), 1u);
    SetControl32BitValue(theProbe, 0);
    SetControl32BitValue(theProbe, 0); // no change, no drawing
    SetControl32BitValue(theProbe, 7); // clamped to 1: a change
    EXPECT_EQ(Draws(), 3u);
    EXPECT_EQ(GetControl32BitValue(theProbe), 1);
    Draw1Control(theProbe);
    EXPECT_EQ(Draws(), 4u);
    HideControl(theProbe);
    Draw1Control(theProbe);
    EXPECT_EQ(Draws(), 4u);
    ShowControl(theProbe);
    EXPECT_EQ(Draws(), 5u);
    EXPECT_TRUE(IsControlVisible(theProbe));
}

TEST_F(Controls, TextDataCutAt255)
{
    ControlRef theText = Control(mOwner.window, "text", 1);
    std::string theLong(300, 'x');
    EXPECT_EQ(SetControlData(theText, 0, kControlStaticTextTextTag, static_cast<Size>(theLong.size()), theLong.data()), noErr);
    Size theSize = 0;
    GetControlData(theText, 0, kControlStaticTextTextTag, 0, nullptr, &theSize);
    EXPECT_EQ(theSize, 255);
    EXPECT_EQ(SetControlData(theText, 0, kControlStaticTextTextTag, 0, nullptr), noErr);
    GetControlData(theText, 0, kControlStaticTextTextTag, 0, nullptr, &theSize);
    EXPECT_EQ(theSize, 0);
    EXPECT_EQ(SetControlData(Control(mOwner.window, "sldr", 1), 0, kControlStaticTextTextTag, 1, "x"), errDataNotSupported);
    EXPECT_EQ(SetControlData(theText, 0, FOUR_CHAR_CODE("font"), 1, "x"), errDataNotSupported);
}

TEST_F(Controls, HighlightStates)
{
    ControlRef theButton = Control(mOwner.window, "push", 1);
    EXPECT_EQ(GetControlHilite(theButton), 0);
    HiliteControl(theButton, kControlButtonPart);
    EXPECT_EQ(GetControlHilite(theButton), kControlButtonPart);
    HiliteControl(theButton, kControlInactivePart);
    EXPECT_EQ(GetControlHilite(theButton), kControlInactivePart);
    EXPECT_FALSE(IsControlActive(theButton));
    ActivateControl(theButton);
    DisableControl(theButton);
    EXPECT_EQ(GetControlHilite(theButton), kControlDisabledPart);
    EnableControl(theButton);
    HiliteControl(theButton, kControlNoPart);
    EXPECT_EQ(GetControlHilite(theButton), 0);
}

TEST_F(Controls, ActivationReachesTheClass)
{
    ControlRef theProbe = Control(mOwner.window, "prob", 1);
    DeactivateControl(theProbe);
    ActivateControl(theProbe);
    ActivateControl(theProbe); // already active: nothing
    std::vector<UInt32> theKinds = mProbe.Kinds();
    EXPECT_EQ(std::count(theKinds.begin(), theKinds.end(), kEventControlActivate), 1);
}

TEST_F(Controls, WindowsOrderAndPorts)
{
    EXPECT_EQ(FrontWindow(), nullptr);
    ShowWindow(mOwner.window);
    WindowOwner theSecond{OpenTestWindow("second")};
    ShowWindow(theSecond.window);
    EXPECT_EQ(FrontWindow(), theSecond.window);
    BringToFront(mOwner.window);
    EXPECT_EQ(FrontWindow(), mOwner.window);
    HideWindow(mOwner.window);
    EXPECT_EQ(FrontWindow(), theSecond.window);

    // Disposing of the current port's window leaves no dangling current port.
    SetPort(GetWindowPort(theSecond.window));
    DisposeWindow(theSecond.window);
    theSecond.window = nullptr;
    GrafPtr thePort = nullptr;
    GetPort(&thePort);
    EXPECT_EQ(thePort, nullptr);
}
