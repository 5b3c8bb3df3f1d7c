// A popup's menu is drawn over its own window, whose pixels beneath are kept and put back.
// Press-drag-release chooses the item under the release; a click that ends on the popup leaves
// the menu open for a second click.
#include "popupmenu.h"

#include "controldraw.h"
#include "grafport.h"
#include "modalloop.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace toolbox_internal;

namespace {

// How far the mouse may move during a click that leaves the menu open.
constexpr int cClickSlop = 2;

class SavedPixels {
public:
    SavedPixels(CGrafPtr thePort, const Rect& theArea) : mPort(thePort)
    {
        Rect theBounds;
        GetPortBounds(thePort, &theBounds);
        SectRect(&theArea, &theBounds, &mArea);
        const size_t theWidth = static_cast<size_t>(std::max(0, mArea.right - mArea.left));
        for (int theRow = mArea.top; theRow < mArea.bottom; ++theRow) {
            const UInt32* theStart = quickdraw_internal::PixelAddress(thePort, theRow, mArea.left);
            mPixels.insert(mPixels.end(), theStart, theStart + theWidth);
        }
    }

    ~SavedPixels()
    {
        const size_t theWidth = static_cast<size_t>(std::max(0, mArea.right - mArea.left));
        for (int theRow = mArea.top; theRow < mArea.bottom; ++theRow)
            std::memcpy(quickdraw_internal::PixelAddress(mPort, theRow, mArea.left),
                        mPixels.data() + static_cast<size_t>(theRow - mArea.top) * theWidth, theWidth * 4);
    }

    SavedPixels(const SavedPixels&) = delete;
    SavedPixels& operator=(const SavedPixels&) = delete;

private:
    CGrafPtr mPort;
    Rect mArea{};
    std::vector<UInt32> mPixels;
};

void Draw(ControlRef thePopup, const MenuLayout& theLayout, SInt16 theHover)
{
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(thePopup->owner->port, nullptr);
    DrawMenuList(thePopup, theLayout, theHover);
    SetGWorld(theSavedPort, theSavedDevice);
}

// Runs the menu; 0 when it was closed without a choice.
SInt16 TrackMenu(ControlRef thePopup, const MenuLayout& theLayout, Point thePress)
{
    SInt16 theHover = 0;
    bool theFirstRelease = true;
    bool theMoved = false;
    InputEvent theEvent;
    for (;;) {
        PresentAll();
        if (!CurrentBackend().NextInput(theEvent)) return 0;
        switch (theEvent.kind) {
        case InputEvent::Kind::MenuChoice:
            return theEvent.menuItem >= 1 && theEvent.menuItem <= theLayout.itemCount ? theEvent.menuItem : 0;
        case InputEvent::Kind::MouseDown:
            if (!PtInRect(theEvent.where, &theLayout.frame)) return 0;
            theFirstRelease = false;
            [[fallthrough]];
        case InputEvent::Kind::MouseDrag: {
            theMoved = theMoved || std::abs(theEvent.where.h - thePress.h) > cClickSlop ||
                       std::abs(theEvent.where.v - thePress.v) > cClickSlop;
            SInt16 theItem = theLayout.ItemAt(theEvent.where);
            if (theItem != theHover) Draw(thePopup, theLayout, theHover = theItem);
            break;
        }
        case InputEvent::Kind::MouseUp:
            // A click on the popup that did not move leaves the menu open for a second click.
            if (theFirstRelease && !theMoved) {
                theFirstRelease = false;
                break;
            }
            return theLayout.ItemAt(theEvent.where);
        case InputEvent::Kind::Key:
            if (theEvent.charCode == 0x1B) return 0;
            if (theEvent.charCode == '\r' && theHover) return theHover;
            break;
        case InputEvent::Kind::Callback:
            theEvent.callback(theEvent.callbackData);
            break;
        case InputEvent::Kind::Close:
            return 0;
        }
    }
}

} // namespace

namespace toolbox_internal {

bool RunPopupMenu(ControlRef thePopup, Point thePress)
{
    if (thePopup->items.empty()) return false;
    MenuLayout theLayout = PopupMenuLayout(thePopup);
    SInt16 theChoice;
    {
        Rect theCovered = theLayout.frame;
        theCovered.bottom = static_cast<SInt16>(theCovered.bottom + cMenuShadow);
        SavedPixels theBeneath(thePopup->owner->port, theCovered);
        HiliteControl(thePopup, kControlMenuPart);
        Draw(thePopup, theLayout, 0);
        theChoice = TrackMenu(thePopup, theLayout, thePress);
    }
    HiliteControl(thePopup, kControlNoPart);
    if (theChoice) SetControl32BitValue(thePopup, theChoice);
    RedrawControl(thePopup);
    return theChoice != 0;
}

} // namespace toolbox_internal
