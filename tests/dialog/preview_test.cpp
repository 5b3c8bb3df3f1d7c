// The live preview, its sliders, the About window and the bundle's interface files, driven
// headlessly with stand-in classes for the dialog's custom controls.
#include "HostSession.h"
#include "PluginWorkspace.h"
#include "TestPatternClips.h"
#include "aboutwindow.h"
#include "callpixelfx.h"
#include "commonprocs.h"
#include "carbonmacros.h"
#include "dlgUtils.h"
#include "pixeleffect.h"
#include "sliderHandlers.h"
#include "testbuffers.h"
#include "toolboxtesting.h"
#include "windowpicture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace toolbox_testing;
using namespace dialog_testing;
using namespace testing_support;

namespace {

FourCharCode CodeOf(const std::string& theText)
{
    FourCharCode theCode = 0;
    for (size_t i = 0; i < 4; ++i) theCode = (theCode << 8) | UInt8(i < theText.size() ? theText[i] : ' ');
    return theCode;
}

SInt32 NoMain(SInt32, HYPluginParams*)
{
    return kPluginOK;
}

CFBundleRef PluginBundle()
{
    static CFBundleRef lgBundle = [] {
        CFBundleRef theBundle = nullptr;
        EXPECT_EQ(GlintRegisterBundle(GLINT_BUNDLE_PATH, &theBundle), noErr);
        return theBundle;
    }();
    return lgBundle;
}

// Stand-ins for the dialog's custom classes: the frame-region control shows theFXClip scaled
// into its bounds with the region outlined, a colour box paints its value.
struct StubClasses {
    ToolboxObjectClassRef classes[3]{};
    static inline int lgClipDraws = 0;

    StubClasses()
    {
        const EventTypeSpec theDraw{kEventClassControl, kEventControlDraw};
        const char* theIDs[3] = {cClipControlClassID, cColorBoxClassID, cPictureControlClassID};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(RegisterToolboxObjectClass(CFSTR(theIDs[i]), nullptr, 1, &theDraw, Handler,
                                                 reinterpret_cast<void*>(static_cast<intptr_t>(i)), &classes[i]),
                      noErr);
        }
        lgClipDraws = 0;
    }
    ~StubClasses()
    {
        for (ToolboxObjectClassRef theClass : classes) UnregisterToolboxObjectClass(theClass);
    }
    StubClasses(const StubClasses&) = delete;
    StubClasses& operator=(const StubClasses&) = delete;

    static OSStatus Handler(EventHandlerCallRef, EventRef theEvent, void* theData)
    {
        ControlRef theControl = nullptr;
        GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl, nullptr,
                          &theControl);
        Rect theBounds;
        GetControlBounds(theControl, &theBounds);
        CGrafPtr theSavedPort;
        GDHandle theSavedDevice;
        GetGWorld(&theSavedPort, &theSavedDevice);
        CGrafPtr thePort = GetWindowPort(GetControlOwner(theControl));
        SetPort(thePort);
        const RGBColor theBlack{0, 0, 0};
        switch (reinterpret_cast<intptr_t>(theData)) {
        case 0: {
            ++lgClipDraws;
            GWorldPtr thePreview = gConfigWorkspace.theFXClip;
            if (thePreview) {
                Rect theSource = GetPortRect(thePreview);
                CopyBits(GetPortBitMapForCopyBits(thePreview), GetPortBitMapForCopyBits(thePort), &theSource,
                         &theBounds, srcCopy, nullptr);
                Rect theRegion = Rel2Rect(gConfigWorkspace.theConfig->startRel, theBounds);
                RGBForeColor(&gConfigWorkspace.theConfig->frameStartColor);
                FrameRect(&theRegion);
            }
            break;
        }
        case 1: {
            const UInt32 theValue = static_cast<UInt32>(GetControl32BitValue(theControl));
            const RGBColor theColor{UInt16(((theValue >> 16) & 255) * 257), UInt16(((theValue >> 8) & 255) * 257),
                                    UInt16((theValue & 255) * 257)};
            RGBForeColor(&theColor);
            PaintRect(&theBounds);
            break;
        }
        default: {
            const RGBColor theWhite{65535, 65535, 65535};
            RGBForeColor(&theWhite);
            PaintRect(&theBounds);
            break;
        }
        }
        RGBForeColor(&theBlack);
        if (reinterpret_cast<intptr_t>(theData) != 0) FrameRect(&theBounds);
        SetGWorld(theSavedPort, theSavedDevice);
        return noErr;
    }
};

