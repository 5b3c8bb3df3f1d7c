#include "clipCTRL.h"

#include "PluginWorkspace.h"
#include "carbonmacros.h"
#include "toolboxtesting.h"

#include <initializer_list>

using namespace toolbox_testing;

namespace {

constexpr const char* cRegionBundleID = "org.glintweave.regiontest";
constexpr RGBColor cRed{0xFFFF, 0, 0};
constexpr RGBColor cBlue{0, 0, 0xFFFF};
constexpr UInt32 cRedPixel = 0xFFFF0000;
constexpr UInt32 cBluePixel = 0xFF0000FF;
constexpr UInt32 cBlackPixel = 0xFF000000;
constexpr UInt32 cWhitePixel = 0xFFFFFFFF;

Rect MakeRect(SInt16 theLeft, SInt16 theTop, SInt16 theRight, SInt16 theBottom)
{
    Rect theRect;
    SetRect(&theRect, theLeft, theTop, theRight, theBottom);
    return theRect;
}

void QuitLoop(void* theWindow)
{
    QuitAppModalLoopForWindow(static_cast<WindowRef>(theWindow));
}

// A 320 by 240 control at (20, 20) over a blue preview; the region is the middle half,
// (100, 80) to (260, 200) in the window.
class RegionControl : public ToolboxTest {
protected:
    void SetUp() override
    {
        ToolboxTest::SetUp();
        CFBundleRef theBundle = nullptr;
        ASSERT_EQ(GlintRegisterBundle((SourceDir() + "/tests/dialog/RegionTest.bundle").c_str(), &theBundle), noErr);
        ASSERT_EQ(RegisterClipCTRL(), noErr);
        mConfig.startRel = relRect{0.25, 0.75, 0.25, 0.75};
        mConfig.frameStartColor = cRed;
        Rect thePreviewRect = MakeRect(0, 0, 160, 120);
        ASSERT_EQ(NewGWorld(&mPreview, 32, &thePreviewRect, nullptr, nullptr, 0), noErr);
        CGrafPtr theSavedPort;
        GDHandle theSavedDevice;
        GetGWorld(&theSavedPort, &theSavedDevice);
        SetGWorld(mPreview, nullptr);
        RGBForeColor(&cBlue);
        PaintRect(&thePreviewRect);
        SetGWorld(theSavedPort, theSavedDevice);

        mWindow = OpenNibWindowFromCFBundle(cRegionBundleID, "regiontest", "region");
        mControl = SimpleGetControlByID(mWindow, FOUR_CHAR_CODE("Clip"), 1);
        ASSERT_NE(mControl, nullptr);
        gConfigWorkspace = pluginWorkSpace{};
        gConfigWorkspace.theConfig = &mConfig;
        gTheConfig = &mConfig;
        gConfigWorkspace.theFXClip = mPreview;
        gConfigWorkspace.theWindow = mWindow;
        gConfigWorkspace.theFrameCtrl = mControl;
        gConfigWorkspace.activeRel = 1;
        ShowWindow(mWindow);
    }

    void TearDown() override
    {
        if (mWindow) DisposeWindow(mWindow);
        EXPECT_EQ(UnregisterClipCTRL(), noErr);
        if (mPreview) DisposeGWorld(mPreview);
        ToolboxTest::TearDown();
    }

    // Press at theFrom with theModifiers, move through thePath (each step carrying
    // theDragModifiers), release at the last point.
    void Drag(Point theFrom, std::initializer_list<Point> thePath, UInt32 theModifiers = 0,
              UInt32 theDragModifiers = 0)
    {
        HeadlessPushMouseDown(theFrom.h, theFrom.v, theModifiers);
        Point theLast = theFrom;
        for (Point thePoint : thePath) {
            HeadlessPushMouseDrag(thePoint.h, thePoint.v, theDragModifiers);
            theLast = thePoint;
        }
        HeadlessPushMouseUp(theLast.h, theLast.v, theDragModifiers);
        HeadlessPushCallback(QuitLoop, mWindow);
        EXPECT_EQ(RunAppModalLoopForWindow(mWindow), noErr);
    }

    void ExpectRegion(const Rect& theExpected)
    {
        const relRect theRel = Rect2Rel(theExpected, GetControlBox(mControl));
        EXPECT_DOUBLE_EQ(mConfig.startRel.left, theRel.left);
        EXPECT_DOUBLE_EQ(mConfig.startRel.top, theRel.top);
        EXPECT_DOUBLE_EQ(mConfig.startRel.right, theRel.right);
        EXPECT_DOUBLE_EQ(mConfig.startRel.bottom, theRel.bottom);
    }

