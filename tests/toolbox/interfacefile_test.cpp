#include "toolboxtesting.h"

using namespace toolbox_testing;

namespace {

class InterfaceFiles : public ToolboxTest {
protected:
    ProbeClass mProbe;
};

std::string Text(ControlRef theControl)
{
    char theBuffer[256];
    Size theSize = 0;
    EXPECT_EQ(GetControlData(theControl, 0, kControlStaticTextTextTag, sizeof theBuffer, theBuffer, &theSize), noErr);
    return std::string(theBuffer, static_cast<size_t>(theSize));
}

} // namespace

TEST_F(InterfaceFiles, WindowHoldsTheControlsAsDescribed)
{
    WindowOwner theOwner{OpenTestWindow("controls")};
    WindowRef theWindow = theOwner.window;
    ASSERT_NE(theWindow, nullptr);
    EXPECT_FALSE(IsWindowVisible(theWindow));
    Rect theBounds;
    GetWindowPortBounds(theWindow, &theBounds);
    EXPECT_EQ(theBounds.right, 400);
    EXPECT_EQ(theBounds.bottom, 300);
    EXPECT_EQ(GetWindowFromPort(GetWindowPort(theWindow)), theWindow);
    CFStringRef theTitle = nullptr;
    CopyWindowTitleAsCFString(theWindow, &theTitle);
    EXPECT_STREQ(CFStringGetUTF8Pointer(theTitle), "Every Control");
    CFRelease(theTitle);

    ControlRef theSlider = Control(theWindow, "sldr", 1);
    ASSERT_NE(theSlider, nullptr);
    EXPECT_EQ(GetControl32BitValue(theSlider), 10);
    EXPECT_EQ(GetControl32BitMaximum(theSlider), 100);
    GetControlBounds(theSlider, &theBounds);
    EXPECT_EQ(theBounds.left, 20);
    EXPECT_EQ(theBounds.top, 110);
    EXPECT_EQ(theBounds.right, 220);
    EXPECT_EQ(theBounds.bottom, 130);
    UInt32 theCommand = 0;
    GetControlCommandID(theSlider, &theCommand);
    EXPECT_EQ(theCommand, FOUR_CHAR_CODE("Sldr"));

    ControlRef thePopup = Control(theWindow, "popu", 1);
    EXPECT_EQ(GetControl32BitMinimum(thePopup), 1);
    EXPECT_EQ(GetControl32BitMaximum(thePopup), 3);
    EXPECT_EQ(Text(Control(theWindow, "text", -2)), "Negative");
    EXPECT_FALSE(IsControlVisible(Control(theWindow, "hide", 1)));
    EXPECT_FALSE(IsControlEnabled(Control(theWindow, "dis ", 1)));
    EXPECT_EQ(GetControlHilite(Control(theWindow, "dis ", 1)), kControlDisabledPart);
    EXPECT_EQ(GetControlOwner(Control(theWindow, "prob", 1)), theWindow);
    EXPECT_EQ(Control(theWindow, "none", 1), nullptr);
    EXPECT_EQ(Control(theWindow, "text", 2), nullptr);
}

TEST_F(InterfaceFiles, TextsAreMacRoman)
{
    WindowOwner theOwner{OpenTestWindow("second")};
    EXPECT_EQ(Text(Control(theOwner.window, "text", 1)), "\x86" "ber alles");
}

TEST_F(InterfaceFiles, MissingFileAndWindowGiveTheirErrors)
{
    IBNibRef theNib = nullptr;
    EXPECT_EQ(CreateNibReferenceWithCFBundle(TestBundle(), CFSTR("nosuchfile"), &theNib),
              kIBCarbonRuntimeCantFindNibFile);
    EXPECT_EQ(theNib, nullptr);
    ASSERT_EQ(CreateNibReferenceWithCFBundle(TestBundle(), CFSTR("testwindows"), &theNib), noErr);
    WindowRef theWindow = nullptr;
    EXPECT_EQ(CreateWindowFromNib(theNib, CFSTR("nosuchwindow"), &theWindow), kIBCarbonRuntimeCantFindObject);
    EXPECT_EQ(theWindow, nullptr);
    DisposeNibReference(theNib);
}

TEST(InterfaceFileClasses, UnregisteredCustomClassFailsTheWindow)
{
    IBNibRef theNib = nullptr;
    ASSERT_EQ(CreateNibReferenceWithCFBundle(TestBundle(), CFSTR("testwindows"), &theNib), noErr);
    WindowRef theWindow = nullptr;
    EXPECT_EQ(CreateWindowFromNib(theNib, CFSTR("controls"), &theWindow), hiObjectClassNotFoundErr);
    EXPECT_EQ(theWindow, nullptr);
    DisposeNibReference(theNib);
}