std::string ControlText(WindowRef theWindow, const char (&theSignature)[5], SInt32 theNumber)
{
    char theText[256] = {};
    Size theSize = 0;
    GetControlData(Control(theWindow, theSignature, theNumber), 0, kControlStaticTextTextTag, sizeof theText - 1,
                   theText, &theSize);
    return std::string(theText, static_cast<size_t>(theSize));
}

struct Address {
    const char* signature;
    SInt32 first;
    SInt32 last;
};

const Address cControlTable[] = {{"Clip", 1, 1}, {"Colr", 1, 6}, {"CLgd", 1, 6}, {"Sldr", 1, 6}, {"Lgnd", 1, 6},
                                 {"Labl", 1, 6}, {"ClpS", 1, 1}, {"ClpM", 1, 1}, {"Meth", 1, 1}, {"Medi", 1, 1},
                                 {"Keep", 1, 1}, {"Rect", 1, 2}};
const char* const cCommands[] = {"ok  ", "not!", "Info", "Adva", "Revi", "Rset", "Sall", "Help",
                                 "Medi", "Meth", "Keep", "Col1"};

constexpr SInt32 cFirstFrame = 10;
constexpr SInt32 cFrameCount = 30;

class PreviewTest : public ToolboxTest {
protected:
    TestPatternClips clips{200, 200};
    HostSession session{NoMain, clips};
    StubClasses stubs;
    pluginDataRec config{};
    GWorldOwner source, other, processed;

    void SetUp() override
    {
        ToolboxTest::SetUp();
        PluginBundle();
        ResetConfig(&config, true);
        config.startRel = relRect{0.25, 0.75, 0.25, 0.75};
        StartPreview(3, 180, 120, cFrameCount);
    }
    void TearDown() override
    {
        ShutdownPixelEffect(&config);
        gConfigWorkspace = pluginWorkSpace{};
        EXPECT_EQ(session.FramesOut(), session.FramesBack());
        ToolboxTest::TearDown();
    }

    // The workspace as the dialog fills it before its first window.
    void StartPreview(SInt16 theWhich, int theWidth, int theHeight, SInt32 theCount)
    {
        if (config.theMask) ShutdownPixelEffect(&config);
        config.which = theWhich;
        source = MakeGWorld(theWidth, theHeight);
        other = MakeGWorld(theWidth, theHeight);
        processed = MakeGWorld(theWidth, theHeight);
        FillColor(source.get(), 0xFF102030);
        FillColor(other.get(), 0xFFC0B0A0);
        gConfigWorkspace = pluginWorkSpace{};
        gConfigWorkspace.theConfig = &config;
        gTheConfig = &config;
        gConfigWorkspace.iMovieParams = &session.Params();
        gConfigWorkspace.sourceClip = source.get();
        gConfigWorkspace.theOtherClip = other.get();
        gConfigWorkspace.theFXClip = processed.get();
        gConfigWorkspace.minFrameIndex = cFirstFrame;
        gConfigWorkspace.maxFrameIndex = theCount - 1;
        gConfigWorkspace.wid = theWidth;
        gConfigWorkspace.hig = theHeight;
        gConfigWorkspace.activeRel = 1;
        InitPixelEffect(&config, theCount, static_cast<SInt16>(theWidth), static_cast<SInt16>(theHeight));
    }

    WindowRef OpenDialogWindow(const char* theName)
    {
        WindowRef theWindow = OpenNibWindowFromCFBundle(cBundleIdentifier, "", theName);
        gConfigWorkspace.theWindow = theWindow;
        gConfigWorkspace.theFrameCtrl = Control(theWindow, "Clip", 1);
        return theWindow;
    }
};