    ControlPartCode HitTest(Point theWhere)
    {
        EventRef theEvent = nullptr;
        CreateEvent(nullptr, kEventClassControl, kEventControlHitTest, 0, kEventAttributeNone, &theEvent);
        SetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, sizeof mControl, &mControl);
        SetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, sizeof theWhere, &theWhere);
        EXPECT_EQ(SendEventToEventTarget(theEvent, GetControlEventTarget(mControl)), noErr);
        ControlPartCode thePart = 99;
        GetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, nullptr, sizeof thePart, nullptr,
                          &thePart);
        ReleaseEvent(theEvent);
        return thePart;
    }

    UInt32 PixelAt(SInt16 h, SInt16 v)
    {
        PixMapHandle thePixMap = GetPortPixMap(GetWindowPort(mWindow));
        const UInt8* theBytes =
            reinterpret_cast<const UInt8*>(GetPixBaseAddr(thePixMap)) + v * GetPixRowBytes(thePixMap) + h * 4;
        return (UInt32(theBytes[0]) << 24) | (UInt32(theBytes[1]) << 16) | (UInt32(theBytes[2]) << 8) | theBytes[3];
    }

    pluginDataRec mConfig{};
    GWorldPtr mPreview = nullptr;
    WindowRef mWindow = nullptr;
    ControlRef mControl = nullptr;
};

bool Near(UInt32 thePixel, UInt32 theColour)
{
    for (int theShift = 0; theShift < 32; theShift += 8) {
        const int theDifference = int((thePixel >> theShift) & 0xFF) - int((theColour >> theShift) & 0xFF);
        if (theDifference > 16 || theDifference < -16) return false;
    }
    return true;
}

Point Pt(SInt16 h, SInt16 v)
{
    return Point{v, h};
}

TEST_F(RegionControl, HitTestFindsHandlesInOrderThenTheRegion)
{
    const struct {
        Point where;
        ControlPartCode part;
    } theCases[] = {
        {Pt(100, 80), 1},  {Pt(94, 74), 1},  {Pt(105, 85), 1}, {Pt(106, 86), 5}, {Pt(93, 80), 0},
        {Pt(260, 80), 2},  {Pt(254, 74), 2}, {Pt(265, 85), 2}, {Pt(266, 80), 0}, {Pt(100, 200), 3},
        {Pt(260, 200), 4}, {Pt(180, 140), 5}, {Pt(300, 140), 0}, {Pt(10, 10), 0},  {Pt(345, 140), 0},
    };
    for (const auto& theCase : theCases)
        EXPECT_EQ(HitTest(theCase.where), theCase.part) << theCase.where.h << "," << theCase.where.v;
    // A region smaller than a handle: the first corner in order wins.
    EXPECT_EQ(IsHandleHit(MakeRect(100, 100, 104, 104), Pt(102, 102)), 1);
    EXPECT_EQ(IsHandleHit(MakeRect(100, 100, 104, 104), Pt(108, 102)), 2);
    EXPECT_EQ(IsHandleHit(MakeRect(100, 100, 104, 104), Pt(102, 108)), 3);
}

TEST_F(RegionControl, CornerDrags)
{
    const struct {
        const char* name;
        Point from;
        Point to;
        UInt32 modifiers;
        UInt32 dragModifiers;
        Boolean keepProps;
        Rect expected;
        relRect start = relRect{0.25, 0.75, 0.25, 0.75};
    } theCases[] = {
        {"bottom-right", Pt(260, 200), Pt(280, 210), 0, 0, false, MakeRect(100, 80, 280, 210)},
        {"top-left", Pt(100, 80), Pt(90, 70), 0, 0, false, MakeRect(90, 70, 260, 200)},
        {"top-right", Pt(260, 80), Pt(250, 100), 0, 0, false, MakeRect(100, 100, 250, 200)},
        {"bottom-left", Pt(100, 200), Pt(120, 190), 0, 0, false, MakeRect(120, 80, 260, 190)},
        {"option about the centre", Pt(260, 200), Pt(270, 205), optionKey, 0, false, MakeRect(90, 75, 270, 205)},
        {"top-left past bottom-right", Pt(100, 80), Pt(300, 240), 0, 0, false, MakeRect(260, 200, 300, 240)},
        // 160 by 120 at the press: the width leads, the height follows.
        {"shift keeps the region's proportions", Pt(260, 200), Pt(300, 205), shiftKey, 0, false,
         MakeRect(100, 80, 300, 230)},
        {"modifiers after the press do nothing", Pt(260, 200), Pt(280, 210), 0, shiftKey | optionKey, false,
         MakeRect(100, 80, 280, 210)},
        // 190 wide at 4:3 is 142.5 high, rounded to 143.
        {"keepProps at 4:3", Pt(260, 200), Pt(290, 215), 0, 0, true, MakeRect(100, 80, 290, 223)},
        // 160 by 60 at the press, which Shift alone would keep.
        {"keepProps prevails over shift", Pt(260, 140), Pt(290, 150), shiftKey, 0, true,
         MakeRect(100, 80, 290, 223), relRect{0.25, 0.75, 0.25, 0.5}},
        {"shift alone", Pt(260, 140), Pt(290, 150), shiftKey, 0, false, MakeRect(100, 80, 290, 151),
         relRect{0.25, 0.75, 0.25, 0.5}},
    };
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(theCase.name);
        mConfig.startRel = theCase.start;
        mConfig.keepProps = theCase.keepProps;
        Drag(theCase.from, {theCase.to}, theCase.modifiers, theCase.dragModifiers);
        ExpectRegion(theCase.expected);
    }
}

