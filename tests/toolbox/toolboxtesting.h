// Helpers for toolbox tests: the test bundle, temporary bundles, windows that dispose of
// themselves, and a recorder of the commands a window receives.
#pragma once

#include "CFBundle.h"
#include "CarbonEvents.h"
#include "Controls.h"
#include "HeadlessScript.h"
#include "IBCarbonRuntime.h"
#include "MacWindows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace toolbox_testing {

inline constexpr const char* cTestBundleID = "org.glintweave.toolboxtest";

inline std::string SourceDir()
{
    const char* theDir = std::getenv("GLINT_SOURCE_DIR");
    return theDir ? theDir : ".";
}

inline CFBundleRef TestBundle()
{
    CFBundleRef theBundle = nullptr;
    OSStatus theStatus =
        GlintRegisterBundle((SourceDir() + "/tests/toolbox/TestBundle.bundle").c_str(), &theBundle);
    EXPECT_EQ(theStatus, noErr);
    return theBundle;
}

// A bundle folder in a temporary directory, removed with the object.
class TempBundle {
public:
    explicit TempBundle(const std::string& theIdentifier)
    {
        std::string theTemplate = (std::filesystem::temp_directory_path() / "glint-bundle-XXXXXX").string();
        mPath = mkdtemp(theTemplate.data());
        std::filesystem::create_directories(mPath + "/Contents/Resources");
        if (!theIdentifier.empty()) Write("Contents/Info.json", "{\"CFBundleIdentifier\": \"" + theIdentifier + "\"}");
    }
    ~TempBundle() { std::filesystem::remove_all(mPath); }
    TempBundle(const TempBundle&) = delete;
    TempBundle& operator=(const TempBundle&) = delete;

    void Write(const std::string& theName, const std::string& theText) const
    {
        std::ofstream(mPath + "/" + theName, std::ios::binary) << theText;
    }
    const std::string& Path() const { return mPath; }

private:
    std::string mPath;
};

struct WindowOwner {
    WindowRef window = nullptr;
    ~WindowOwner()
    {
        if (window) DisposeWindow(window);
    }
};

inline WindowRef OpenTestWindow(const char* theName)
{
    IBNibRef theNib = nullptr;
    EXPECT_EQ(CreateNibReferenceWithCFBundle(TestBundle(), CFSTR("testwindows"), &theNib), noErr);
    WindowRef theWindow = nullptr;
    EXPECT_EQ(CreateWindowFromNib(theNib, CFSTR(theName), &theWindow), noErr);
    DisposeNibReference(theNib);
    return theWindow;
}

inline ControlRef Control(WindowRef theWindow, const char (&theSignature)[5], SInt32 theNumber)
{
    ControlID theID{FOUR_CHAR_CODE(theSignature), theNumber};
    ControlRef theControl = nullptr;
    GetControlByID(theWindow, &theID, &theControl);
    return theControl;
}

inline Point CentreOf(ControlRef theControl)
{
    Rect theBounds;
    GetControlBounds(theControl, &theBounds);
    return Point{static_cast<SInt16>((theBounds.top + theBounds.bottom) / 2),
                 static_cast<SInt16>((theBounds.left + theBounds.right) / 2)};
}

inline void PushClickOn(ControlRef theControl, UInt32 theModifiers = 0)
{
    Point theCentre = CentreOf(theControl);
    HeadlessPushClick(theCentre.h, theCentre.v, theModifiers);
}

inline std::string CodeText(UInt32 theCode)
{
    std::string theText;
    for (int i = 24; i >= 0; i -= 8) theText += static_cast<char>(theCode >> i);
    return theText;
}

// Records every command the window receives; quits its modal loop on "ok  " and "not!".
struct CommandRecorder {
    WindowRef window = nullptr;
    std::vector<std::string> commands;
    OSStatus answer = noErr;
    bool quits = true;

