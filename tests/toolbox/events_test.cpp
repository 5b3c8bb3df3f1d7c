#include "toolboxtesting.h"

#include <algorithm>

using namespace toolbox_testing;

namespace {

class Events : public ToolboxTest {
protected:
    void SetUp() override
    {
        ToolboxTest::SetUp();
        mOwner.window = OpenTestWindow("controls");
        ASSERT_NE(mOwner.window, nullptr);
        mRecorder.Install(mOwner.window);
        ShowWindow(mOwner.window);
    }

    // Runs the window's modal loop over the queued input, ended by a click on OK.
    void RunUntilOK()
    {
        PushClickOn(Control(mOwner.window, "ok  ", 1));
        EXPECT_EQ(RunAppModalLoopForWindow(mOwner.window), noErr);
    }

    ProbeClass mProbe;
    WindowOwner mOwner;
    CommandRecorder mRecorder;
};

SInt32 lgActionCalls = 0;
SInt32 lgLastActionValue = -1;

void SliderAction(ControlRef theControl, ControlPartCode thePart)
{
    EXPECT_EQ(thePart, kControlIndicatorPart);
    ++lgActionCalls;
    lgLastActionValue = GetControl32BitValue(theControl);
}

} // namespace

// A click on each kind of standard control sends the control's command; passive ones send none.
TEST_F(Events, ClickOnEachStandardKindSendsItsCommand)
{
    struct Case {
        const char* signature;
        std::vector<std::string> commands;
    } theCases[] = {
        {"push", {"Push", "ok  "}}, {"chck", {"Chck", "ok  "}}, {"sldr", {"Sldr", "ok  "}},
        {"text", {"ok  "}},         {"grup", {"ok  "}},         {"dis ", {"ok  "}},
        {"not!", {"not!"}},
    };
    for (const Case& theCase : theCases) {
        mRecorder.commands.clear();
        ControlID theID{(UInt32(UInt8(theCase.signature[0])) << 24) | (UInt32(UInt8(theCase.signature[1])) << 16) |
                            (UInt32(UInt8(theCase.signature[2])) << 8) | UInt8(theCase.signature[3]),
                        1};
        ControlRef theControl = nullptr;
        GetControlByID(mOwner.window, &theID, &theControl);
        ASSERT_NE(theControl, nullptr) << theCase.signature;
        PushClickOn(theControl);
        if (std::string(theCase.signature) != "not!") PushClickOn(Control(mOwner.window, "ok  ", 1));
        EXPECT_EQ(RunAppModalLoopForWindow(mOwner.window), noErr);
        EXPECT_EQ(mRecorder.commands, theCase.commands) << theCase.signature;
    }
}

// A button's keys press it while it can be pressed; other keys press nothing.
TEST_F(Events, KeysPressTheButtonsThatListThem)
{
    for (UInt8 theKey : {UInt8('+'), UInt8(0x1D), UInt8('-'), UInt8('x'), UInt8(0x1C)}) HeadlessPushKey(theKey, 0);
    RunUntilOK();
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Push", "Push", "ok  "}));

    mRecorder.commands.clear();
    HideControl(Control(mOwner.window, "push", 1));
    HeadlessPushKey('+', 0);
    RunUntilOK();
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"ok  "}));
}

TEST_F(Events, CheckBoxTogglesBeforeItsCommand)
{
    ControlRef theBox = Control(mOwner.window, "chck", 1);
    SInt32 theValueSeen = -1;
    struct Reader {
        ControlRef box;
        SInt32* seen;
        static OSStatus Handler(EventHandlerCallRef theNext, EventRef theEvent, void* theData)
        {
            Reader* theReader = static_cast<Reader*>(theData);
            *theReader->seen = GetControl32BitValue(theReader->box);
            return CallNextEventHandler(theNext, theEvent);
        }
    } theReader{theBox, &theValueSeen};
    const EventTypeSpec theType{kEventClassCommand, kEventCommandProcess};
    EventHandlerRef theRef = nullptr;
    InstallEventHandler(GetControlEventTarget(theBox), Reader::Handler, 1, &theType, &theReader, &theRef);
    PushClickOn(theBox);
    PushClickOn(theBox);
    PushClickOn(theBox);
    RunUntilOK();
    EXPECT_EQ(GetControl32BitValue(theBox), 1);
    EXPECT_EQ(theValueSeen, 1);
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Chck", "Chck", "Chck", "ok  "}));
    EXPECT_EQ(RemoveEventHandler(theRef), noErr);
}

