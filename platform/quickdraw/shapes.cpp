// Rectangles, ovals and rounded rectangles. Each is a rounded rectangle (an oval has corners
// as large as itself, a rectangle none); a frame is the shape less the shape inset by the pen.
// Curved edges are anti-aliased: each pixel row is sampled on cSubRows lines, and each line's
// extent counts exactly in 1/256 pixel. All in integers, so every processor draws the same.
#include "paint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

using namespace quickdraw_internal;

namespace {

constexpr int cSubRows = 16;
constexpr SInt64 cSubUnits = 2 * cSubRows;  // vertical positions per pixel: sub-row edges and centres
constexpr SInt64 cColumnUnits = 256;         // horizontal positions per pixel
constexpr SInt64 cFullCover = cColumnUnits * cSubRows;

struct Shape {
    Rect bounds;
    SInt64 ovalWidth;  // corner oval diameters, at most the bounds' size
    SInt64 ovalHeight;
};

Shape MakeShape(const Rect& theBounds, SInt64 theOvalWidth, SInt64 theOvalHeight)
{
    const SInt64 theWidth = theBounds.right - theBounds.left, theHeight = theBounds.bottom - theBounds.top;
    return Shape{theBounds, std::clamp(theOvalWidth, SInt64(0), std::max(SInt64(0), theWidth)),
                 std::clamp(theOvalHeight, SInt64(0), std::max(SInt64(0), theHeight))};
}

// The integer square root, exact on every target: the floating-point estimate is only a start.
UInt64 SquareRoot(UInt64 theValue)
{
    UInt64 theRoot = static_cast<UInt64>(std::sqrt(static_cast<double>(theValue)));
    while (theRoot * theRoot > theValue) --theRoot;
    while ((theRoot + 1) * (theRoot + 1) <= theValue) ++theRoot;
    return theRoot;
}

// The extent [left, right) of a shape, in 1/256 pixel, on the horizontal line theY / cSubUnits.
bool ShapeExtent(const Shape& theShape, SInt64 theY, SInt64* theLeft, SInt64* theRight)
{
    const SInt64 theTop = theShape.bounds.top * cSubUnits, theBottom = theShape.bounds.bottom * cSubUnits;
    if (theY <= theTop || theY >= theBottom) return false;
    *theLeft = theShape.bounds.left * cColumnUnits;
    *theRight = theShape.bounds.right * cColumnUnits;
    const SInt64 theRadius = theShape.ovalHeight * cSubRows; // vertical corner radius in sub-units
    SInt64 theDistance = 0; // from the corner ovals' centre line, within a corner band
    if (theY < theTop + theRadius) theDistance = theTop + theRadius - theY;
    else if (theY > theBottom - theRadius) theDistance = theY - (theBottom - theRadius);
    else return *theLeft < *theRight;
    // Half the corner oval's chord at this distance; the root carries 8 fraction bits.
    const UInt64 theRoot = SquareRoot(UInt64(theRadius * theRadius - theDistance * theDistance) << 16);
    const SInt64 theChord = static_cast<SInt64>((theShape.ovalWidth * theRoot + theRadius) / (2 * theRadius));
    const SInt64 theInset = theShape.ovalWidth * cColumnUnits / 2 - theChord;
    *theLeft += theInset;
    *theRight -= theInset;
    return *theLeft < *theRight;
}

// Per-pixel area of one row, accumulated line by line.
class RowCover {
public:
    RowCover(int theLeft, int theWidth) : mLeft(theLeft), mPartial(theWidth + 1), mSteps(theWidth + 1) {}

    void Clear()
    {
        std::fill(mPartial.begin(), mPartial.end(), 0);
        std::fill(mSteps.begin(), mSteps.end(), 0);
    }

    void Add(SInt64 theFrom, SInt64 theTo, int theSign)
    {
        const SInt64 theOrigin = mLeft * cColumnUnits, theLimit = SInt64(mPartial.size() - 1) * cColumnUnits;
        theFrom = std::max(theFrom - theOrigin, SInt64(0));
        theTo = std::min(theTo - theOrigin, theLimit);
        if (theFrom >= theTo) return;
        const SInt64 theFirst = theFrom / cColumnUnits, theLast = theTo / cColumnUnits;
        if (theFirst == theLast) {
            mPartial[theFirst] += theSign * (theTo - theFrom);
            return;
        }
        mPartial[theFirst] += theSign * (cColumnUnits - theFrom % cColumnUnits);
        mSteps[theFirst + 1] += theSign * cColumnUnits;
        mSteps[theLast] -= theSign * cColumnUnits;
        mPartial[theLast] += theSign * (theTo % cColumnUnits);
    }

