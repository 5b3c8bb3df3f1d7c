#include "ToolboxDisplay.h"
#include "toolboxtesting.h"

using namespace toolbox_testing;

namespace {

class ModalLoops : public ToolboxTest {};

struct Nesting {
    WindowRef outer;
    WindowRef inner;
    std::vector<std::string> log;
};

// The outer window's "ok  " opens the inner window's loop, as the dialog opens its About window.
OSStatus OuterHandler(EventHandlerCallRef, EventRef theEvent, void* theData)
{
    Nesting& theNesting = *static_cast<Nesting*>(theData);
    HICommand theCommand{};
    GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof theCommand, nullptr, &theCommand);
    theNesting.log.push_back("outer " + CodeText(theCommand.commandID));
    if (theCommand.commandID == kHICommandOK) {
        ShowWindow(theNesting.inner);
        theNesting.log.push_back(RunAppModalLoopForWindow(theNesting.inner) == noErr ? "inner ended" : "inner failed");
        HideWindow(theNesting.inner);
    }
    if (theCommand.commandID == kHICommandCancel) QuitAppModalLoopForWindow(theNesting.outer);
    return noErr;
}

OSStatus InnerHandler(EventHandlerCallRef, EventRef theEvent, void* theData)
{
    Nesting& theNesting = *static_cast<Nesting*>(theData);
    HICommand theCommand{};
    GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof theCommand, nullptr, &theCommand);
    theNesting.log.push_back("inner " + CodeText(theCommand.commandID));
    // Quitting the outer loop from inside the inner one ends the inner one first.
    QuitAppModalLoopForWindow(theNesting.outer);
    QuitAppModalLoopForWindow(theNesting.inner);
    return noErr;
}

} // namespace

TEST_F(ModalLoops, NestedLoopsEndInnerFirst)
{
    ProbeClass theProbe;
    WindowOwner theOuter{OpenTestWindow("controls")};
    WindowOwner theInner{OpenTestWindow("second")};
    Nesting theNesting{theOuter.window, theInner.window, {}};
    const EventTypeSpec theType{kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetWindowEventTarget(theOuter.window), OuterHandler, 1, &theType, &theNesting, nullptr);
    InstallEventHandler(GetWindowEventTarget(theInner.window), InnerHandler, 1, &theType, &theNesting, nullptr);
    ShowWindow(theOuter.window);

    PushClickOn(Control(theOuter.window, "ok  ", 1));
    // While the inner window is modal, a click where the outer window's Push button lies goes to
    // the inner window, which has nothing there.
    PushClickOn(Control(theOuter.window, "push", 1));
    PushClickOn(Control(theInner.window, "ok  ", 1));
    PushClickOn(Control(theOuter.window, "push", 1)); // never read: the outer loop has quit too
    EXPECT_EQ(RunAppModalLoopForWindow(theOuter.window), noErr);
    EXPECT_EQ(theNesting.log, (std::vector<std::string>{"outer ok  ", "inner ok  ", "inner ended"}));
    EXPECT_EQ(HeadlessPendingInput(), 2);
    // The outer loop was quit while the inner window's OK was handled.
    EXPECT_EQ(GlintLastModalQuitCommand(), FOUR_CHAR_CODE("ok  "));
    HeadlessClearScript();
}

TEST_F(ModalLoops, RunningOutOfInputCancelsThenEnds)
{
    WindowOwner theOwner{OpenTestWindow("second")};
    CommandRecorder theRecorder;
    theRecorder.Install(theOwner.window);
    ShowWindow(theOwner.window);
    const long theBefore = HeadlessInputRunOuts();

    // A window without a cancel button gets the cancel command, which its handler takes.
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunAppModalLoopForWindow(theOwner.window), noErr);
    std::string theReport = testing::internal::GetCapturedStderr();
    EXPECT_EQ(theRecorder.commands, (std::vector<std::string>{"not!"}));
    EXPECT_NE(theReport.find("no more input for the modal window \"second\""), std::string::npos) << theReport;
    EXPECT_EQ(HeadlessInputRunOuts(), theBefore + 1);

    // A handler that ignores the cancel command cannot keep the loop running.
    theRecorder.quits = false;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunAppModalLoopForWindow(theOwner.window), kHeadlessInputRanOutErr);
    theReport = testing::internal::GetCapturedStderr();
    EXPECT_NE(theReport.find("did not quit; ending its loop"), std::string::npos) << theReport;
}

