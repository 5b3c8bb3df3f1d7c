#include "relrects.h"

#include <cmath>

namespace {

// theEdge + trunc(theLength * theFraction), kept inside the 16-bit range.
SInt16 EdgeAt(SInt16 theEdge, SInt16 theLength, double theFraction)
{
    double theOffset = std::trunc(double(theLength) * theFraction);
    if (std::isnan(theOffset)) return theEdge;
    double theSum = theEdge + theOffset;
    if (theSum > 32767.0) return 32767;
    if (theSum < -32768.0) return -32768;
    return static_cast<SInt16>(theSum);
}

} // namespace

void InitRelRect(relRect* theRel)
{
    theRel->left = 0.0;
    theRel->right = 1.0;
    theRel->top = 0.0;
    theRel->bottom = 1.0;
}

Rect Rel2Rect(const relRect& theRel, const Rect& theFrame)
{
    SInt16 theWidth = static_cast<SInt16>(theFrame.right - theFrame.left);
    SInt16 theHeight = static_cast<SInt16>(theFrame.bottom - theFrame.top);
    Rect theResult;
    theResult.left = EdgeAt(theFrame.left, theWidth, theRel.left);
    theResult.right = std::isnan(theRel.right) ? theFrame.right : EdgeAt(theFrame.left, theWidth, theRel.right);
    theResult.top = EdgeAt(theFrame.top, theHeight, theRel.top);
    theResult.bottom = std::isnan(theRel.bottom) ? theFrame.bottom : EdgeAt(theFrame.top, theHeight, theRel.bottom);
    return theResult;
}

relRect Rect2Rel(const Rect& theRect, const Rect& theFrame)
{
    Rect theMoved = theRect;
    OffsetRect(&theMoved, static_cast<SInt16>(-theFrame.left), static_cast<SInt16>(-theFrame.top));
    double theWidth = SInt16(theFrame.right - theFrame.left);
    double theHeight = SInt16(theFrame.bottom - theFrame.top);
    return relRect{theMoved.left / theWidth, theMoved.right / theWidth, theMoved.top / theHeight,
                   theMoved.bottom / theHeight};
}
