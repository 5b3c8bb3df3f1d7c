// The configuration dialog as the custom button opens it: real windows from the bundle, the
// real control classes, driven by scripted mouse events.
#include "EffectBridge.h"
#include "Globals.h"
#include "HostSession.h"
#include "PluginDefines.h"
#include "PluginWorkspace.h"
#include "TempConfigHome.h"
#include "TestPatternClips.h"
#include "basictx.h"
#include "configdlghandler.h"
#include "MacMemory.h"
#include "pixellib.h"
#include "prefsloader.h"
#include "toolboxtesting.h"
#include "windowpicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

inline bool operator==(const RGBColor& theA, const RGBColor& theB)
{
    return theA.red == theB.red && theA.green == theB.green && theA.blue == theB.blue;
}
inline bool operator==(const relRect& theA, const relRect& theB)
{
    return std::memcmp(&theA, &theB, sizeof theA) == 0;
}

using namespace toolbox_testing;
using namespace dialog_testing;

namespace {

constexpr SInt32 cStartFrame = 10;
constexpr SInt32 cFrameCount = 30;

SInt32 NoMain(SInt32, HYPluginParams*)
{
    return kPluginOK;
}

FourCharCode CodeOf(const std::string& theText)
{
    FourCharCode theCode = 0;
    for (size_t i = 0; i < 4; ++i) theCode = (theCode << 8) | UInt8(i < theText.size() ? theText[i] : ' ');
    return theCode;
}

ControlRef DialogControl(const std::string& theSignature, SInt32 theNumber = 1)
{
    ControlID theID{CodeOf(theSignature), theNumber};
    ControlRef theControl = nullptr;
    GetControlByID(lgTheWindow, &theID, &theControl);
    return theControl;
}

std::string DialogText(const std::string& theSignature, SInt32 theNumber = 1)
{
    char theText[256] = {};
    Size theSize = 0;
    GetControlData(DialogControl(theSignature, theNumber), 0, kControlStaticTextTextTag, sizeof theText - 1, theText,
                   &theSize);
    return std::string(theText, static_cast<size_t>(theSize));
}

std::vector<char> FileBytes(const std::filesystem::path& thePath)
{
    std::ifstream theFile(thePath, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(theFile), {});
}

std::vector<char> SavedBytesOf(pluginDataRec theConfig)
{
    Handle theSave = NewHandleClear(cConfigSaveSize);
    EXPECT_TRUE(Config2Save(&theConfig, theSave));
    std::vector<char> theBytes(*theSave, *theSave + cConfigSaveSize);
    DisposeHandle(theSave);
    return theBytes;
}

// Steps that run one after another inside whichever modal loop is running when each comes up,
// so that each finds the windows as they are then.
class DialogScript {
public:
    DialogScript& Then(std::function<void()> theStep)
    {
        mSteps.push_back(std::move(theStep));
        return *this;
    }
    DialogScript& Click(const std::string& theSignature, SInt32 theNumber = 1)
    {
        return Then([=] { PushClickOn(DialogControl(theSignature, theNumber)); });
    }
    DialogScript& Key(UInt8 theChar) { return Then([=] { HeadlessPushKey(theChar, 0); }); }
    DialogScript& Choose(const std::string& thePopup, SInt16 theItem)
    {
        return Then([=] {
            PushClickOn(DialogControl(thePopup));
            HeadlessPushMenuChoice(theItem);
        });
    }
    DialogScript& PickColour(SInt32 theBox, RGBColor theColour)
    {
        return Then([=] {
            HeadlessPushColorPickerAnswer(&theColour);
            PushClickOn(DialogControl("Colr", theBox));
        });
    }
    void Start() { HeadlessPushCallback(&RunNext, this); }

private:
    static void RunNext(void* theData)
    {
        DialogScript* theScript = static_cast<DialogScript*>(theData);
        std::function<void()> theStep = std::move(theScript->mSteps.front());
        theScript->mSteps.pop_front();
        theStep();
        if (!theScript->mSteps.empty()) HeadlessPushCallback(&RunNext, theScript);
    }

