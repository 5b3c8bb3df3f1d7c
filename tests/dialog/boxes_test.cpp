// The colour box and picture control classes on a window of their own test bundle.
#include "CGglue.h"
#include "ColorPicker.h"
#include "colorCTRL.h"
#include "commonprocs.h"
#include "pictCTRL.h"
#include "toolboxtesting.h"

using namespace toolbox_testing;

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& theStream, const Rgb& theRgb)
{
    return theStream << "rgb(" << theRgb.r << ", " << theRgb.g << ", " << theRgb.b << ")";
}

constexpr Rgb cBlack{0, 0, 0}, cWhite{255, 255, 255};

Rgb PixelAt(WindowRef theWindow, int h, int v)
{
    PixMapHandle thePixMap = GetPortPixMap(GetWindowPort(theWindow));
    const UInt8* thePixel = reinterpret_cast<const UInt8*>(GetPixBaseAddr(thePixMap)) +
                            static_cast<long>(v) * GetPixRowBytes(thePixMap) + 4 * h;
    return Rgb{thePixel[1], thePixel[2], thePixel[3]};
}

void PaintWindowArea(WindowRef theWindow, const Rect& theArea, const RGBColor& theColor)
{
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(GetWindowPort(theWindow), nullptr);
    RGBForeColor(&theColor);
    PaintRect(&theArea);
    SetGWorld(theSavedPort, theSavedDevice);
}

// A solid image of the given size and colour, made through a buffer as the plug-in makes them.
CGImageRef SolidImage(SInt16 theWidth, SInt16 theHeight, const RGBColor& theColor)
{
    Rect theRect;
    SetRect(&theRect, 0, 0, theWidth, theHeight);
    GWorldPtr theBuffer = AllocateRectGWorld(theRect);
    EXPECT_NE(theBuffer, nullptr);
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(theBuffer, nullptr);
    RGBForeColor(&theColor);
    PaintRect(&theRect);
    SetGWorld(theSavedPort, theSavedDevice);
    CGImageRef theImage = GWorld2CGImage(theBuffer);
    DisposeGWorld(theBuffer);
    return theImage;
}

class Boxes : public ToolboxTest {
protected:
    void SetUp() override
    {
        ToolboxTest::SetUp();
        ASSERT_EQ(RegisterColorBox(), noErr);
        ASSERT_EQ(RegisterPictureControl(), noErr);
        CFBundleRef theBundle = nullptr;
        ASSERT_EQ(GlintRegisterBundle((SourceDir() + "/tests/dialog/BoxesBundle.bundle").c_str(), &theBundle), noErr);
        IBNibRef theNib = nullptr;
        ASSERT_EQ(CreateNibReferenceWithCFBundle(theBundle, CFSTR("boxes"), &theNib), noErr);
        ASSERT_EQ(CreateWindowFromNib(theNib, CFSTR("boxes"), &mWindow), noErr);
        DisposeNibReference(theNib);
        mRecorder.Install(mWindow);
        for (SInt32 i = 1; i <= 2; ++i) {
            SetControl32BitMinimum(Box(i), 0);
            SetControl32BitMaximum(Box(i), 0xFFFFFF);
        }
        SetControl32BitMinimum(Picture(), INT32_MIN);
        SetControl32BitMaximum(Picture(), INT32_MAX);
        ShowWindow(mWindow);
    }

    void TearDown() override
    {
        if (mWindow) DisposeWindow(mWindow);
        UnregisterPictureControl();
        UnregisterColorBox();
        ToolboxTest::TearDown();
    }

    ControlRef Box(SInt32 theNumber) { return Control(mWindow, "Colr", theNumber); }
    ControlRef Picture() { return Control(mWindow, "Pict", 1); }
    Rect Bounds(ControlRef theControl)
    {
        Rect theBounds;
        GetControlBounds(theControl, &theBounds);
        return theBounds;
    }

    // Clicks, then presses OK so that the modal loop ends.
    void RunClicks(std::initializer_list<Point> theClicks)
    {
        for (Point theWhere : theClicks) HeadlessPushClick(theWhere.h, theWhere.v, 0);
        HeadlessPushKey(0x0D, 0);
        RunAppModalLoopForWindow(mWindow);
    }

    WindowRef mWindow = nullptr;
    CommandRecorder mRecorder;
};