TEST(InterfaceFileClasses, ClassWithControlsCannotBeUnregistered)
{
    auto* theProbe = new ProbeClass;
    WindowRef theWindow = OpenTestWindow("controls");
    EXPECT_EQ(UnregisterToolboxObjectClass(theProbe->classRef), hiObjectClassHasInstancesErr);
    ToolboxObjectClassRef theSecond = nullptr;
    const EventTypeSpec theDraw{kEventClassControl, kEventControlDraw};
    EXPECT_EQ(RegisterToolboxObjectClass(CFSTR("org.glintweave.probe"), nullptr, 1, &theDraw, ProbeClass::Handler,
                                         nullptr, &theSecond),
              hiObjectClassExistsErr);
    DisposeWindow(theWindow);
    delete theProbe;
}

// Each damaged file is rejected with an error code and a text naming the place.
TEST(DamagedInterfaceFiles, AreErrorsNotCrashes)
{
    const std::string theButton =
        R"({"kind": "pushButton", "signature": "push", "number": 1, "bounds": {"left": 0, "top": 0, "width": 10, "height": 10}})";
    auto Window = [](const std::string& theControl) {
        return R"({"windows": [{"name": "w", "title": "t", "width": 100, "height": 100, "controls": [)" + theControl +
               "]}]}";
    };
    struct Case {
        std::string text;
        const char* place;
    } theCases[] = {
        {"", "not a JSON document"},
        {"{\"windows\": [", "not a JSON document"},
        {"[1, 2]", "file: expected an object"},
        {"{}", "missing field \"windows\""},
        {"{\"windows\": {}}", "windows: expected a list"},
        {"{\"windows\": [], \"extra\": 1}", "unknown field \"extra\""},
        {R"({"windows": [{"name": "w", "title": "t", "width": 100, "controls": []}]})", "missing field \"height\""},
        {R"({"windows": [{"name": "w", "title": "t", "width": 0, "height": 10, "controls": []}]})", ".width: expected an integer from 1"},
        {R"({"windows": [{"name": "w", "title": 5, "width": 10, "height": 10, "controls": []}]})", ".title: expected a string"},
        {R"({"windows": [{"name": "w", "title": "t", "width": 10.5, "height": 10, "controls": []}]})", "expected an integer"},
        {R"({"windows": [{"name": "w", "title": "t", "width": 10, "height": 10, "controls": []},
                         {"name": "w", "title": "t", "width": 10, "height": 10, "controls": []}]})", "a second window named"},
        {Window(R"({"kind": "spinner", "signature": "spin", "number": 1, "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         "controls[0].kind: unknown kind \"spinner\""},
        {Window(R"({"kind": "pushButton", "number": 1, "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         "missing field \"signature\""},
        {Window(R"({"kind": "pushButton", "signature": "abc", "number": 1, "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".signature: expected exactly four characters"},
        {Window(R"({"kind": "pushButton", "signature": "abcd", "number": 40000, "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".number: expected an integer from -32768 to 32767"},
        {Window(R"({"kind": "pushButton", "signature": "abcd", "number": 1, "bounds": {"left": 32000, "top": 0, "width": 1000, "height": 1}})"),
         ".bounds.width: expected an integer from 0 to 767"},
        {Window(R"({"kind": "pushButton", "signature": "abcd", "number": 1, "bounds": [0, 0, 1, 1]})"),
         ".bounds: expected an object"},
        {Window(R"({"kind": "popupMenu", "signature": "abcd", "number": 1, "items": [], "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".items: expected a list of at least one text"},
        {Window(R"({"kind": "popupMenu", "signature": "abcd", "number": 1, "items": ["a"], "value": 2, "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".value: expected an integer from 1 to 1"},
        {Window(R"({"kind": "slider", "signature": "abcd", "number": 1, "minimum": 5, "maximum": 4, "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".maximum: expected an integer from 5"},
        {Window(R"({"kind": "custom", "signature": "abcd", "number": 1, "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         "missing field \"class\""},
        {Window(R"({"kind": "custom", "signature": "abcd", "number": 1, "class": "a.b", "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".class: expected 1 to 63 letters"},
        {Window(R"({"kind": "checkBox", "signature": "abcd", "number": 1, "visible": "yes", "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".visible: expected true or false"},
        {Window(R"({"kind": "checkBox", "signature": "abcd", "number": 1, "title": "\u4e2d", "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".title: has a character without a Mac Roman code"},
        {Window(R"({"kind": "staticText", "signature": "abcd", "number": 1, "live": true, "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         "unknown field \"live\""},
        {Window(R"({"kind": "slider", "signature": "abcd", "number": 1, "keys": ["<"], "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         "unknown field \"keys\""},
        {Window(R"({"kind": "pushButton", "signature": "abcd", "number": 1, "keys": "<", "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".keys: expected a list of keys"},
        {Window(R"({"kind": "pushButton", "signature": "abcd", "number": 1, "keys": ["<", "<<"], "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".keys[1]: expected one character or left, right, up, down"},
        {Window(R"({"kind": "pushButton", "signature": "abcd", "number": 1, "keys": ["\r"], "bounds": {"left": 0, "top": 0, "width": 1, "height": 1}})"),
         ".keys[0]: expected one character"},
        {Window(theButton + ", 7"), "controls[1]: expected an object"},
        {std::string(1 << 20, ' ') + "{}", "larger than"},
    };
    TempBundle theBundle("org.glintweave.damaged");
    CFBundleRef theBundleRef = nullptr;
    ASSERT_EQ(GlintRegisterBundle(theBundle.Path().c_str(), &theBundleRef), noErr);
    for (const Case& theCase : theCases) {
        theBundle.Write("Contents/Resources/bad.json", theCase.text);
        IBNibRef theNib = nullptr;
        testing::internal::CaptureStderr();
        EXPECT_EQ(CreateNibReferenceWithCFBundle(theBundleRef, CFSTR("bad"), &theNib), kGlintNibDamagedErr)
            << theCase.text.substr(0, 200);
        std::string theLine = testing::internal::GetCapturedStderr();
        EXPECT_EQ(theNib, nullptr);
        EXPECT_NE(std::string(GlintNibErrorText()).find(theCase.place), std::string::npos)
            << GlintNibErrorText() << " does not name " << theCase.place;
        EXPECT_NE(theLine.find("damaged interface file"), std::string::npos);
    }
    // The same file made whole opens.
    theBundle.Write("Contents/Resources/bad.json", Window(theButton));
    IBNibRef theNib = nullptr;
    EXPECT_EQ(CreateNibReferenceWithCFBundle(theBundleRef, CFSTR("bad"), &theNib), noErr);
    DisposeNibReference(theNib);
}

TEST(Bundles, RegisteredByIdentifierWithResources)
{
    TempBundle theBundle("org.glintweave.resources");
    theBundle.Write("Contents/Resources/manual.pdf", "%PDF");
    CFBundleRef theBundleRef = nullptr;
    ASSERT_EQ(GlintRegisterBundle(theBundle.Path().c_str(), &theBundleRef), noErr);
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("org.glintweave.resources")), theBundleRef);
    EXPECT_STREQ(CFStringGetUTF8Pointer(CFBundleGetIdentifier(theBundleRef)), "org.glintweave.resources");
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("org.glintweave.unknown")), nullptr);

    CFURLRef theURL = CFBundleCopyResourceURL(theBundleRef, CFSTR("manual"), CFSTR("pdf"), nullptr);
    ASSERT_NE(theURL, nullptr);
    char thePath[1024];
    ASSERT_TRUE(CFURLGetFileSystemRepresentation(theURL, true, reinterpret_cast<UInt8*>(thePath), sizeof thePath));
    EXPECT_EQ(std::string(thePath), theBundle.Path() + "/Contents/Resources/manual.pdf");
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(theURL, true, reinterpret_cast<UInt8*>(thePath), 5));
    CFRelease(theURL);
    EXPECT_EQ(CFBundleCopyResourceURL(theBundleRef, CFSTR("manual"), CFSTR("txt"), nullptr), nullptr);
    EXPECT_EQ(CFBundleCopyResourceURL(theBundleRef, CFSTR("../Info"), CFSTR("json"), nullptr), nullptr);

    // A retained bundle outlives its replacement in the registry.
    CFRetain(theBundleRef);
    TempBundle theNewer("org.glintweave.resources");
    CFBundleRef theNewerRef = nullptr;
    ASSERT_EQ(GlintRegisterBundle(theNewer.Path().c_str(), &theNewerRef), noErr);
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("org.glintweave.resources")), theNewerRef);
    EXPECT_STREQ(CFStringGetUTF8Pointer(CFBundleGetIdentifier(theBundleRef)), "org.glintweave.resources");
    CFRelease(theBundleRef);
}

TEST(Bundles, BadInfoIsAnError)
{
    CFBundleRef theBundleRef = nullptr;
    TempBundle theNoInfo("");
    EXPECT_EQ(GlintRegisterBundle(theNoInfo.Path().c_str(), &theBundleRef), fnfErr);
    for (const char* theInfo : {"", "{", "[]", "{\"CFBundleIdentifier\": 3}", "{\"CFBundleIdentifier\": \"\"}"}) {
        theNoInfo.Write("Contents/Info.json", theInfo);
        EXPECT_EQ(GlintRegisterBundle(theNoInfo.Path().c_str(), &theBundleRef), coreFoundationUnknownErr) << theInfo;
        EXPECT_EQ(theBundleRef, nullptr);
    }
}