    std::deque<std::function<void()>> mSteps;
};

OSStatus SendCommand(const char* theCode)
{
    HICommand theCommand{};
    theCommand.commandID = CodeOf(theCode);
    EventRef theEvent = nullptr;
    CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, kEventAttributeNone, &theEvent);
    SetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, sizeof theCommand, &theCommand);
    const OSStatus theStatus = TheDialogHandler(nullptr, theEvent, lgTheWindow);
    ReleaseEvent(theEvent);
    return theStatus;
}

class DialogTest : public ToolboxTest {
protected:
    TempConfigHome home;
    std::filesystem::path prefsFile = home.PathOf("Tamsel-Prefs");
    TestPatternClips clips{200, 200};
    HostSession session{NoMain, clips};
    pluginDataRec config{};
    DialogScript script;

    void SetUp() override
    {
        ToolboxTest::SetUp();
        RegisterRealBundle();
        CreateConfigFile(); // as the plug-in's start does
        ResetConfig(&config, true);
        config.startRel = relRect{0.25, 0.75, 0.25, 0.75};
        gMasterConfig = &config;
        gMostRecentStartFrame = cStartFrame;
        gMostRecentFrameCount = cFrameCount;
        session.Params().renderFrame = 0;
        session.Params().startFrame = 0;
    }
    void TearDown() override
    {
        gMasterConfig = nullptr;
        EXPECT_EQ(session.FramesOut(), session.FramesBack());
        EXPECT_EQ(lgTheWindow, nullptr);
        EXPECT_EQ(FrontWindow(), nullptr) << "every window was closed";
        RegisterRealBundle();
        ToolboxTest::TearDown();
    }
    static void RegisterRealBundle() { ASSERT_EQ(GlintRegisterBundle(GLINT_BUNDLE_PATH, nullptr), noErr); }

    HYPluginResult Press(SInt16 theWhich)
    {
        script.Start();
        return CustomButtons(theWhich, &session.Params());
    }
    std::vector<SInt32> FetchedFrames() const
    {
        std::vector<SInt32> theFrames;
        for (const FrameRequest& theRequest : session.FrameRequests()) theFrames.push_back(theRequest.frameNumber);
        return theFrames;
    }
};

TEST_F(DialogTest, OkKeepsEveryEditAcrossAMediaChangeAndSavesIt)
{
    script.PickColour(1, RGBColor{0x1234, 0xABCD, 0xFFFF})
        .Click("Sall")
        .Click("Keep")
        .Choose("Medi", 3)
        .Then([] { EXPECT_EQ(GetControl32BitValue(DialogControl("Medi")), 3); })
        .Click("ok  ");
    ASSERT_EQ(Press(1), kPluginOK);

    EXPECT_EQ(config.colors[1], (RGBColor{0x1200, 0xAB00, 0xFF00})) << "the box keeps 8 bits a channel";
    EXPECT_EQ(config.startRel, (relRect{0, 1, 0, 1}));
    EXPECT_TRUE(config.keepProps);
    EXPECT_EQ(config.mediaType, 3);
    EXPECT_EQ(config.which, 1);
    const std::vector<char> theFile = FileBytes(prefsFile);
    const std::vector<char> theRecord = SavedBytesOf(config);
    EXPECT_NE(std::search(theFile.begin(), theFile.end(), theRecord.begin(), theRecord.end()), theFile.end())
        << "the file holds the edited record";
    ASSERT_FALSE(session.FrameRequests().empty());
    const FrameRequest& theFirst = session.FrameRequests().front();
    EXPECT_EQ(theFirst.frameNumber, cStartFrame);
    EXPECT_EQ(theFirst.width, 720);
    EXPECT_EQ(theFirst.height, 480);
    EXPECT_EQ(theFirst.quality, kDVHighQuality);
}