TEST_F(RegionControl, DragsOutsideTheControlAreIgnoredUntilTheMouseReturns)
{
    Drag(Pt(260, 200), {Pt(280, 210), Pt(390, 290)});
    ExpectRegion(MakeRect(100, 80, 280, 210));
    mConfig.startRel = relRect{0.25, 0.75, 0.25, 0.75};
    Drag(Pt(260, 200), {Pt(280, 210), Pt(390, 290), Pt(290, 220)});
    ExpectRegion(MakeRect(100, 80, 290, 220));
}

TEST_F(RegionControl, MoveLeavingTheFrameStoresNegativeFractions)
{
    const SInt32 theValueBefore = GetControl32BitValue(mControl);
    Drag(Pt(180, 140), {Pt(160, 140), Pt(60, 130)});
    ExpectRegion(MakeRect(-20, 70, 140, 190));
    EXPECT_LT(mConfig.startRel.left, 0.0);
    // Two steps, two re-renders: the value flipped twice.
    EXPECT_EQ(GetControl32BitValue(mControl), theValueBefore);
}

TEST_F(RegionControl, PressOutsideTheRegionChangesNothing)
{
    Drag(Pt(300, 240), {Pt(200, 100)});
    ExpectRegion(MakeRect(100, 80, 260, 200));
}

TEST_F(RegionControl, DrawingShowsPreviewOutlineAndHandles)
{
    Draw1Control(mControl);
    EXPECT_EQ(PixelAt(180, 140), cBluePixel);   // the preview, scaled to the bounds
    EXPECT_EQ(PixelAt(180, 80), cRedPixel);     // region outline, top edge
    EXPECT_EQ(PixelAt(100, 140), cRedPixel);    // left edge
    EXPECT_EQ(PixelAt(180, 199), cRedPixel);    // bottom edge, inside the rectangle
    EXPECT_EQ(PixelAt(180, 200), cBluePixel);
    EXPECT_EQ(PixelAt(20, 140), cBlackPixel);   // control frame
    EXPECT_EQ(PixelAt(339, 140), cBlackPixel);
    // The three rings of the bottom-right handle along its centre row, square 254..266; the
    // rings are smoothed, so each pixel is close to its colour.
    const struct {
        SInt16 h;
        UInt32 colour;
    } theRings[] = {{254, cBlackPixel}, {255, cWhitePixel}, {256, cBlackPixel},
                    {263, cBlackPixel}, {264, cWhitePixel}, {265, cBlackPixel}};
    for (const auto& theRing : theRings) EXPECT_TRUE(Near(PixelAt(theRing.h, 200), theRing.colour)) << theRing.h;

    gConfigWorkspace.activeRel = 0;
    Draw1Control(mControl);
    EXPECT_EQ(PixelAt(254, 200), cBluePixel);
    EXPECT_EQ(PixelAt(255, 199), cRedPixel);
}

TEST_F(RegionControl, CalcAndKeepImagePropsFitsTheStoredRegion)
{
    mConfig.startRel = relRect{0.25, 0.75, 0.25, 0.5};
    CalcAndKeepImageProps();
    ExpectRegion(MakeRect(100, 80, 260, 140));
    mConfig.keepProps = true;
    mConfig.startRel = relRect{0.25, 0.75, 0.25, 0.5};
    CalcAndKeepImageProps();
    ExpectRegion(MakeRect(100, 80, 260, 200));
}

TEST_F(RegionControl, OtherEventKindsAreNotHandled)
{
    EventRef theEvent = nullptr;
    CreateEvent(nullptr, kEventClassControl, kEventControlDeactivate, 0, kEventAttributeNone, &theEvent);
    SetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, sizeof mControl, &mControl);
    EXPECT_EQ(ClipCTRLControlHandler(nullptr, theEvent, nullptr), eventNotHandledErr);
    ReleaseEvent(theEvent);
}

} // namespace