TEST_F(PreviewTest, EveryWindowHoldsTheControlsAndCommandsWithAPreviewOfTheFormatsProportions)
{
    const struct {
        const char* name;
        int width, height;
        SInt32 media;
    } theFormats[] = {{"configNTSC", 720, 480, 1}, {"configPAL", 720, 576, 2}, {"configHD", 960, 540, 3}};
    for (const auto& theFormat : theFormats) {
        SCOPED_TRACE(theFormat.name);
        WindowOwner theOwner{OpenDialogWindow(theFormat.name)};
        ASSERT_NE(theOwner.window, nullptr);
        for (const Address& theAddress : cControlTable) {
            for (SInt32 i = theAddress.first; i <= theAddress.last; ++i) {
                ControlID theID{CodeOf(theAddress.signature), i};
                ControlRef theControl = nullptr;
                EXPECT_EQ(GetControlByID(theOwner.window, &theID, &theControl), noErr) << theAddress.signature << " " << i;
            }
        }
        Rect theBox = GetControlBox(Control(theOwner.window, "Clip", 1));
        EXPECT_EQ((theBox.right - theBox.left) * theFormat.height, (theBox.bottom - theBox.top) * theFormat.width);
        EXPECT_EQ(GetControl32BitValue(Control(theOwner.window, "Medi", 1)), theFormat.media);
        EXPECT_TRUE(IsControlVisible(Control(theOwner.window, "Colr", 1)));
        EXPECT_FALSE(IsControlVisible(Control(theOwner.window, "Colr", 2)));

        // Every command of the dialog is sent by some control of the window.
        CommandRecorder theRecorder;
        theRecorder.quits = false;
        theRecorder.Install(theOwner.window);
        ShowWindow(theOwner.window);
        for (const char* theCommand : cCommands) {
            ControlRef theControl = nullptr;
            const std::string theSignature = std::string(theCommand) == "Col1" ? "Colr" : theCommand;
            ControlID theID{CodeOf(theSignature), 1};
            GetControlByID(theOwner.window, &theID, &theControl);
            ASSERT_NE(theControl, nullptr) << theCommand;
            UInt32 theCode = 0;
            GetControlCommandID(theControl, &theCode);
            EXPECT_EQ(CodeText(theCode), theCommand);
        }
    }
}

TEST_F(PreviewTest, CallPixelEffectRendersTheWorkspacesFrame)
{
    for (SInt16 theWhich : {1, 2, 3}) {
        SCOPED_TRACE(theWhich);
        StartPreview(theWhich, 60, 40, cFrameCount);
        for (SInt32 theFrame : {0, 12, 29}) {
            gConfigWorkspace.currFrameIndex = theFrame;
            GWorldOwner theExpected = MakeGWorld(60, 40);
            Source2Target(source.get(), theExpected.get());
            DoPixelEffect(other.get(), theExpected.get(), &config, theFrame, cFrameCount - 1);
            Source2Target(source.get(), processed.get());
            CallPixelEffect(other.get(), processed.get());
            EXPECT_EQ(Pixels(processed.get()), Pixels(theExpected.get())) << "frame " << theFrame;
        }
    }
    // Cross at frame 0: the clip inside the region, the other clip around it.
    StartPreview(3, 60, 40, cFrameCount);
    Source2Target(source.get(), processed.get());
    CallPixelEffect(other.get(), processed.get());
    EXPECT_EQ(ReadARGB(processed.get(), 20, 30) & 0xFFFFFF, 0x102030u);
    EXPECT_EQ(ReadARGB(processed.get(), 2, 2) & 0xFFFFFF, 0xC0B0A0u);
}

TEST_F(PreviewTest, ReRenderFlipsTheFrameControlAndRestoresThePort)
{
    WindowOwner theOwner{OpenDialogWindow("configNTSC")};
    ShowWindow(theOwner.window);
    ControlRef theFrame = gConfigWorkspace.theFrameCtrl;
    SetControl32BitValue(theFrame, 0);
    const int theDraws = StubClasses::lgClipDraws;
    CGrafPtr thePort;
    GDHandle theDevice;
    GetGWorld(&thePort, &theDevice);
    ReRenderAndBlit();
    EXPECT_EQ(GetControl32BitValue(theFrame), 1);
    ReRenderAndBlit();
    EXPECT_EQ(GetControl32BitValue(theFrame), 0);
    EXPECT_EQ(StubClasses::lgClipDraws, theDraws + 2);
    SetControl32BitMaximum(theFrame, 5);
    SetControl32BitValue(theFrame, 5);
    ReRenderAndBlit();
    EXPECT_EQ(GetControl32BitValue(theFrame), 0);
    CGrafPtr theNowPort;
    GDHandle theNowDevice;
    GetGWorld(&theNowPort, &theNowDevice);
    EXPECT_EQ(theNowPort, thePort);
    EXPECT_EQ(theNowDevice, theDevice);
}