TEST_F(DialogTest, CancelRestoresTheRecordByteForByteAfterEditsAndMediaChanges)
{
    config.mediaType = 2;
    config.method = 1;
    const pluginDataRec theBefore = config;
    const std::vector<char> theFileBefore = FileBytes(prefsFile);
    script.PickColour(1, RGBColor{0xFFFF, 0, 0})
        .Click("Sall")
        .Choose("Medi", 3)
        .Then([] { EXPECT_EQ(DialogText("ClpM"), "0/29"); })
        .Choose("Medi", 1)
        .Click("Rset")
        .Click("not!");
    ASSERT_EQ(Press(3), kPluginOK);
    pluginDataRec theAfter = config;
    theAfter.which = theBefore.which; // the button tells the record which transition it configures
    EXPECT_EQ(std::memcmp(&theAfter, &theBefore, sizeof theBefore), 0);
    EXPECT_EQ(FileBytes(prefsFile), theFileBefore) << "Cancel saves nothing";
    EXPECT_EQ(session.FrameRequests().front().height, 576) << "the frame of the format in force";
}

TEST_F(DialogTest, ChoosingTheSameFormatKeepsTheWindow)
{
    static WindowRef lgFirst = nullptr;
    script.Then([] { lgFirst = lgTheWindow; })
        .Choose("Medi", 1)
        .Then([] { EXPECT_EQ(lgTheWindow, lgFirst); })
        .Click("ok  ");
    ASSERT_EQ(Press(2), kPluginOK);
    EXPECT_EQ(config.mediaType, 1);
}

TEST_F(DialogTest, FrameButtonsStopAtBothEnds)
{
    const struct {
        SInt32 count;
        std::vector<const char*> presses;
        const char* text;
        SInt32 frame;
    } theCases[] = {
        {30, {"Revi"}, "0/29", 0},
        {30, {"Adva", "Adva", "Revi"}, "1/29", 1},
        {2, {"Adva", "Adva", "Adva"}, "1/1", 1},
        {0, {"Adva", "Revi"}, "0/0", 0},
        {-3, {"Adva"}, "0/0", 0},
    };
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(testing::Message() << theCase.count << " frames");
        gMostRecentFrameCount = theCase.count;
        for (const char* thePress : theCase.presses) script.Click(thePress);
        script.Then([&] {
            EXPECT_EQ(DialogText("ClpM"), theCase.text);
            EXPECT_EQ(gConfigWorkspace.currFrameIndex, theCase.frame);
            EXPECT_EQ(GetControl32BitValue(gConfigWorkspace.clipSlider), theCase.frame);
        });
        script.Click("not!");
        ASSERT_EQ(Press(1), kPluginOK);
    }
}

// '<' and '>' (',' and '.' unshifted) and the left and right arrow keys press the frame buttons.
TEST_F(DialogTest, KeysScrubThroughTheFrames)
{
    constexpr UInt8 cLeft = 0x1C, cRight = 0x1D;
    const struct {
        std::vector<UInt8> keys;
        const char* text;
        SInt32 frame;
    } theCases[] = {
        {{'>', '>', cRight}, "3/29", 3},
        {{'>', cRight, '<'}, "1/29", 1},
        {{'.', '.', '.', cLeft, ','}, "1/29", 1},
        {{cLeft, '<', cRight}, "1/29", 1},
    };
    gMostRecentFrameCount = 30;
    for (const auto& theCase : theCases) {
        for (UInt8 theKey : theCase.keys) script.Key(theKey);
        script.Then([&] {
            EXPECT_EQ(DialogText("ClpM"), theCase.text);
            EXPECT_EQ(gConfigWorkspace.currFrameIndex, theCase.frame);
            EXPECT_EQ(GetControl32BitValue(gConfigWorkspace.clipSlider), theCase.frame);
        });
        script.Click("not!");
        ASSERT_EQ(Press(1), kPluginOK);
    }
}