TEST_F(ModalLoops, QuitWithoutALoopIsAnError)
{
    WindowOwner theOwner{OpenTestWindow("second")};
    EXPECT_EQ(QuitAppModalLoopForWindow(theOwner.window), errInvalidWindowRef);
}

TEST_F(ModalLoops, ReturnPressesTheDefaultButtonAndDisposalEndsTheLoop)
{
    WindowOwner theOwner{OpenTestWindow("second")};
    CommandRecorder theRecorder;
    theRecorder.Install(theOwner.window);
    theRecorder.quits = false; // record only
    ShowWindow(theOwner.window);
    HeadlessPushKey('\r', 0);
    HeadlessPushCallback([](void* theData) { DisposeWindow(static_cast<WindowOwner*>(theData)->window); }, &theOwner);
    HeadlessPushKey('\r', 0); // never read
    EXPECT_EQ(RunAppModalLoopForWindow(theOwner.window), noErr);
    theOwner.window = nullptr;
    EXPECT_EQ(theRecorder.commands, (std::vector<std::string>{"ok  "}));
    HeadlessClearScript();
}

// The host learns from it whether a dialog closed with OK or with Cancel.
TEST_F(ModalLoops, TheCommandThatEndedTheOutermostLoopIsKept)
{
    struct Case {
        std::vector<UInt8> keys;
        bool disposes;
        UInt32 command;
    } theCases[] = {
        {{'\r'}, false, FOUR_CHAR_CODE("ok  ")},
        {{0x1B}, false, FOUR_CHAR_CODE("not!")},
        {{}, false, FOUR_CHAR_CODE("not!")}, // out of input: cancelled
        {{}, true, 0},
    };
    for (const Case& theCase : theCases) {
        WindowOwner theOwner{OpenTestWindow("second")};
        CommandRecorder theRecorder;
        theRecorder.Install(theOwner.window);
        ShowWindow(theOwner.window);
        for (UInt8 theKey : theCase.keys) HeadlessPushKey(theKey, 0);
        if (theCase.disposes)
            HeadlessPushCallback([](void* theData) { DisposeWindow(static_cast<WindowOwner*>(theData)->window); }, &theOwner);
        testing::internal::CaptureStderr();
        RunAppModalLoopForWindow(theOwner.window);
        testing::internal::GetCapturedStderr();
        if (theCase.disposes) theOwner.window = nullptr;
        EXPECT_EQ(GlintLastModalQuitCommand(), theCase.command) << CodeText(theCase.command);
    }
}

TEST_F(ModalLoops, TrackingOutOfInputSeesTheButtonGoUp)
{
    WindowOwner theOwner{OpenTestWindow("second")};
    HeadlessPushMouseDrag(12, 34, shiftKey);
    Point thePoint;
    UInt32 theModifiers = 0;
    MouseTrackingResult theResult = 0;
    TrackMouseLocationWithOptions(GetWindowPort(theOwner.window), 0, kEventDurationForever, &thePoint, &theModifiers,
                                  &theResult);
    EXPECT_EQ(theResult, kMouseTrackingMouseDragged);
    EXPECT_EQ(thePoint.h, 12);
    EXPECT_EQ(thePoint.v, 34);
    EXPECT_EQ(theModifiers, UInt32(shiftKey));
    TrackMouseLocation(GetWindowPort(theOwner.window), &thePoint, &theResult);
    EXPECT_EQ(theResult, kMouseTrackingMouseUp);
    EXPECT_EQ(thePoint.h, 12);
}
