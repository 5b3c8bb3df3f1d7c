// Drawing of the window background and the standard controls: flat shapes on a light window,
// a blue accent for what is on or chosen, anti-aliased shapes and the baked 12-pixel font.
#include "controldraw.h"

#include "Alerts.h"
#include "grafport.h"

#include <algorithm>

namespace toolbox_internal {

namespace {

constexpr RGBColor cText = {0x1E1E, 0x1E1E, 0x1E1E};
constexpr RGBColor cDisabledText = {0x9A9A, 0x9A9A, 0x9A9A};
constexpr RGBColor cWhite = {0xFFFF, 0xFFFF, 0xFFFF};
constexpr RGBColor cFace = {0xFFFF, 0xFFFF, 0xFFFF};
constexpr RGBColor cPressedFace = {0xD9D9, 0xD9D9, 0xD9D9};
constexpr RGBColor cDisabledFace = {0xF6F6, 0xF6F6, 0xF5F5};
constexpr RGBColor cEdge = {0xA5A5, 0xA5A5, 0xA5A5};
constexpr RGBColor cDisabledEdge = {0xD0D0, 0xD0D0, 0xD0D0};
constexpr RGBColor cGroove = {0xC8C8, 0xC8C8, 0xC8C8};
constexpr RGBColor cGroupEdge = {0xC4C4, 0xC3C3, 0xC1C1};
constexpr RGBColor cAccent = {0x2F2F, 0x7B7B, 0xF5F5};
constexpr RGBColor cPressedAccent = {0x1F1F, 0x5C5C, 0xC0C0};
constexpr RGBColor cAccentEdge = {0x2424, 0x6666, 0xD0D0};
constexpr RGBColor cShadow = {0xB0B0, 0xAFAF, 0xADAD};
constexpr RGBColor cStopRed = {0xE0E0, 0x4444, 0x3E3E};
constexpr RGBColor cCautionAmber = {0xF5F5, 0xB8B8, 0x2E2E};
constexpr SInt16 cCorner = 8;

// Keeps the current port's pen, colours, text settings and clip, and puts them back.
class PortState {
public:
    PortState() : mPort(quickdraw_internal::CurrentPort())
    {
        if (mPort) mSaved = *mPort;
        TextFont(systemFont);
        TextSize(cTextSize);
        TextFace(normal);
        PenNormal();
    }
    ~PortState()
    {
        if (!mPort) return;
        mPort->foreColor = mSaved.foreColor;
        mPort->backColor = mSaved.backColor;
        mPort->penLocation = mSaved.penLocation;
        mPort->penSize = mSaved.penSize;
        mPort->penMode = mSaved.penMode;
        mPort->textFont = mSaved.textFont;
        mPort->textSize = mSaved.textSize;
        mPort->textFace = mSaved.textFace;
        mPort->clip = mSaved.clip;
    }
    PortState(const PortState&) = delete;
    PortState& operator=(const PortState&) = delete;