TEST_F(Boxes, ColourBoxPaintsItsValueInsideABlackOutline)
{
    SetControl32BitValue(Box(1), 0xFF8000);
    Draw1Control(Box(1));
    const Rect theBounds = Bounds(Box(1));
    // 0xFF becomes 0xFF00 on the way to the port, which shows it as 0xFF again.
    EXPECT_EQ(PixelAt(mWindow, theBounds.left + 5, theBounds.top + 5), (Rgb{0xFF, 0x80, 0x00}));
    EXPECT_EQ(PixelAt(mWindow, theBounds.right - 2, theBounds.bottom - 2), (Rgb{0xFF, 0x80, 0x00}));
    for (Point theEdge : {Point{theBounds.top, theBounds.left}, Point{static_cast<SInt16>(theBounds.bottom - 1), 30},
                          Point{30, static_cast<SInt16>(theBounds.right - 1)}})
        EXPECT_EQ(PixelAt(mWindow, theEdge.h, theEdge.v), cBlack) << theEdge.h << "," << theEdge.v;
}

TEST_F(Boxes, InactiveOrDisabledColourBoxIsErasedToTheBackground)
{
    SetControl32BitValue(Box(1), 0x00FF00);
    const Rect theBounds = Bounds(Box(1));
    const Rgb theBackground = PixelAt(mWindow, 2, 2);
    for (bool theDisable : {false, true}) {
        SCOPED_TRACE(theDisable ? "disabled" : "inactive");
        PaintWindowArea(mWindow, theBounds, RGBColor{0, 0, 0xFFFF});
        if (theDisable) {
            ActivateControl(Box(1));
            DisableControl(Box(1));
        } else {
            DeactivateControl(Box(1));
        }
        Draw1Control(Box(1));
        for (int v = theBounds.top; v < theBounds.bottom; ++v)
            for (int h = theBounds.left; h < theBounds.right; ++h) ASSERT_EQ(PixelAt(mWindow, h, v), theBackground);
    }
}

TEST_F(Boxes, PickedColourKeepsTheHighBytesAndTheClickGoesOn)
{
    SetControl32BitValue(Box(1), 0x000000);
    const RGBColor thePicked{0x1234, 0xABCD, 0x00FF};
    HeadlessPushColorPickerAnswer(&thePicked);
    RunClicks({CentreOf(Box(1))});
    EXPECT_EQ(GetControl32BitValue(Box(1)), 0x12AB00);
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Col1", "ok  "}));
    EXPECT_EQ(PixelAt(mWindow, Bounds(Box(1)).left + 5, Bounds(Box(1)).top + 5), (Rgb{0x12, 0xAB, 0x00}));
}

TEST_F(Boxes, CancelledPickKeepsTheValueButStillSendsTheCommand)
{
    SetControl32BitValue(Box(2), 0x336699);
    HeadlessPushColorPickerCancel();
    RunClicks({CentreOf(Box(2))});
    EXPECT_EQ(GetControl32BitValue(Box(2)), 0x336699);
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Col2", "ok  "}));
}

TEST_F(Boxes, ClickBesideABoxIsNoHit)
{
    const Rect theBounds = Bounds(Box(1));
    RunClicks({Point{static_cast<SInt16>(theBounds.bottom + 2), theBounds.left},
               Point{theBounds.top, static_cast<SInt16>(theBounds.right)}});
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"ok  "}));
}

TEST(ColorPicker, GivesThePickOrLeavesTheOutputAlone)
{
    HeadlessClearScript();
    RGBColor theOut{1, 2, 3};
    HeadlessPushColorPickerCancel();
    EXPECT_FALSE(UseColorPicker(Point{0, 0}, PSTR("Please choose color:"), RGBColor{0xFF00, 0, 0}, &theOut));
    EXPECT_EQ(theOut.red, 1);
    EXPECT_EQ(theOut.blue, 3);
    const RGBColor thePicked{0xFFFF, 0x8000, 0x0001};
    HeadlessPushColorPickerAnswer(&thePicked);
    EXPECT_TRUE(UseColorPicker(Point{0, 0}, PSTR("Please choose color:"), RGBColor{0xFF00, 0, 0}, &theOut));
    EXPECT_EQ(theOut.red, 0xFFFF);
    EXPECT_EQ(theOut.green, 0x8000);
    EXPECT_EQ(theOut.blue, 0x0001);
}

TEST_F(Boxes, PictureWithoutImageIsAWhiteOutlinedBox)
{
    const Rect theBounds = Bounds(Picture());
    PaintWindowArea(mWindow, theBounds, RGBColor{0, 0xFFFF, 0});
    Draw1Control(Picture());
    EXPECT_EQ(PixelAt(mWindow, theBounds.left, theBounds.top), cBlack);
    EXPECT_EQ(PixelAt(mWindow, theBounds.right - 1, theBounds.bottom - 1), cBlack);
    for (int v = theBounds.top + 1; v < theBounds.bottom - 1; ++v)
        for (int h = theBounds.left + 1; h < theBounds.right - 1; ++h) ASSERT_EQ(PixelAt(mWindow, h, v), cWhite);
}

