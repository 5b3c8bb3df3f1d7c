#include "mixertiles.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t CountSpans(uint32_t theLength)
{
    return theLength / cTileSide + (theLength % cTileSide != 0);
}

// trunc(theLength * theFraction) kept inside the frame, in the same double steps as the engine's.
uint32_t EdgeAt(uint32_t theLength, double theFraction, uint32_t theEdgeForNaN)
{
    const double theOffset = std::trunc(double(theLength) * theFraction);
    if (std::isnan(theOffset)) return theEdgeForNaN;
    if (theOffset <= 0) return 0;
    return theOffset >= theLength ? theLength : static_cast<uint32_t>(theOffset);
}

SInt16 LocalEdge(uint32_t theEdge, uint32_t theStart, uint32_t theEnd)
{
    return static_cast<SInt16>(std::clamp(theEdge, theStart, theEnd) - theStart);
}

} // namespace

size_t CountTiles(uint32_t theWidth, uint32_t theHeight)
{
    return size_t(CountSpans(theWidth)) * CountSpans(theHeight);
}

WideRect GetTileRect(uint32_t theWidth, uint32_t theHeight, size_t theIndex)
{
    const uint32_t theColumns = CountSpans(theWidth);
    const uint32_t theLeft = static_cast<uint32_t>(theIndex % theColumns) * cTileSide;
    const uint32_t theTop = static_cast<uint32_t>(theIndex / theColumns) * cTileSide;
    return WideRect{theLeft, theTop, theLeft + std::min(cTileSide, theWidth - theLeft),
                     theTop + std::min(cTileSide, theHeight - theTop)};
}

WideRect Rel2WideRect(const relRect& theRel, uint32_t theWidth, uint32_t theHeight)
{
    // An edge before its opposite one leaves no region, as in the kernels.
    WideRect theRegion;
    theRegion.left = EdgeAt(theWidth, theRel.left, 0);
    theRegion.right = std::max(EdgeAt(theWidth, theRel.right, theWidth), theRegion.left);
    theRegion.top = EdgeAt(theHeight, theRel.top, 0);
    theRegion.bottom = std::max(EdgeAt(theHeight, theRel.bottom, theHeight), theRegion.top);
    return theRegion;
}

Rect WideRect2TileRect(const WideRect& theRegion, const WideRect& theTile)
{
    Rect theRect;
    theRect.left = LocalEdge(theRegion.left, theTile.left, theTile.right);
    theRect.right = LocalEdge(theRegion.right, theTile.left, theTile.right);
    theRect.top = LocalEdge(theRegion.top, theTile.top, theTile.bottom);
    theRect.bottom = LocalEdge(theRegion.bottom, theTile.top, theTile.bottom);
    return theRect;
}