    static OSStatus Handler(EventHandlerCallRef, EventRef theEvent, void* theData)
    {
        CommandRecorder* theRecorder = static_cast<CommandRecorder*>(theData);
        HICommand theCommand{};
        GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof theCommand, nullptr,
                          &theCommand);
        theRecorder->commands.push_back(CodeText(theCommand.commandID));
        const bool theEnds = theCommand.commandID == kHICommandOK || theCommand.commandID == kHICommandCancel;
        if (theEnds && theRecorder->quits) QuitAppModalLoopForWindow(theRecorder->window);
        return theRecorder->answer;
    }

    void Install(WindowRef theWindow)
    {
        window = theWindow;
        const EventTypeSpec theType{kEventClassCommand, kEventCommandProcess};
        InstallEventHandler(GetWindowEventTarget(theWindow), Handler, 1, &theType, this, nullptr);
    }
};

class ToolboxTest : public testing::Test {
protected:
    void SetUp() override { HeadlessClearScript(); }
    void TearDown() override { EXPECT_EQ(HeadlessPendingInput(), 0) << "the test left input unread"; }
};

} // namespace toolbox_testing

namespace toolbox_testing {

// The custom class "probe" of the test windows: records the events it gets.
struct ProbeClass {
    struct Seen {
        UInt32 kind;
        ControlPartCode part;
        UInt32 modifiers;
    };
    struct Tracked {
        MouseTrackingResult result;
        Point where;
        UInt32 modifiers;
    };

    ToolboxObjectClassRef classRef = nullptr;
    std::vector<Seen> seen;
    std::vector<Tracked> tracked;
    bool tracksItself = true;
    OSStatus hitAnswer = eventNotHandledErr;

    ProbeClass()
    {
        const EventTypeSpec theEvents[] = {{kEventClassControl, kEventControlDraw},
                                           {kEventClassControl, kEventControlHitTest},
                                           {kEventClassControl, kEventControlHit},
                                           {kEventClassControl, kEventControlActivate},
                                           {kEventClassControl, kEventControlTrack}};
        EXPECT_EQ(RegisterToolboxObjectClass(CFSTR("org.glintweave.probe"), nullptr, 5, theEvents, Handler, this,
                                             &classRef),
                  noErr);
    }
    ~ProbeClass() { EXPECT_EQ(UnregisterToolboxObjectClass(classRef), noErr); }
    ProbeClass(const ProbeClass&) = delete;
    ProbeClass& operator=(const ProbeClass&) = delete;

    std::vector<UInt32> Kinds() const
    {
        std::vector<UInt32> theKinds;
        for (const Seen& theSeen : seen) theKinds.push_back(theSeen.kind);
        return theKinds;
    }

    static OSStatus Handler(EventHandlerCallRef, EventRef theEvent, void* theData)
    {
        ProbeClass& theProbe = *static_cast<ProbeClass*>(theData);
        ControlRef theControl = nullptr;
        GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl, nullptr,
                          &theControl);
        Seen theSeen{GetEventKind(theEvent), 0, 0};
        GetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, nullptr, sizeof theSeen.part, nullptr,
                          &theSeen.part);
        GetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof theSeen.modifiers, nullptr,
                          &theSeen.modifiers);
        theProbe.seen.push_back(theSeen);
        switch (GetEventKind(theEvent)) {
        case kEventControlHitTest: {
            Point theWhere;
            Rect theBounds;
            GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof theWhere, nullptr, &theWhere);
            GetControlBounds(theControl, &theBounds);
            ControlPartCode thePart = PtInRect(theWhere, &theBounds) ? 1 : 0;
            SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof thePart, &thePart);
            return noErr;
        }
        case kEventControlTrack: {
            if (!theProbe.tracksItself) return eventNotHandledErr;
            MouseTrackingResult theResult = kMouseTrackingMouseDown;
            while (theResult != kMouseTrackingMouseUp) {
                Tracked theStep{};
                TrackMouseLocationWithOptions(GetWindowPort(GetControlOwner(theControl)), 0, kEventDurationForever,
                                              &theStep.where, &theStep.modifiers, &theStep.result);
                theProbe.tracked.push_back(theStep);
                theResult = theStep.result;
            }
            return noErr;
        }
        case kEventControlHit: return theProbe.hitAnswer;
        default: return noErr;
        }
    }
};

} // namespace toolbox_testing