TEST_F(PreviewTest, SetupSlidersBindsTheClipSliderAndHidesTheEffectSliders)
{
    gConfigWorkspace.currFrameIndex = 4;
    WindowOwner theOwner{OpenDialogWindow("configPAL")};
    SetupSliders(theOwner.window);
    ControlRef theSlider = Control(theOwner.window, "ClpS", 1);
    EXPECT_EQ(gConfigWorkspace.clipSlider, theSlider);
    EXPECT_EQ(GetControl32BitMaximum(theSlider), cFrameCount - 1);
    EXPECT_EQ(GetControl32BitValue(theSlider), 4);
    EXPECT_EQ(GetControlAction(theSlider), &ClipSliderAction);
    EXPECT_EQ(ControlText(theOwner.window, "ClpM", 1), "4/29");
    for (SInt32 i = 1; i <= 6; ++i) {
        EXPECT_EQ(gConfigWorkspace.sliders[i], Control(theOwner.window, "Sldr", i));
        for (const char* theSig : {"Sldr", "Lgnd", "Labl"}) {
            ControlID theID{CodeOf(theSig), i};
            ControlRef theControl = nullptr;
            GetControlByID(theOwner.window, &theID, &theControl);
            EXPECT_FALSE(IsControlVisible(theControl)) << theSig << " " << i;
        }
    }

    // A transition of one frame.
    StartPreview(3, 60, 40, 1);
    WindowOwner theSecond{OpenDialogWindow("configHD")};
    SetupSliders(theSecond.window);
    EXPECT_EQ(GetControl32BitMaximum(Control(theSecond.window, "ClpS", 1)), 0);
    EXPECT_EQ(ControlText(theSecond.window, "ClpM", 1), "0/0");
}

TEST_F(PreviewTest, ClipSliderFetchesTheHostFramesOfTheChosenFrame)
{
    for (SInt16 theWhich : {1, 2, 3}) {
        SCOPED_TRACE(theWhich);
        StartPreview(theWhich, 60, 40, cFrameCount);
        FillColor(other.get(), 0xFF123456);
        const size_t theBefore = session.FrameRequests().size();
        WindowOwner theOwner{OpenDialogWindow("configNTSC")};
        SetupSliders(theOwner.window);
        ControlRef theSlider = Control(theOwner.window, "ClpS", 1);
        SetControl32BitValue(theSlider, 7);
        ClipSliderAction(theSlider, 0);
        EXPECT_EQ(gConfigWorkspace.currFrameIndex, 7);
        EXPECT_EQ(ControlText(theOwner.window, "ClpM", 1), "7/29");

        std::vector<SInt32> theFetched;
        for (size_t i = theBefore; i < session.FrameRequests().size(); ++i)
            theFetched.push_back(session.FrameRequests()[i].frameNumber);
        if (theWhich == 3) {
            EXPECT_EQ(theFetched, (std::vector<SInt32>{cFirstFrame + 7, cFirstFrame + 29 + 7}));
            EXPECT_EQ(ReadARGB(other.get(), 3, 5), TestPatternClips::PatternPixel(cFirstFrame + 29 + 7, false, 3, 5, 60, 40));
        } else {
            EXPECT_EQ(theFetched, (std::vector<SInt32>{cFirstFrame + 7}));
            EXPECT_EQ(ReadARGB(other.get(), 3, 5), 0xFF123456u) << "the other clip is left alone";
        }
        EXPECT_EQ(ReadARGB(source.get(), 3, 5), TestPatternClips::PatternPixel(cFirstFrame + 7, false, 3, 5, 60, 40));

        // The preview is frame 7 rendered over the fetched frames.
        GWorldOwner theExpected = MakeGWorld(60, 40);
        Source2Target(source.get(), theExpected.get());
        DoPixelEffect(theWhich == 3 ? other.get() : source.get(), theExpected.get(), &config, 7, cFrameCount - 1);
        EXPECT_EQ(Pixels(processed.get()), Pixels(theExpected.get()));
    }
}

TEST_F(PreviewTest, DraggingTheClipSliderScrubsLive)
{
    WindowOwner theOwner{OpenDialogWindow("configNTSC")};
    SetupSliders(theOwner.window);
    CommandRecorder theRecorder;
    theRecorder.Install(theOwner.window);
    ShowWindow(theOwner.window);
    Rect theBounds = GetControlBox(gConfigWorkspace.clipSlider);
    const SInt16 theMiddle = static_cast<SInt16>((theBounds.top + theBounds.bottom) / 2);
    HeadlessPushMouseDown(theBounds.left, theMiddle, 0);
    HeadlessPushMouseDrag(static_cast<SInt16>(theBounds.right + 40), theMiddle, 0);
    HeadlessPushMouseUp(static_cast<SInt16>(theBounds.right + 40), theMiddle, 0);
    HeadlessPushKey(0x0D, 0);
    RunAppModalLoopForWindow(theOwner.window);
    EXPECT_EQ(gConfigWorkspace.currFrameIndex, 29);
    EXPECT_EQ(ControlText(theOwner.window, "ClpM", 1), "29/29");
    ASSERT_FALSE(session.FrameRequests().empty());
    EXPECT_EQ(session.FrameRequests().back().frameNumber, cFirstFrame + 29 + 29);
}

