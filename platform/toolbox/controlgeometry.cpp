#include "controlgeometry.h"

#include <algorithm>

namespace toolbox_internal {

Rect SliderGroove(ControlRef theSlider)
{
    const Rect& theBounds = theSlider->bounds;
    SInt16 theMiddle = static_cast<SInt16>((theBounds.top + theBounds.bottom) / 2);
    return Rect{static_cast<SInt16>(theMiddle - 2), static_cast<SInt16>(theBounds.left + cThumbWidth / 2),
                static_cast<SInt16>(theMiddle + 2), static_cast<SInt16>(theBounds.right - cThumbWidth / 2)};
}

Rect SliderThumb(ControlRef theSlider)
{
    Rect theGroove = SliderGroove(theSlider);
    SInt64 theSpan = static_cast<SInt64>(theSlider->maximum) - theSlider->minimum;
    SInt64 theTravel = std::max(0, theGroove.right - theGroove.left - 1);
    SInt64 theOffset = theSpan > 0 ? (static_cast<SInt64>(theSlider->value) - theSlider->minimum) * theTravel / theSpan : 0;
    SInt16 theCentre = static_cast<SInt16>(theGroove.left + theOffset);
    SInt16 theMiddle = static_cast<SInt16>((theSlider->bounds.top + theSlider->bounds.bottom) / 2);
    SInt16 theHeight = std::min<SInt16>(cThumbHeight, static_cast<SInt16>(theSlider->bounds.bottom - theSlider->bounds.top));
    SInt16 theTop = static_cast<SInt16>(theMiddle - theHeight / 2);
    return Rect{theTop, static_cast<SInt16>(theCentre - cThumbWidth / 2), static_cast<SInt16>(theTop + theHeight),
                static_cast<SInt16>(theCentre - cThumbWidth / 2 + cThumbWidth)};
}

SInt32 SliderValueAt(ControlRef theSlider, SInt32 theH)
{
    Rect theGroove = SliderGroove(theSlider);
    SInt64 theSpan = static_cast<SInt64>(theSlider->maximum) - theSlider->minimum;
    SInt64 theTravel = theGroove.right - theGroove.left - 1;
    if (theTravel <= 0 || theSpan <= 0) return theSlider->minimum;
    SInt64 theOffset = std::clamp<SInt64>(theH - theGroove.left, 0, theTravel);
    // Rounded to the nearest value, so that every value can be reached on a short slider.
    SInt64 theValue = theSlider->minimum + (theOffset * theSpan * 2 + theTravel) / (theTravel * 2);
    return static_cast<SInt32>(std::clamp<SInt64>(theValue, theSlider->minimum, theSlider->maximum));
}

Rect MenuLayout::ItemRect(SInt16 theItem) const
{
    SInt16 theTop = static_cast<SInt16>(frame.top + cMenuPadding + (theItem - 1) * itemHeight);
    return Rect{theTop, frame.left, static_cast<SInt16>(theTop + itemHeight), frame.right};
}

SInt16 MenuLayout::ItemAt(Point thePoint) const
{
    for (SInt16 i = 1; i <= itemCount; ++i) {
        Rect theItem = ItemRect(i);
        if (PtInRect(thePoint, &theItem)) return i;
    }
    return 0;
}

MenuLayout PopupMenuLayout(ControlRef thePopup)
{
    MenuLayout theLayout;
    theLayout.itemHeight = cMenuItemHeight;
    theLayout.itemCount = static_cast<SInt16>(thePopup->items.size());
    SInt16 theWidth = static_cast<SInt16>(thePopup->bounds.right - thePopup->bounds.left);
    for (const std::string& theItem : thePopup->items)
        theWidth = std::max<SInt16>(theWidth, static_cast<SInt16>(TextWidthOf(theItem) + 40));
    SInt16 theHeight = static_cast<SInt16>(theLayout.itemCount * theLayout.itemHeight + 2 * cMenuPadding);

    Rect theWindowBounds;
    GetPortBounds(thePopup->owner->port, &theWindowBounds);
    SInt32 theChosen = std::max(1, thePopup->value);
    SInt32 theMiddle = (thePopup->bounds.top + thePopup->bounds.bottom) / 2;
    SInt32 theTop = theMiddle - cMenuPadding - (theChosen - 1) * theLayout.itemHeight - theLayout.itemHeight / 2;
    theTop = std::clamp<SInt32>(theTop, 0, std::max<SInt32>(0, theWindowBounds.bottom - theHeight));
    SInt32 theLeft = std::clamp<SInt32>(thePopup->bounds.left, 0, std::max<SInt32>(0, theWindowBounds.right - theWidth));
    theLayout.frame = Rect{static_cast<SInt16>(theTop), static_cast<SInt16>(theLeft),
                           static_cast<SInt16>(theTop + theHeight), static_cast<SInt16>(theLeft + theWidth)};
    return theLayout;
}

Rect CheckBoxBox(ControlRef theCheckBox)
{
    constexpr SInt16 cSide = 14;
    SInt16 theTop = static_cast<SInt16>((theCheckBox->bounds.top + theCheckBox->bounds.bottom - cSide) / 2);
    return Rect{theTop, theCheckBox->bounds.left, static_cast<SInt16>(theTop + cSide),
                static_cast<SInt16>(theCheckBox->bounds.left + cSide)};
}

SInt16 TextWidthOf(const std::string& theText)
{
    Str255 theString;
    size_t theLength = std::min<size_t>(theText.size(), 255);
    theString[0] = static_cast<unsigned char>(theLength);
    std::copy(theText.begin(), theText.begin() + static_cast<long>(theLength), theString + 1);
    return StringWidth(theString);
}

SInt16 LineHeight()
{
    FontInfo theInfo;
    GetFontInfo(&theInfo);
    return static_cast<SInt16>(theInfo.ascent + theInfo.descent + std::max<SInt16>(theInfo.leading, 1));
}

std::vector<std::string> WrapText(const std::string& theText, SInt16 theWidth)
{
    std::vector<std::string> theLines;
    std::string theLine;
    size_t i = 0;
    while (i < theText.size()) {
        if (theText[i] == '\r' || theText[i] == '\n') {
            theLines.push_back(theLine);
            theLine.clear();
            ++i;
            continue;
        }
        size_t theEnd = theText.find_first_of(" \r\n", i);
        if (theEnd == std::string::npos) theEnd = theText.size();
        std::string theWord = theText.substr(i, theEnd - i);
        std::string theTry = theLine.empty() ? theWord : theLine + " " + theWord;
        if (!theLine.empty() && TextWidthOf(theTry) > theWidth) {
            theLines.push_back(theLine);
            theTry = theWord;
        }
        // A word wider than the line is cut where it no longer fits.
        while (theTry.size() > 1 && TextWidthOf(theTry) > theWidth) {
            size_t theFit = theTry.size() - 1;
            while (theFit > 1 && TextWidthOf(theTry.substr(0, theFit)) > theWidth) --theFit;
            theLines.push_back(theTry.substr(0, theFit));
            theTry = theTry.substr(theFit);
        }
        theLine = theTry;
        i = theEnd < theText.size() && theText[theEnd] == ' ' ? theEnd + 1 : theEnd;
    }
    if (!theLine.empty() || theLines.empty()) theLines.push_back(theLine);
    return theLines;
}

} // namespace toolbox_internal