    void Coverage(std::vector<UInt8>& theCoverage) const
    {
        SInt64 theRun = 0;
        for (size_t i = 0; i < theCoverage.size(); ++i) {
            theRun += mSteps[i];
            const SInt64 theArea = std::clamp(theRun + mPartial[i], SInt64(0), cFullCover);
            theCoverage[i] = static_cast<UInt8>((theArea * 255 + cFullCover / 2) / cFullCover);
        }
    }

private:
    int mLeft;
    std::vector<SInt64> mPartial;
    std::vector<SInt64> mSteps;
};

// Fills theOuter less theInner (when given) in the current port. A row whose lines meet the
// shapes where the previous row's did has the same coverage; only covered pixels are painted, so
// the long straight sides of a frame cost little.
void PaintShape(PaintKind theKind, const Shape& theOuter, const Shape* theInner)
{
    Painter thePainter;
    Rect theArea;
    if (!StartPaint(theKind, &thePainter) || !SectRect(&theOuter.bounds, &thePainter.limit, &theArea)) return;
    const int theWidth = theArea.right - theArea.left;
    RowCover theCover(theArea.left, theWidth);
    std::vector<UInt8> theCoverage(theWidth);
    std::vector<std::pair<int, int>> theRuns; // [first, end) of covered pixels
    // Per line: the outer shape's extent, then the inner one's; (0, 0) where a line misses it.
    std::array<SInt64, 4 * cSubRows> theExtents{}, thePrevious{};
    for (int theRow = theArea.top; theRow < theArea.bottom; ++theRow) {
        for (int theLine = 0; theLine < cSubRows; ++theLine) {
            const SInt64 theY = theRow * cSubUnits + 2 * theLine + 1;
            SInt64* theLineExtents = &theExtents[4 * theLine];
            if (!ShapeExtent(theOuter, theY, &theLineExtents[0], &theLineExtents[1]))
                theLineExtents[0] = theLineExtents[1] = 0;
            if (!theInner || !ShapeExtent(*theInner, theY, &theLineExtents[2], &theLineExtents[3]))
                theLineExtents[2] = theLineExtents[3] = 0;
        }
        if (theRow == theArea.top || theExtents != thePrevious) {
            theCover.Clear();
            for (int theLine = 0; theLine < cSubRows; ++theLine) {
                theCover.Add(theExtents[4 * theLine], theExtents[4 * theLine + 1], 1);
                theCover.Add(theExtents[4 * theLine + 2], theExtents[4 * theLine + 3], -1);
            }
            theCover.Coverage(theCoverage);
            theRuns.clear();
            for (int i = 0; i < theWidth;) {
                if (theCoverage[i] == 0) {
                    ++i;
                    continue;
                }
                const int theFirst = i;
                while (i < theWidth && theCoverage[i] != 0) ++i;
                theRuns.emplace_back(theFirst, i);
            }
            thePrevious = theExtents;
        }
        for (const auto& [theFirst, theEnd] : theRuns)
            PaintCoverage(thePainter, theRow, theArea.left + theFirst, &theCoverage[theFirst], theEnd - theFirst);
    }
}

void FillShape(PaintKind theKind, const Rect* theRect, SInt64 theOvalWidth, SInt64 theOvalHeight)
{
    if (theRect) PaintShape(theKind, MakeShape(*theRect, theOvalWidth, theOvalHeight), nullptr);
}

// The pen's outline just inside the shape: the inner shape is inset by the pen size, its corner
// ovals shrunk to match, so the outline keeps the pen's thickness around the curves.
void FrameShape(const Rect* theRect, SInt64 theOvalWidth, SInt64 theOvalHeight)
{
    CGrafPtr thePort = CurrentPort();
    if (!theRect || !thePort || thePort->penSize.h <= 0 || thePort->penSize.v <= 0) return;
    const Shape theOuter = MakeShape(*theRect, theOvalWidth, theOvalHeight);
    const SInt64 thePenWidth = thePort->penSize.h, thePenHeight = thePort->penSize.v;
    const SInt64 theInnerLeft = theRect->left + thePenWidth, theInnerRight = theRect->right - thePenWidth;
    const SInt64 theInnerTop = theRect->top + thePenHeight, theInnerBottom = theRect->bottom - thePenHeight;
    if (theInnerLeft >= theInnerRight || theInnerTop >= theInnerBottom) {
        PaintShape(PenPaintKind(), theOuter, nullptr);
        return;
    }
    const Rect theInnerRect{static_cast<SInt16>(theInnerTop), static_cast<SInt16>(theInnerLeft),
                            static_cast<SInt16>(theInnerBottom), static_cast<SInt16>(theInnerRight)};
    const Shape theInner =
        MakeShape(theInnerRect, theOuter.ovalWidth - 2 * thePenWidth, theOuter.ovalHeight - 2 * thePenHeight);
    PaintShape(PenPaintKind(), theOuter, &theInner);
}

SInt64 WidthOf(const Rect* theRect)
{
    return theRect ? theRect->right - theRect->left : 0;
}

SInt64 HeightOf(const Rect* theRect)
{
    return theRect ? theRect->bottom - theRect->top : 0;
}

} // namespace

extern "C" {

void FrameRect(const Rect* r)
{
    FrameShape(r, 0, 0);
}

void PaintRect(const Rect* r)
{
    FillShape(PenPaintKind(), r, 0, 0);
}

void EraseRect(const Rect* r)
{
    FillShape(PaintKind::back, r, 0, 0);
}

void InvertRect(const Rect* r)
{
    FillShape(PaintKind::invert, r, 0, 0);
}

void FrameOval(const Rect* r)
{
    FrameShape(r, WidthOf(r), HeightOf(r));
}

void PaintOval(const Rect* r)
{
    FillShape(PenPaintKind(), r, WidthOf(r), HeightOf(r));
}

void EraseOval(const Rect* r)
{
    FillShape(PaintKind::back, r, WidthOf(r), HeightOf(r));
}

void InvertOval(const Rect* r)
{
    FillShape(PaintKind::invert, r, WidthOf(r), HeightOf(r));
}

void FrameRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight)
{
    FrameShape(r, ovalWidth, ovalHeight);
}

void PaintRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight)
{
    FillShape(PenPaintKind(), r, ovalWidth, ovalHeight);
}

} // extern "C"