TEST_F(Boxes, PictureIsDrawnWithItsProportionsCentredInTheBox)
{
    // 80 x 20 in the 120 x 80 box: 120 x 30, a band across the middle.
    CGImageRef theImage = SolidImage(80, 20, RGBColor{0xFF00, 0, 0});
    ASSERT_NE(theImage, nullptr);
    const Rect theBounds = Bounds(Picture());
    Rect theExpected = CalcProportionalImageForFrame(theImage, theBounds);
    CenterRectInRect(&theExpected, theBounds);
    EXPECT_EQ(theExpected.top, theBounds.top + 25);
    EXPECT_EQ(theExpected.bottom, theBounds.top + 55);
    SetControl32BitValue(Picture(), PictureControlValueOf(theImage));
    EXPECT_EQ(PictureControlImageOf(GetControl32BitValue(Picture())), theImage);
    Draw1Control(Picture());
    // Inside the expected rectangle the image; beside it, inside the outline, white.
    Rect theInside = theExpected;
    SectRect(&theInside, &theBounds, &theInside);
    InsetRect(&theInside, 2, 2);
    EXPECT_EQ(PixelAt(mWindow, theInside.left, theInside.top), (Rgb{0xFF, 0, 0}));
    EXPECT_EQ(PixelAt(mWindow, theInside.right - 1, theInside.bottom - 1), (Rgb{0xFF, 0, 0}));
    EXPECT_EQ(PixelAt(mWindow, (theBounds.left + theBounds.right) / 2, (theBounds.top + theBounds.bottom) / 2),
              (Rgb{0xFF, 0, 0}));
    const int theMiddle = (theBounds.left + theBounds.right) / 2;
    EXPECT_EQ(PixelAt(mWindow, theMiddle, theExpected.top - 1), cWhite);
    EXPECT_EQ(PixelAt(mWindow, theMiddle, theExpected.bottom), cWhite);
    EXPECT_EQ(PixelAt(mWindow, theMiddle, theExpected.top + 1), (Rgb{0xFF, 0, 0}));
    EXPECT_EQ(PixelAt(mWindow, theMiddle, theExpected.bottom - 2), (Rgb{0xFF, 0, 0}));
    EXPECT_EQ(PixelAt(mWindow, theBounds.left, theBounds.top), cBlack);
    SetControl32BitValue(Picture(), 0);
    CGImageRelease(theImage);
}

TEST_F(Boxes, PressedPictureIsInvertedAfterItsOutline)
{
    const Rect theBounds = Bounds(Picture());
    HiliteControl(Picture(), kControlContentPart);
    Draw1Control(Picture());
    EXPECT_EQ(PixelAt(mWindow, theBounds.left, theBounds.top), cWhite);
    EXPECT_EQ(PixelAt(mWindow, theBounds.left + 10, theBounds.top + 10), cBlack);
    HiliteControl(Picture(), kControlNoPart);
}

TEST_F(Boxes, InactiveOrDisabledPictureDrawsNothing)
{
    const Rect theBounds = Bounds(Picture());
    const Rgb theGreen{0, 0xFF, 0};
    for (bool theDisable : {false, true}) {
        SCOPED_TRACE(theDisable ? "disabled" : "inactive");
        if (theDisable) {
            ActivateControl(Picture());
            DisableControl(Picture());
        } else {
            DeactivateControl(Picture());
        }
        PaintWindowArea(mWindow, theBounds, RGBColor{0, 0xFFFF, 0});
        Draw1Control(Picture());
        for (int v = theBounds.top; v < theBounds.bottom; ++v)
            for (int h = theBounds.left; h < theBounds.right; ++h) ASSERT_EQ(PixelAt(mWindow, h, v), theGreen);
    }
}

TEST_F(Boxes, PictureClickGoesOnToTheWindow)
{
    RunClicks({CentreOf(Picture())});
    EXPECT_EQ(mRecorder.commands, (std::vector<std::string>{"Pict", "ok  "}));
}

TEST(PictureValues, UnknownNumbersAreNoImage)
{
    EXPECT_EQ(PictureControlValueOf(nullptr), 0);
    EXPECT_EQ(PictureControlImageOf(0), nullptr);
    if constexpr (sizeof(void*) > 4) {
        EXPECT_EQ(PictureControlImageOf(12345), nullptr);
        EXPECT_EQ(PictureControlImageOf(-1), nullptr);
    }
}

} // namespace