TEST_F(Events, ReleaseOutsideAButtonSendsNothing)
{
    ControlRef theButton = Control(mOwner.window, "push", 1);
    Point theCentre = CentreOf(theButton);
    HeadlessPushMouseDown(theCentre.h, theCentre.v, 0);
    HeadlessPushMouseDrag(300, 150, 0);
    HeadlessPushMouseUp(300, 150, 0);
    // Back inside before the release: the press counts.
    HeadlessPushMouseDown(theCentre.h, theCentre.v, 0);
    HeadlessPushMouseDrag(300, 150, 0);
    HeadlessPushMouseDrag(theCentre.h, theCentre.v, 0);
    HeadlessPushMouseUp(theCentre.h, theCentre.v, 0);
    RunUntilOK();
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Push", "ok  "}));
    EXPECT_EQ(GetControlHilite(theButton), 0);
}

TEST_F(Events, PopupChoosesAndSends)
{
    ControlRef thePopup = Control(mOwner.window, "popu", 1);
    // A scripted choice, a click that closes the menu outside it, a press-drag-release onto an item.
    PushClickOn(thePopup);
    HeadlessPushMenuChoice(3);
    PushClickOn(thePopup);
    HeadlessPushClick(390, 290, 0);
    RunUntilOK();
    EXPECT_EQ(GetControl32BitValue(thePopup), 3);
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Popu", "ok  "}));

    // With item 3 chosen, the menu opens with item 3 over the popup; item 1 lies two rows up.
    mRecorder.commands.clear();
    Point theCentre = CentreOf(thePopup);
    HeadlessPushMouseDown(theCentre.h, theCentre.v, 0);
    HeadlessPushMouseDrag(theCentre.h, static_cast<SInt16>(theCentre.v - 18), 0);
    HeadlessPushMouseUp(theCentre.h, static_cast<SInt16>(theCentre.v - 36), 0);
    RunUntilOK();
    EXPECT_EQ(GetControl32BitValue(thePopup), 1);
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Popu", "ok  "}));
}

TEST_F(Events, LiveSliderCallsItsActionWhileDragging)
{
    ControlRef theSlider = Control(mOwner.window, "sldr", 1);
    SetControlAction(theSlider, NewControlActionUPP(SliderAction));
    lgActionCalls = 0;
    Rect theBounds;
    GetControlBounds(theSlider, &theBounds);
    const SInt16 theMiddle = static_cast<SInt16>((theBounds.top + theBounds.bottom) / 2);
    HeadlessPushMouseDown(theBounds.left, theMiddle, 0);            // jumps to 0
    HeadlessPushMouseDrag(static_cast<SInt16>((theBounds.left + theBounds.right) / 2), theMiddle, 0);
    HeadlessPushMouseDrag(static_cast<SInt16>(theBounds.right + 50), static_cast<SInt16>(theMiddle + 80), 0); // 100
    HeadlessPushMouseUp(static_cast<SInt16>(theBounds.right + 50), static_cast<SInt16>(theMiddle + 80), 0);
    RunUntilOK();
    EXPECT_EQ(GetControl32BitValue(theSlider), 100);
    EXPECT_EQ(lgActionCalls, 3);
    EXPECT_EQ(lgLastActionValue, 100);
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Sldr", "ok  "}));
}

TEST_F(Events, SliderReachesEveryValueAndKeepsTheGrab)
{
    ControlRef theSlider = Control(mOwner.window, "sldr", 1);
    Rect theBounds;
    GetControlBounds(theSlider, &theBounds);
    const SInt16 theMiddle = static_cast<SInt16>((theBounds.top + theBounds.bottom) / 2);
    SetControl32BitValue(theSlider, 50);
    // Grabbed two pixels right of the thumb's centre, moved by nothing: the value stays.
    // The thumb's centre travels from left + 7 over the width less 15 pixels.
    const SInt16 theCentre = static_cast<SInt16>(theBounds.left + 7 + (theBounds.right - theBounds.left - 15) * 50 / 100);
    HeadlessPushMouseDown(static_cast<SInt16>(theCentre + 2), theMiddle, 0);
    HeadlessPushMouseUp(static_cast<SInt16>(theCentre + 2), theMiddle, 0);
    RunUntilOK();
    EXPECT_EQ(GetControl32BitValue(theSlider), 50);

    SetControl32BitMaximum(theSlider, 1000); // more values than pixels
    for (SInt32 theValue : {0, 1, 499, 1000}) {
        SetControl32BitValue(theSlider, theValue);
        EXPECT_EQ(GetControl32BitValue(theSlider), theValue);
    }
}