TEST_F(DialogTest, CrossFetchesTheSecondClipAndInOrOutDoNot)
{
    for (SInt16 theWhich : {1, 2, 3}) {
        SCOPED_TRACE(theWhich);
        const size_t theBefore = session.FrameRequests().size();
        script.Click("Adva").Click("not!");
        ASSERT_EQ(Press(theWhich), kPluginOK);
        std::vector<SInt32> theFetched = FetchedFrames();
        theFetched.erase(theFetched.begin(), theFetched.begin() + static_cast<long>(theBefore));
        if (theWhich == 3) {
            EXPECT_EQ(theFetched, (std::vector<SInt32>{cStartFrame, cStartFrame + cFrameCount, cStartFrame + 1,
                                                       cStartFrame + cFrameCount - 1 + 1}));
        } else {
            EXPECT_EQ(theFetched, (std::vector<SInt32>{cStartFrame, cStartFrame + 1}));
        }
    }
}

TEST_F(DialogTest, CommandsReportWhetherTheyWereHandled)
{
    config.mediaType = 3;
    config.colors[1] = RGBColor{0x1111, 0x2222, 0x3333};
    config.method = 1;
    script.Then([this] {
        const struct {
            const char* code;
            OSStatus status;
        } theCases[] = {{"Sall", noErr}, {"Keep", noErr}, {"Meth", noErr}, {"Adva", noErr}, {"Revi", noErr},
                        {"Col1", noErr}, {"Col6", noErr}, {"Medi", noErr}, {"Rset", eventNotHandledErr},
                        {"Col7", eventNotHandledErr}, {"OK  ", eventNotHandledErr}, {"Zzzz", eventNotHandledErr}};
        for (const auto& theCase : theCases) {
            EXPECT_EQ(SendCommand(theCase.code), theCase.status) << theCase.code;
            EXPECT_EQ(lgItemHit, -1) << theCase.code;
        }
        // The reset kept the format and the open window, and refreshed the controls.
        EXPECT_EQ(config.mediaType, 3);
        EXPECT_EQ(config.colors[1], (RGBColor{0, 0, 65535}));
        EXPECT_EQ(GetControl32BitValue(DialogControl("Colr", 1)), 0x0000FF);
        EXPECT_EQ(DialogText("Lgnd", 1), "17%");
        EXPECT_EQ(GetControl32BitValue(DialogControl("Meth")), 1);
    });
    script.Click("ok  ");
    ASSERT_EQ(Press(1), kPluginOK);
}

TEST_F(DialogTest, AboutOpensTwiceAndTheDialogGoesOn)
{
    static std::vector<std::string> lgTitles;
    lgTitles.clear();
    auto theCloseAbout = [] {
        WindowRef theAbout = FrontWindow();
        CFStringRef theTitle = nullptr;
        CopyWindowTitleAsCFString(theAbout, &theTitle);
        char theText[128] = {};
        CFStringGetCString(theTitle, theText, sizeof theText, kCFStringEncodingUTF8);
        CFRelease(theTitle);
        lgTitles.push_back(theText);
        EXPECT_NE(theAbout, lgTheWindow);
        HeadlessPushKey(0x0D, 0);
    };
    script.Click("Info").Then(theCloseAbout).Click("Info").Then(theCloseAbout).Click("ok  ");
    ASSERT_EQ(Press(1), kPluginOK);
    EXPECT_EQ(lgTitles.size(), 2u);
}

TEST_F(DialogTest, NoFrameFromTheHostOpensNoDialog)
{
    const pluginDataRec theBefore = config;
    session.FailAt(HostCallback::GetFrame, 1, kPluginFailed);
    const long theRunOuts = HeadlessInputRunOuts();
    EXPECT_EQ(CustomButtons(3, &session.Params()), kPluginFailed);
    EXPECT_EQ(HeadlessInputRunOuts(), theRunOuts) << "no modal loop ran";
    EXPECT_EQ(std::memcmp(&config, &theBefore, sizeof config), 0);
}

// The help command with a copy of the bundle whose manual and opener the test chooses.
class HelpTest : public DialogTest {
protected:
    TempBundle bundle{cBundleIdentifier};
    std::filesystem::path opened = bundle.Path() + "/opened.txt";

