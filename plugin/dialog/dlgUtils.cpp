#include "dlgUtils.h"

OSStatus ContentHitTestHandler(EventRef theEvent, ControlRef theControl)
{
    Point theWhere{};
    Rect theBounds;
    GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof theWhere, nullptr, &theWhere);
    GetControlBounds(theControl, &theBounds);
    ControlPartCode thePart = PtInRect(theWhere, &theBounds) ? kControlContentPart : kControlNoPart;
    SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof thePart, &thePart);
    return noErr;
}