TEST_F(Events, CustomClassGetsDrawHitTestTrackAndHitInOrder)
{
    ControlRef theProbe = Control(mOwner.window, "prob", 1);
    mProbe.seen.clear();
    Draw1Control(theProbe);
    Point theCentre = CentreOf(theProbe);
    HeadlessPushMouseDown(theCentre.h, theCentre.v, shiftKey);
    HeadlessPushMouseDrag(static_cast<SInt16>(theCentre.h + 5), theCentre.v, shiftKey | optionKey);
    HeadlessPushMouseDrag(static_cast<SInt16>(theCentre.h + 9), static_cast<SInt16>(theCentre.v + 2), optionKey);
    HeadlessPushMouseUp(static_cast<SInt16>(theCentre.h + 9), static_cast<SInt16>(theCentre.v + 2), 0);
    RunUntilOK();

    EXPECT_EQ(mProbe.Kinds(), (std::vector<UInt32>{kEventControlDraw, kEventControlHitTest, kEventControlTrack,
                                                   kEventControlHit}));
    EXPECT_EQ(mProbe.seen[2].modifiers, UInt32(shiftKey));
    EXPECT_EQ(mProbe.seen[2].part, 1);
    EXPECT_EQ(mProbe.seen[3].part, 1);
    ASSERT_EQ(mProbe.tracked.size(), 3u);
    EXPECT_EQ(mProbe.tracked[0].result, kMouseTrackingMouseDragged);
    EXPECT_EQ(mProbe.tracked[0].where.h, theCentre.h + 5);
    EXPECT_EQ(mProbe.tracked[0].modifiers, UInt32(shiftKey | optionKey));
    EXPECT_EQ(mProbe.tracked[1].result, kMouseTrackingMouseDragged);
    EXPECT_EQ(mProbe.tracked[1].where.v, theCentre.v + 2);
    EXPECT_EQ(mProbe.tracked[1].modifiers, UInt32(optionKey));
    EXPECT_EQ(mProbe.tracked[2].result, kMouseTrackingMouseUp);
    // The hit was not handled, so the control's command followed.
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Prob", "ok  "}));
}

TEST_F(Events, HandledHitSendsNoCommandAndStandardTrackingPresses)
{
    mProbe.hitAnswer = noErr;
    mProbe.tracksItself = false;
    PushClickOn(Control(mOwner.window, "prob", 1));
    RunUntilOK();
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"ok  "}));
    // The standard tracking pressed the control: it was drawn pressed and released.
    const std::vector<UInt32> theKinds = mProbe.Kinds();
    EXPECT_GE(std::count(theKinds.begin(), theKinds.end(), kEventControlDraw), 2);
    EXPECT_TRUE(mProbe.tracked.empty());
}

TEST_F(Events, NotHandledPassesOnAndHandledStops)
{
    struct Counter {
        int calls = 0;
        OSStatus answer = eventNotHandledErr;
        static OSStatus Handler(EventHandlerCallRef, EventRef, void* theData)
        {
            Counter* theCounter = static_cast<Counter*>(theData);
            ++theCounter->calls;
            return theCounter->answer;
        }
    } theControlHandler, theApplicationHandler;
    const EventTypeSpec theType{kEventClassCommand, kEventCommandProcess};
    ControlRef theButton = Control(mOwner.window, "push", 1);
    EventHandlerRef theControlRef = nullptr, theApplicationRef = nullptr;
    InstallEventHandler(GetControlEventTarget(theButton), Counter::Handler, 1, &theType, &theControlHandler, &theControlRef);
    InstallEventHandler(GetApplicationEventTarget(), Counter::Handler, 1, &theType, &theApplicationHandler,
                        &theApplicationRef);
    mRecorder.answer = eventNotHandledErr;
    PushClickOn(theButton);
    RunUntilOK();
    // Control, then window, then application.
    EXPECT_EQ(theControlHandler.calls, 1);
    EXPECT_EQ(theApplicationHandler.calls, 2);
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Push", "ok  "}));

    theControlHandler.answer = noErr;
    mRecorder.commands.clear();
    PushClickOn(theButton);
    RunUntilOK();
    EXPECT_EQ(theControlHandler.calls, 2);
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"ok  "}));
    RemoveEventHandler(theControlRef);
    RemoveEventHandler(theApplicationRef);
    EXPECT_EQ(RemoveEventHandler(theApplicationRef = nullptr), -50);
}