    void SetUp() override
    {
        DialogTest::SetUp();
        for (const char* theFile : {"quellisand.json", "about.json"}) {
            std::filesystem::copy_file(std::string(GLINT_BUNDLE_PATH) + "/Contents/Resources/" + theFile,
                                       bundle.Path() + "/Contents/Resources/" + theFile);
        }
        ASSERT_EQ(GlintRegisterBundle(bundle.Path().c_str(), nullptr), noErr);
    }
    void TearDown() override
    {
        unsetenv("GLINT_OPEN_COMMAND");
        DialogTest::TearDown();
    }
    void UseOpener(int theExitStatus)
    {
        const std::string theOpener = bundle.Path() + "/opener.sh";
        bundle.Write("opener.sh", "#!/bin/sh\necho \"$1\" > '" + opened.string() + "'\nexit " +
                                      std::to_string(theExitStatus) + "\n");
        std::filesystem::permissions(theOpener, std::filesystem::perms::owner_all);
        setenv("GLINT_OPEN_COMMAND", theOpener.c_str(), 1);
    }
    // Presses Help and then OK; the alert shown in between, if any.
    std::string PressHelp()
    {
        const long theAlerts = HeadlessAlertCount();
        script.Click("Help").Click("ok  ");
        EXPECT_EQ(Press(1), kPluginOK);
        EXPECT_EQ(lgItemHit, 1) << "the dialog stayed open until OK";
        return HeadlessAlertCount() == theAlerts ? "" : HeadlessLastAlertExplanation();
    }
};

TEST_F(HelpTest, OpensTheManualWithTheDesktopsViewer)
{
    bundle.Write("Contents/Resources/manual.pdf", "%PDF-1.4\n");
    UseOpener(0);
    EXPECT_EQ(PressHelp(), "");
    std::string theOpened;
    std::getline(std::ifstream(opened), theOpened);
    EXPECT_EQ(std::filesystem::path(theOpened), std::filesystem::absolute(bundle.Path() + "/Contents/Resources/manual.pdf"));
}

TEST_F(HelpTest, ProblemsAreNotifiedAndTheDialogStaysOpen)
{
    bundle.Write("Contents/Resources/manual.pdf", "%PDF-1.4\n");
    UseOpener(4);
    EXPECT_EQ(PressHelp(), "LSOpen failed with -10810");

    std::filesystem::remove(bundle.Path() + "/Contents/Resources/manual.pdf");
    std::filesystem::remove(opened);
    EXPECT_EQ(PressHelp(), "Cannot locate manual in bundle");
    EXPECT_FALSE(std::filesystem::exists(opened));

    // The bundle goes away while the dialog is open: nothing is looked up in it.
    const long theAlerts = HeadlessAlertCount();
    script.Then([] { GlintUnregisterBundle(cBundleIdentifier); }).Click("Help").Click("ok  ");
    EXPECT_EQ(Press(1), kPluginOK);
    EXPECT_EQ(HeadlessAlertCount(), theAlerts + 1);
    EXPECT_STREQ(HeadlessLastAlertExplanation(), "Cannot Locate Bundle. Proceed with caution. Crash imminent");
}

TEST_F(DialogTest, ScreenshotsOfTheThreeFormats)
{
    for (SInt16 theMedia : {1, 2, 3}) {
        config.mediaType = theMedia;
        script.Click("Adva").Click("Adva").Then([] {
            const std::string theName = GetControl32BitValue(DialogControl("Medi")) == 1   ? "configNTSC"
                                        : GetControl32BitValue(DialogControl("Medi")) == 2 ? "configPAL"
                                                                                           : "configHD";
            const std::string thePath = std::string(GLINT_ARTIFACT_DIR) + "/dialog-" + theName;
            WindowPicture thePicture = ReadWindowPicture(lgTheWindow, thePath + ".ppm");
            ASSERT_FALSE(thePicture.rgb.empty());
            EXPECT_TRUE(WritePNG(thePath + ".png", thePicture.width, thePicture.height, thePicture.rgb));
        });
        script.Click("not!");
        ASSERT_EQ(Press(3), kPluginOK);
    }
}

} // namespace