    // Drawing stays inside theRect (and inside the clip that was set before).
    void ClipTo(const Rect& theRect)
    {
        Rect theClip;
        if (!mPort || !SectRect(&theRect, &mSaved.clip, &theClip)) theClip = Rect{0, 0, 0, 0};
        ClipRect(&theClip);
    }

private:
    CGrafPtr mPort;
    OpaqueGrafPort mSaved{};
};

bool IsLive(ControlRef theControl)
{
    return theControl->enabled && theControl->active;
}

void Fill(const Rect& theRect, const RGBColor& theColor, SInt16 theCorner = 0)
{
    RGBForeColor(&theColor);
    if (theCorner > 0)
        PaintRoundRect(&theRect, theCorner, theCorner);
    else
        PaintRect(&theRect);
}

void Frame(const Rect& theRect, const RGBColor& theColor, SInt16 theCorner = 0)
{
    RGBForeColor(&theColor);
    if (theCorner > 0)
        FrameRoundRect(&theRect, theCorner, theCorner);
    else
        FrameRect(&theRect);
}

void EraseWithBackground(const Rect& theRect)
{
    RGBBackColor(&cWindowBackground);
    EraseRect(&theRect);
}

void DrawTextAt(const std::string& theText, SInt16 h, SInt16 theBaseline, const RGBColor& theColor)
{
    RGBForeColor(&theColor);
    MoveTo(h, theBaseline);
    DrawText(theText.data(), 0, static_cast<SInt16>(std::min<size_t>(theText.size(), 255)));
}

// The baseline that centres one line of text vertically in theRect.
SInt16 CentredBaseline(const Rect& theRect)
{
    FontInfo theInfo;
    GetFontInfo(&theInfo);
    return static_cast<SInt16>(theRect.top + (theRect.bottom - theRect.top - theInfo.ascent - theInfo.descent) / 2 +
                               theInfo.ascent);
}

// A text cut with an ellipsis where it is wider than theWidth.
std::string Fitted(const std::string& theText, SInt16 theWidth)
{
    if (TextWidthOf(theText) <= theWidth) return theText;
    std::string theCut = theText;
    while (!theCut.empty() && TextWidthOf(theCut + "\xC9") > theWidth) theCut.pop_back();
    return theCut + "\xC9"; // Mac Roman ellipsis
}

// A white check mark in theBox.
void DrawCheckMark(const Rect& theBox, const RGBColor& theColor)
{
    RGBForeColor(&theColor);
    PenSize(2, 2);
    const SInt16 theLeft = theBox.left, theTop = theBox.top;
    const SInt16 theSide = static_cast<SInt16>(theBox.right - theBox.left);
    MoveTo(static_cast<SInt16>(theLeft + theSide * 3 / 14), static_cast<SInt16>(theTop + theSide * 7 / 14));
    LineTo(static_cast<SInt16>(theLeft + theSide * 5 / 14), static_cast<SInt16>(theTop + theSide * 9 / 14));
    LineTo(static_cast<SInt16>(theLeft + theSide * 10 / 14), static_cast<SInt16>(theTop + theSide * 3 / 14));
    PenSize(1, 1);
}

// Up and down chevrons, one above the other, centred on (h, v).
void DrawChevrons(SInt16 h, SInt16 v, const RGBColor& theColor)
{
    RGBForeColor(&theColor);
    for (SInt16 k = 0; k < 3; ++k) {
        MoveTo(static_cast<SInt16>(h - k), static_cast<SInt16>(v - 5 + k));
        LineTo(static_cast<SInt16>(h + k), static_cast<SInt16>(v - 5 + k));
        MoveTo(static_cast<SInt16>(h - k), static_cast<SInt16>(v + 4 - k));
        LineTo(static_cast<SInt16>(h + k), static_cast<SInt16>(v + 4 - k));
    }
}

// A popup's box: its title, if any, sits left of it.
Rect PopupBox(ControlRef thePopup)
{
    Rect theBox = thePopup->bounds;
    if (!thePopup->title.empty())
        theBox.left = std::min<SInt16>(theBox.right, static_cast<SInt16>(theBox.left + TextWidthOf(thePopup->title) + 8));
    return theBox;
}

std::string ChosenItem(ControlRef thePopup)
{
    SInt32 theItem = thePopup->value;
    return theItem >= 1 && theItem <= static_cast<SInt32>(thePopup->items.size()) ? thePopup->items[theItem - 1] : "";
}

} // namespace

void DrawWindowBackground(WindowRef theWindow)
{
    PortState theState;
    Rect theBounds;
    GetPortBounds(theWindow->port, &theBounds);
    EraseWithBackground(theBounds);
}

void EraseControlArea(WindowRef, const Rect& theArea)
{
    PortState theState;
    EraseWithBackground(theArea);
}

void DrawPushButton(ControlRef theControl)
{
    PortState theState;
    theState.ClipTo(theControl->bounds);
    const bool theLive = IsLive(theControl);
    const bool thePressed = theControl->pressedPart != kControlNoPart && theLive;
    const bool theDefault = theControl->owner->defaultButton == theControl && theLive;
    EraseWithBackground(theControl->bounds);

    // The face sits one pixel above the bottom, where a shadow line shows.
    Rect theFace = theControl->bounds;
    const Rect theShadow = theFace;
    theFace.bottom = static_cast<SInt16>(theFace.bottom - 1);
    if (theLive) Fill(theShadow, cShadow, cCorner);
    if (theDefault) {
        Fill(theFace, thePressed ? cPressedAccent : cAccent, cCorner);
        Frame(theFace, cAccentEdge, cCorner);
    } else {
        Fill(theFace, !theLive ? cDisabledFace : thePressed ? cPressedFace : cFace, cCorner);
        Frame(theFace, theLive ? cEdge : cDisabledEdge, cCorner);
    }
    const SInt16 theRoom = static_cast<SInt16>(theFace.right - theFace.left - 12);
    const std::string theTitle = Fitted(theControl->title, theRoom);
    const SInt16 theLeft =
        static_cast<SInt16>(theFace.left + (theFace.right - theFace.left - TextWidthOf(theTitle)) / 2);
    DrawTextAt(theTitle, theLeft, CentredBaseline(theFace),
               theDefault ? cWhite : theLive ? cText : cDisabledText);
}

void DrawCheckBox(ControlRef theControl)
{
    PortState theState;
    theState.ClipTo(theControl->bounds);
    const bool theLive = IsLive(theControl);
    const bool thePressed = theControl->pressedPart != kControlNoPart && theLive;
    EraseWithBackground(theControl->bounds);
    Rect theBox = CheckBoxBox(theControl);
    if (theControl->value != 0) {
        Fill(theBox, !theLive ? cDisabledEdge : thePressed ? cPressedAccent : cAccent, 5);
        if (theControl->value == 1) {
            DrawCheckMark(theBox, cWhite);
        } else { // mixed
            Rect theBar{static_cast<SInt16>((theBox.top + theBox.bottom) / 2 - 1), static_cast<SInt16>(theBox.left + 3),
                        static_cast<SInt16>((theBox.top + theBox.bottom) / 2 + 1), static_cast<SInt16>(theBox.right - 3)};
            Fill(theBar, cWhite);
        }
    } else {
        Fill(theBox, !theLive ? cDisabledFace : thePressed ? cPressedFace : cFace, 5);
        Frame(theBox, theLive ? cEdge : cDisabledEdge, 5);
    }
    DrawTextAt(theControl->title, static_cast<SInt16>(theBox.right + 6), CentredBaseline(theControl->bounds),
               theLive ? cText : cDisabledText);
}

void DrawPopupMenu(ControlRef theControl)
{
    PortState theState;
    theState.ClipTo(theControl->bounds);
    const bool theLive = IsLive(theControl);
    const bool thePressed = theControl->pressedPart != kControlNoPart && theLive;
    EraseWithBackground(theControl->bounds);
    if (!theControl->title.empty())
        DrawTextAt(theControl->title, theControl->bounds.left, CentredBaseline(theControl->bounds),
                   theLive ? cText : cDisabledText);

    Rect theFace = PopupBox(theControl);
    Rect theShadow = theFace;
    theFace.bottom = static_cast<SInt16>(theFace.bottom - 1);
    if (theLive) Fill(theShadow, cShadow, cCorner);
    Fill(theFace, !theLive ? cDisabledFace : thePressed ? cPressedFace : cFace, cCorner);
    Frame(theFace, theLive ? cEdge : cDisabledEdge, cCorner);

    // The arrows sit on a blue end cap.
    Rect theCap{static_cast<SInt16>(theFace.top + 2), static_cast<SInt16>(theFace.right - 18),
                static_cast<SInt16>(theFace.bottom - 2), static_cast<SInt16>(theFace.right - 2)};
    if (theCap.left > theFace.left + 4) {
        Fill(theCap, theLive ? (thePressed ? cPressedAccent : cAccent) : cDisabledEdge, 6);
        DrawChevrons(static_cast<SInt16>((theCap.left + theCap.right) / 2), static_cast<SInt16>((theCap.top + theCap.bottom) / 2),
                     cWhite);
    }
    const SInt16 theRoom = static_cast<SInt16>(theCap.left - theFace.left - 12);
    DrawTextAt(Fitted(ChosenItem(theControl), theRoom), static_cast<SInt16>(theFace.left + 8), CentredBaseline(theFace),
               theLive ? cText : cDisabledText);
}

void DrawSlider(ControlRef theControl)
{
    PortState theState;
    theState.ClipTo(theControl->bounds);
    const bool theLive = IsLive(theControl);
    const bool thePressed = theControl->pressedPart != kControlNoPart && theLive;
    EraseWithBackground(theControl->bounds);
    Rect theGroove = SliderGroove(theControl);
    InsetRect(&theGroove, -2, 0);
    Fill(theGroove, cGroove, 4);
    Rect theThumb = SliderThumb(theControl);
    Rect theFilled = theGroove;
    theFilled.right = static_cast<SInt16>((theThumb.left + theThumb.right) / 2);
    if (theFilled.right > theFilled.left) Fill(theFilled, theLive ? cAccent : cDisabledEdge, 4);

    Rect theShadow = theThumb;
    OffsetRect(&theShadow, 0, 1);
    if (theLive) Fill(theShadow, cShadow, cThumbWidth);
    Fill(theThumb, !theLive ? cDisabledFace : thePressed ? cPressedFace : cFace, cThumbWidth);
    Frame(theThumb, theLive ? cEdge : cDisabledEdge, cThumbWidth);
}

void DrawStaticText(ControlRef theControl)
{
    PortState theState;
    theState.ClipTo(theControl->bounds);
    EraseWithBackground(theControl->bounds);
    if (theControl->bold) TextFace(bold);
    FontInfo theInfo;
    GetFontInfo(&theInfo);
    const SInt16 theLineHeight = LineHeight();
    SInt16 theBaseline = static_cast<SInt16>(theControl->bounds.top + theInfo.ascent);
    for (const std::string& theLine :
         WrapText(theControl->title, static_cast<SInt16>(theControl->bounds.right - theControl->bounds.left))) {
        DrawTextAt(theLine, theControl->bounds.left, theBaseline, theControl->enabled ? cText : cDisabledText);
        theBaseline = static_cast<SInt16>(theBaseline + theLineHeight);
    }
}

void DrawGroupBox(ControlRef theControl)
{
    PortState theState;
    theState.ClipTo(theControl->bounds);
    Rect theFrame = theControl->bounds;
    if (!theControl->title.empty()) {
        FontInfo theInfo;
        GetFontInfo(&theInfo);
        Rect theTitleArea = theFrame;
        theTitleArea.bottom = static_cast<SInt16>(theFrame.top + LineHeight());
        EraseWithBackground(theTitleArea);
        TextFace(bold);
        DrawTextAt(theControl->title, static_cast<SInt16>(theFrame.left + 2), static_cast<SInt16>(theFrame.top + theInfo.ascent),
                   theControl->enabled ? cText : cDisabledText);
        TextFace(normal);
        theFrame.top = static_cast<SInt16>(theTitleArea.bottom + 2);
    }
    Frame(theFrame, cGroupEdge, 10);
}

void DrawAlertIcon(ControlRef theControl)
{
    PortState theState;
    theState.ClipTo(theControl->bounds);
    EraseWithBackground(theControl->bounds);
    const Rect& theBounds = theControl->bounds;
    const char* theMark = "!";
    switch (theControl->value) {
    case kAlertStopAlert: Fill(theBounds, cStopRed, 64); break;
    case kAlertCautionAlert: Fill(theBounds, cCautionAmber, 14); break;
    default:
        Fill(theBounds, cAccent, 64);
        theMark = "i";
        break;
    }
    TextSize(24);
    TextFace(bold);
    const std::string theText = theMark;
    FontInfo theInfo;
    GetFontInfo(&theInfo);
    const SInt16 theLeft = static_cast<SInt16>((theBounds.left + theBounds.right - TextWidthOf(theText)) / 2);
    const SInt16 theBaseline = static_cast<SInt16>(
        (theBounds.top + theBounds.bottom - theInfo.ascent - theInfo.descent) / 2 + theInfo.ascent);
    DrawTextAt(theText, theLeft, theBaseline, theControl->value == kAlertCautionAlert ? cText : cWhite);
}

void DrawSwatch(ControlRef theControl)
{
    PortState theState;
    theState.ClipTo(theControl->bounds);
    const UInt32 theValue = static_cast<UInt32>(theControl->value);
    const RGBColor theColor{static_cast<UInt16>(((theValue >> 16) & 0xFF) * 257),
                            static_cast<UInt16>(((theValue >> 8) & 0xFF) * 257), static_cast<UInt16>((theValue & 0xFF) * 257)};
    Fill(theControl->bounds, theColor);
    Frame(theControl->bounds, cEdge);
    Rect theInner = theControl->bounds;
    InsetRect(&theInner, 1, 1);
    Frame(theInner, cWhite);
}

void DrawTextField(ControlRef theControl)
{
    PortState theState;
    theState.ClipTo(theControl->bounds);
    const bool theFocused = theControl->owner->focus == theControl && IsLive(theControl);
    Fill(theControl->bounds, cWhite);
    if (theFocused) {
        PenSize(2, 2);
        Frame(theControl->bounds, cAccent);
        PenSize(1, 1);
    } else {
        Frame(theControl->bounds, cEdge);
    }
    const SInt16 theLeft = static_cast<SInt16>(theControl->bounds.left + 6);
    const SInt16 theBaseline = CentredBaseline(theControl->bounds);
    const std::string& theText = theControl->title;
    const size_t theStart = static_cast<size_t>(theControl->selStart), theEnd = static_cast<size_t>(theControl->selEnd);
    if (!theFocused || theStart >= theEnd || theEnd > theText.size()) {
        DrawTextAt(theText, theLeft, theBaseline, IsLive(theControl) ? cText : cDisabledText);
    } else {
        // The selected characters white on the accent colour, the others as usual.
        const SInt16 theSelLeft = static_cast<SInt16>(theLeft + TextWidthOf(theText.substr(0, theStart)));
        const SInt16 theSelRight = static_cast<SInt16>(theSelLeft + TextWidthOf(theText.substr(theStart, theEnd - theStart)));
        Fill(Rect{static_cast<SInt16>(theControl->bounds.top + 4), static_cast<SInt16>(theSelLeft - 1),
                  static_cast<SInt16>(theControl->bounds.bottom - 4), static_cast<SInt16>(theSelRight + 1)},
             cAccent);
        DrawTextAt(theText.substr(0, theStart), theLeft, theBaseline, cText);
        DrawTextAt(theText.substr(theStart, theEnd - theStart), theSelLeft, theBaseline, cWhite);
        DrawTextAt(theText.substr(theEnd), theSelRight, theBaseline, cText);
    }
    if (theFocused && theStart == theEnd) {
        FontInfo theInfo;
        GetFontInfo(&theInfo);
        const SInt16 theCaret = static_cast<SInt16>(theLeft + TextWidthOf(theText.substr(0, std::min(theEnd, theText.size()))) + 1);
        RGBForeColor(&cText);
        MoveTo(theCaret, static_cast<SInt16>(theBaseline - theInfo.ascent + 1));
        LineTo(theCaret, static_cast<SInt16>(theBaseline + theInfo.descent - 1));
    }
}

void DrawMenuList(ControlRef thePopup, const MenuLayout& theLayout, SInt16 theHover)
{
    PortState theState;
    Rect theShadow = theLayout.frame;
    OffsetRect(&theShadow, 0, cMenuShadow);
    Fill(theShadow, cShadow, 10);
    Fill(theLayout.frame, cWhite, 10);
    Frame(theLayout.frame, cEdge, 10);
    for (SInt16 i = 1; i <= theLayout.itemCount; ++i) {
        Rect theItem = theLayout.ItemRect(i);
        InsetRect(&theItem, 4, 0);
        const bool theLit = i == theHover;
        if (theLit) Fill(theItem, cAccent, 6);
        if (i == thePopup->value) {
            Rect theMark{static_cast<SInt16>(theItem.top + 3), static_cast<SInt16>(theItem.left + 4),
                         static_cast<SInt16>(theItem.bottom - 3), static_cast<SInt16>(theItem.left + 16)};
            DrawCheckMark(theMark, theLit ? cWhite : cText);
        }
        DrawTextAt(Fitted(thePopup->items[static_cast<size_t>(i - 1)], static_cast<SInt16>(theItem.right - theItem.left - 28)),
                   static_cast<SInt16>(theItem.left + 20), CentredBaseline(theItem), theLit ? cWhite : cText);
    }
}

void DrawStandardControl(ControlRef theControl)
{
    switch (theControl->kind) {
    case ControlKind::PushButton: DrawPushButton(theControl); break;
    case ControlKind::CheckBox: DrawCheckBox(theControl); break;
    case ControlKind::PopupMenu: DrawPopupMenu(theControl); break;
    case ControlKind::Slider: DrawSlider(theControl); break;
    case ControlKind::StaticText: DrawStaticText(theControl); break;
    case ControlKind::GroupBox: DrawGroupBox(theControl); break;
    case ControlKind::AlertIcon: DrawAlertIcon(theControl); break;
    case ControlKind::Swatch: DrawSwatch(theControl); break;
    case ControlKind::TextField: DrawTextField(theControl); break;
    case ControlKind::Custom: break;
    }
}

} // namespace toolbox_internal