TEST_F(Events, LaterHandlersRunFirstAndCallNextReachesEarlierOnes)
{
    struct Step {
        std::vector<int>* order;
        int number;
        bool callNext;
        static OSStatus Handler(EventHandlerCallRef theNext, EventRef theEvent, void* theData)
        {
            Step* theStep = static_cast<Step*>(theData);
            theStep->order->push_back(theStep->number);
            if (!theStep->callNext) return noErr;
            OSStatus theResult = CallNextEventHandler(theNext, theEvent);
            theStep->order->push_back(-theStep->number);
            return theResult;
        }
    };
    std::vector<int> theOrder;
    Step theFirst{&theOrder, 1, false}, theSecond{&theOrder, 2, true};
    const EventTypeSpec theType{kEventClassCommand, kEventCommandProcess};
    EventTargetRef theTarget = GetWindowEventTarget(mOwner.window);
    InstallEventHandler(theTarget, Step::Handler, 1, &theType, &theFirst, nullptr);
    InstallEventHandler(theTarget, Step::Handler, 1, &theType, &theSecond, nullptr);
    PushClickOn(Control(mOwner.window, "push", 1));
    HeadlessPushKey(0x1B, 0); // Escape presses Cancel, which the recorder never sees now
    HeadlessPushCallback([](void* theWindow) { QuitAppModalLoopForWindow(static_cast<WindowRef>(theWindow)); },
                         mOwner.window);
    RunAppModalLoopForWindow(mOwner.window);
    EXPECT_EQ(theOrder, (std::vector<int>{2, 1, -2, 2, 1, -2}));
    EXPECT_TRUE(mRecorder.commands.empty());
}

TEST_F(Events, ParametersKeepTheirTypes)
{
    EventRef theEvent = nullptr;
    ASSERT_EQ(CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &theEvent), noErr);
    HICommand theCommand{};
    theCommand.commandID = FOUR_CHAR_CODE("Info");
    SetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, sizeof theCommand, &theCommand);
    HICommand theRead{};
    UInt32 theSize = 0;
    EventParamType theType = 0;
    EXPECT_EQ(GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, &theType, sizeof theRead, &theSize,
                                &theRead),
              noErr);
    EXPECT_EQ(theRead.commandID, FOUR_CHAR_CODE("Info"));
    EXPECT_EQ(theSize, sizeof(HICommand));
    EXPECT_EQ(GetEventParameter(theEvent, kEventParamDirectObject, typeQDPoint, nullptr, sizeof theRead, nullptr, &theRead),
              errAECoercionFail);
    EXPECT_EQ(GetEventParameter(theEvent, kEventParamDirectObject, typeWildCard, &theType, 0, nullptr, nullptr), noErr);
    EXPECT_EQ(theType, typeHICommand);
    EXPECT_EQ(GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, 4, nullptr, &theRead),
              eventParameterNotFoundErr);
    EXPECT_EQ(GetEventClass(theEvent), kEventClassCommand);
    EXPECT_EQ(GetEventKind(theEvent), kEventCommandProcess);
    ReleaseEvent(theEvent);
}

TEST_F(Events, WindowDisposedByAHandlerEndsCleanly)
{
    struct Disposer {
        WindowOwner* owner;
        static OSStatus Handler(EventHandlerCallRef, EventRef, void* theData)
        {
            WindowOwner* theOwner = static_cast<Disposer*>(theData)->owner;
            DisposeWindow(theOwner->window);
            theOwner->window = nullptr;
            return eventNotHandledErr; // the standard hit must not run on the disposed button
        }
    } theDisposer{&mOwner};
    ControlRef theButton = Control(mOwner.window, "push", 1);
    const EventTypeSpec theHit{kEventClassControl, kEventControlHit};
    InstallEventHandler(GetControlEventTarget(theButton), Disposer::Handler, 1, &theHit, &theDisposer, nullptr);
    PushClickOn(theButton);
    PushClickOn(theButton); // never read: the loop ended with its window
    EXPECT_EQ(RunAppModalLoopForWindow(mOwner.window), noErr);
    EXPECT_EQ(mOwner.window, nullptr);
    EXPECT_TRUE(mRecorder.commands.empty());
    HeadlessClearScript();
}
