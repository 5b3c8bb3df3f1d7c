#include "toolboxtesting.h"

#include <fstream>
#include <vector>

using namespace toolbox_testing;

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

Rgb PixelAt(WindowRef theWindow, int h, int v)
{
    PixMapHandle thePixMap = GetPortPixMap(GetWindowPort(theWindow));
    const UInt8* thePixel =
        reinterpret_cast<const UInt8*>(GetPixBaseAddr(thePixMap)) + static_cast<long>(v) * GetPixRowBytes(thePixMap) + 4 * h;
    return Rgb{thePixel[1], thePixel[2], thePixel[3]};
}

// Pixels of the area darker than mid grey: text and outlines.
int DarkPixels(WindowRef theWindow, const Rect& theArea)
{
    int theCount = 0;
    for (int v = theArea.top; v < theArea.bottom; ++v)
        for (int h = theArea.left; h < theArea.right; ++h) {
            Rgb thePixel = PixelAt(theWindow, h, v);
            theCount += thePixel.r + thePixel.g + thePixel.b < 3 * 128;
        }
    return theCount;
}

std::vector<UInt32> Snapshot(WindowRef theWindow)
{
    std::vector<UInt32> thePixels;
    Rect theBounds;
    GetWindowPortBounds(theWindow, &theBounds);
    for (int v = 0; v < theBounds.bottom; ++v)
        for (int h = 0; h < theBounds.right; ++h) {
            Rgb thePixel = PixelAt(theWindow, h, v);
            thePixels.push_back(static_cast<UInt32>(thePixel.r << 16 | thePixel.g << 8 | thePixel.b));
        }
    return thePixels;
}

class Drawing : public ToolboxTest {
protected:
    void SetUp() override
    {
        ToolboxTest::SetUp();
        mOwner.window = OpenTestWindow("controls");
        ASSERT_NE(mOwner.window, nullptr);
        ShowWindow(mOwner.window);
    }

    Rect Bounds(const char (&theSignature)[5], SInt32 theNumber)
    {
        Rect theBounds;
        GetControlBounds(Control(mOwner.window, theSignature, theNumber), &theBounds);
        return theBounds;
    }

    ProbeClass mProbe;
    WindowOwner mOwner;
};

constexpr Rgb cBackground{0xEE, 0xED, 0xEB};
constexpr Rgb cAccent{0x2F, 0x7B, 0xF5};

} // namespace

TEST_F(Drawing, ShownWindowHasItsControls)
{
    EXPECT_EQ(PixelAt(mOwner.window, 2, 2), cBackground);
    // The default button is filled with the accent colour; the others are not.
    Rect theOK = Bounds("ok  ", 1);
    EXPECT_EQ(PixelAt(mOwner.window, theOK.left + 8, theOK.top + 4), cAccent);
    Rect theCancel = Bounds("not!", 1);
    EXPECT_EQ(PixelAt(mOwner.window, theCancel.left + 8, theCancel.top + 4), (Rgb{255, 255, 255}));
    // Every text shows: titles of buttons, the static texts, the popup's chosen item.
    for (const Rect& theArea : {Bounds("push", 1), Bounds("chck", 1), Bounds("popu", 1), Bounds("text", 1),
                                Bounds("text", -2), Bounds("grup", 1)})
        EXPECT_GT(DarkPixels(mOwner.window, theArea), 20) << theArea.left << "," << theArea.top;
    // The hidden text does not.
    EXPECT_EQ(DarkPixels(mOwner.window, Bounds("hide", 1)), 0);
}

TEST_F(Drawing, ChangesRedraw)
{
    ControlRef theBox = Control(mOwner.window, "chck", 1);
    Rect theBounds = Bounds("chck", 1);
    const Point theInBox{static_cast<SInt16>((theBounds.top + theBounds.bottom) / 2), static_cast<SInt16>(theBounds.left + 2)};
    EXPECT_NE(PixelAt(mOwner.window, theInBox.h, theInBox.v), cAccent);
    SetControl32BitValue(theBox, 1);
    EXPECT_EQ(PixelAt(mOwner.window, theInBox.h, theInBox.v), cAccent);

    // Hiding erases to the background; showing draws again.
    HideControl(Control(mOwner.window, "text", 1));
    EXPECT_EQ(DarkPixels(mOwner.window, Bounds("text", 1)), 0);
    ShowControl(Control(mOwner.window, "text", 1));
    EXPECT_GT(DarkPixels(mOwner.window, Bounds("text", 1)), 20);

    // A new text replaces the old one rather than drawing over it.
    const int theBefore = DarkPixels(mOwner.window, Bounds("text", 1));
    SetControlData(Control(mOwner.window, "text", 1), 0, kControlStaticTextTextTag, 1, ".");
    Draw1Control(Control(mOwner.window, "text", 1));
    EXPECT_LT(DarkPixels(mOwner.window, Bounds("text", 1)), theBefore);

    // The slider's blue part grows with the value.
    ControlRef theSlider = Control(mOwner.window, "sldr", 1);
    Rect theSliderBounds = Bounds("sldr", 1);
    const int theMiddle = (theSliderBounds.top + theSliderBounds.bottom) / 2;
    EXPECT_NE(PixelAt(mOwner.window, theSliderBounds.right - 30, theMiddle), cAccent);
    SetControl32BitValue(theSlider, 100);
    EXPECT_EQ(PixelAt(mOwner.window, theSliderBounds.right - 30, theMiddle), cAccent);
}

TEST_F(Drawing, ClosedMenuLeavesThePixelsAsTheyWere)
{
    const std::vector<UInt32> theBefore = Snapshot(mOwner.window);
    bool theMenuShown = false;
    PushClickOn(Control(mOwner.window, "popu", 1));
    struct Check {
        WindowRef window;
        const std::vector<UInt32>* before;
        bool* shown;
    } theCheck{mOwner.window, &theBefore, &theMenuShown};
    HeadlessPushCallback([](void* theData) {
        Check* theCheck = static_cast<Check*>(theData);
        *theCheck->shown = Snapshot(theCheck->window) != *theCheck->before;
    }, &theCheck);
    HeadlessPushKey(0x1B, 0); // closes the menu
    HeadlessPushKey(0x1B, 0); // cancels the window
    CommandRecorder theRecorder;
    theRecorder.Install(mOwner.window);
    RunAppModalLoopForWindow(mOwner.window);
    EXPECT_TRUE(theMenuShown);
    EXPECT_TRUE(Snapshot(mOwner.window) == theBefore);
}

TEST_F(Drawing, WindowPictureIsWritten)
{
    const std::string thePath = testing::TempDir() + "glint-window.ppm";
    ASSERT_TRUE(HeadlessWriteWindowPicture(mOwner.window, thePath.c_str()));
    std::ifstream thePicture(thePath, std::ios::binary);
    std::string theMagic;
    int theWidth = 0, theHeight = 0, theMax = 0;
    thePicture >> theMagic >> theWidth >> theHeight >> theMax;
    EXPECT_EQ(theMagic, "P6");
    EXPECT_EQ(theWidth, 400);
    EXPECT_EQ(theHeight, 300);
    thePicture.get();
    unsigned char theFirst[3] = {};
    thePicture.read(reinterpret_cast<char*>(theFirst), 3);
    EXPECT_EQ((Rgb{theFirst[0], theFirst[1], theFirst[2]}), cBackground);
    EXPECT_FALSE(HeadlessWriteWindowPicture(mOwner.window, "/nonexistent/folder/x.ppm"));
    std::remove(thePath.c_str());
}