TEST_F(PreviewTest, ScreenshotsOfTheThreeWindows)
{
    for (const char* theName : {"configNTSC", "configPAL", "configHD"}) {
        SCOPED_TRACE(theName);
        StartPreview(3, 360, 240, cFrameCount);
        WindowOwner theOwner{OpenDialogWindow(theName)};
        SetupSliders(theOwner.window);
        const RGBColor& theFill = config.colors[1];
        SetControl32BitValue(Control(theOwner.window, "Colr", 1),
                             ((theFill.red >> 8) << 16) | ((theFill.green >> 8) << 8) | (theFill.blue >> 8));
        ShowWindow(theOwner.window);
        SetControl32BitValue(gConfigWorkspace.clipSlider, 12);
        ClipSliderAction(gConfigWorkspace.clipSlider, 0);
        const std::string thePath = std::string(GLINT_ARTIFACT_DIR) + "/preview-" + theName;
        WindowPicture thePicture = ReadWindowPicture(theOwner.window, thePath + ".ppm");
        ASSERT_FALSE(thePicture.rgb.empty());
        EXPECT_TRUE(WritePNG(thePath + ".png", thePicture.width, thePicture.height, thePicture.rgb));
        // The preview shows the rendered frame: the clip's test pattern, not the window's background.
        Rect theBox = GetControlBox(gConfigWorkspace.theFrameCtrl);
        EXPECT_EQ(thePicture.At(theBox.left, theBox.top), ReadARGB(processed.get(), 0, 0) & 0xFFFFFF);
    }
}

TEST_F(PreviewTest, AboutWindowShowsNameAndVersionAndClosesEachTime)
{
    struct Seen {
        std::string name, version;
    };
    static std::vector<Seen> lgSeen;
    lgSeen.clear();
    auto theLook = [](void*) {
        WindowRef theWindow = FrontWindow();
        lgSeen.push_back({ControlText(theWindow, "Plug", 1), ControlText(theWindow, "Vers", 1)});
        const std::string thePath = std::string(GLINT_ARTIFACT_DIR) + "/dialog-about";
        WindowPicture thePicture = ReadWindowPicture(theWindow, thePath + ".ppm");
        EXPECT_TRUE(WritePNG(thePath + ".png", thePicture.width, thePicture.height, thePicture.rgb));
    };
    for (int i = 0; i < 2; ++i) {
        HeadlessPushCallback(theLook, nullptr);
        HeadlessPushKey(0x0D, 0);
        ShowAbout();
    }
#if defined(__i386__)
    const std::string theVersion = "Version 3.0.0 (i386 Universal)";
#elif defined(__powerpc__)
    const std::string theVersion = "Version 3.0.0 (PPC Universal)";
#else
    const std::string theVersion = "Version 3.0.0 (x86_64 Universal)";
#endif
    ASSERT_EQ(lgSeen.size(), 2u);
    for (const Seen& theSeen : lgSeen) {
        EXPECT_EQ(theSeen.name, "Glintweave");
        EXPECT_EQ(theSeen.version, theVersion);
    }
    EXPECT_EQ(FrontWindow(), nullptr);
}

TEST_F(PreviewTest, AboutHandlerEndsOnlyOnItsTwoCommands)
{
    WindowOwner theOwner{OpenTestWindow("second")};
    const struct {
        const char* code;
        OSStatus result;
    } theCases[] = {{"ok  ", noErr}, {"not!", noErr}, {"ok\0\0", eventNotHandledErr}, {"Info", eventNotHandledErr}};
    for (const auto& theCase : theCases) {
        HICommand theCommand{};
        theCommand.commandID = (UInt32(UInt8(theCase.code[0])) << 24) | (UInt32(UInt8(theCase.code[1])) << 16) |
                               (UInt32(UInt8(theCase.code[2])) << 8) | UInt8(theCase.code[3]);
        EventRef theEvent = nullptr;
        CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, kEventAttributeNone, &theEvent);
        SetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, sizeof theCommand, &theCommand);
        EXPECT_EQ(AboutDialogHandler(nullptr, theEvent, theOwner.window), theCase.result) << theCase.code;
        ReleaseEvent(theEvent);
    }
}

} // namespace
