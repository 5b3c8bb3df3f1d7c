#include "grafport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int cWeightOne = 1 << 14;

// The source samples and weights that make up one destination pixel along one axis.
struct AxisTaps {
    std::vector<int> first;   // per destination position: index of its first tap
    std::vector<int> index;   // source position (already clamped to the source bounds)
    std::vector<int> weight;  // fixed point, summing to cWeightOne per destination position
};

// Area averaging where the source is larger, linear interpolation where it is smaller;
// samples beyond the source bounds repeat the edge pixel.
AxisTaps BuildAxis(double theSrcStart, double theScale, int theDstCount, int theSrcMin, int theSrcMax)
{
    AxisTaps theTaps;
    theTaps.first.reserve(theDstCount + 1);
    auto clampIndex = [&](int theIndex) { return std::clamp(theIndex, theSrcMin, theSrcMax - 1); };
    for (int d = 0; d < theDstCount; ++d) {
        theTaps.first.push_back(static_cast<int>(theTaps.index.size()));
        double s0 = theSrcStart + d * theScale;
        double s1 = s0 + theScale;
        std::vector<double> theWeights;
        std::vector<int> theIndices;
        if (theScale > 1.0) {
            for (int i = static_cast<int>(std::floor(s0)); i < s1; ++i) {
                double theOverlap = std::min(s1, i + 1.0) - std::max(s0, double(i));
                if (theOverlap <= 0) continue;
                theIndices.push_back(clampIndex(i));
                theWeights.push_back(theOverlap / theScale);
            }
        } else {
            double theCentre = (s0 + s1) / 2 - 0.5;
            int theLow = static_cast<int>(std::floor(theCentre));
            double theFraction = theCentre - theLow;
            theIndices = {clampIndex(theLow), clampIndex(theLow + 1)};
            theWeights = {1.0 - theFraction, theFraction};
        }
        int theTotal = 0;
        for (size_t k = 0; k < theIndices.size(); ++k) {
            int theWeight = static_cast<int>(std::lround(theWeights[k] * cWeightOne));
            if (k + 1 == theIndices.size()) theWeight = cWeightOne - theTotal;
            theTotal += theWeight;
            theTaps.index.push_back(theIndices[k]);
            theTaps.weight.push_back(theWeight);
        }
    }
    theTaps.first.push_back(static_cast<int>(theTaps.index.size()));
    return theTaps;
}

// A BitMap describes memory it does not own, so its pixels stay writable through a const record.
UInt8* PixelBytes(const BitMap* theBits, int theRow, int theColumn)
{
    return reinterpret_cast<UInt8*>(theBits->baseAddr) +
           static_cast<long>(theRow - theBits->bounds.top) * theBits->rowBytes + 4L * (theColumn - theBits->bounds.left);
}

} // namespace

extern "C" {

void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect, SInt16,
              RgnHandle)
{
    if (!srcBits || !dstBits || !srcRect || !dstRect) return;
    const int theSrcWidth = srcRect->right - srcRect->left, theSrcHeight = srcRect->bottom - srcRect->top;
    const int theDstWidth = dstRect->right - dstRect->left, theDstHeight = dstRect->bottom - dstRect->top;
    if (theSrcWidth <= 0 || theSrcHeight <= 0 || theDstWidth <= 0 || theDstHeight <= 0) return;

    // Destination pixels actually written: the destination rectangle within the destination bounds.
    Rect theClipped;
    if (!SectRect(dstRect, &dstBits->bounds, &theClipped)) return;
    // Source pixels that may be read.
    Rect theSrcLimit;
    if (!SectRect(srcRect, &srcBits->bounds, &theSrcLimit)) return;

    const double theScaleX = double(theSrcWidth) / theDstWidth, theScaleY = double(theSrcHeight) / theDstHeight;
    const int theOutWidth = theClipped.right - theClipped.left, theOutHeight = theClipped.bottom - theClipped.top;
    const bool theSameSize = theSrcWidth == theDstWidth && theSrcHeight == theDstHeight;

    if (theSameSize && EqualRect(&theSrcLimit, srcRect)) {
        const int theSrcLeft = srcRect->left + (theClipped.left - dstRect->left);
        const int theSrcTop = srcRect->top + (theClipped.top - dstRect->top);
        // Rows are copied in an order that is safe when source and destination overlap.
        const bool theUpward = srcBits->baseAddr == dstBits->baseAddr && theSrcTop < theClipped.top;
        for (int k = 0; k < theOutHeight; ++k) {
            int r = theUpward ? theOutHeight - 1 - k : k;
            std::memmove(PixelBytes(dstBits, theClipped.top + r, theClipped.left),
                         PixelBytes(srcBits, theSrcTop + r, theSrcLeft), 4u * theOutWidth);
        }
        return;
    }

    AxisTaps theColumns = BuildAxis(srcRect->left + (theClipped.left - dstRect->left) * theScaleX, theScaleX,
                                    theOutWidth, theSrcLimit.left, theSrcLimit.right);
    AxisTaps theRows = BuildAxis(srcRect->top + (theClipped.top - dstRect->top) * theScaleY, theScaleY, theOutHeight,
                                 theSrcLimit.top, theSrcLimit.bottom);

    // Horizontal pass into a buffer covering every source row that the vertical pass reads,
    // so that overlapping source and destination memory is read before it is written.
    const int theFirstRow = theRows.index.empty() ? 0 : *std::min_element(theRows.index.begin(), theRows.index.end());
    const int theLastRow = theRows.index.empty() ? -1 : *std::max_element(theRows.index.begin(), theRows.index.end());
    const int theRowCount = theLastRow - theFirstRow + 1;
    std::vector<UInt32> theHorizontal(static_cast<size_t>(theRowCount) * theOutWidth * 4);
    for (int r = 0; r < theRowCount; ++r) {
        UInt32* theOut = &theHorizontal[static_cast<size_t>(r) * theOutWidth * 4];
        for (int c = 0; c < theOutWidth; ++c) {
            UInt32 theSum[4] = {0, 0, 0, 0};
            for (int k = theColumns.first[c]; k < theColumns.first[c + 1]; ++k) {
                const UInt8* thePixel = PixelBytes(srcBits, theFirstRow + r, theColumns.index[k]);
                for (int ch = 0; ch < 4; ++ch) theSum[ch] += UInt32(thePixel[ch]) * theColumns.weight[k];
            }
            for (int ch = 0; ch < 4; ++ch) theOut[c * 4 + ch] = theSum[ch];
        }
    }
    for (int r = 0; r < theOutHeight; ++r) {
        UInt8* theDst = PixelBytes(dstBits, theClipped.top + r, theClipped.left);
        for (int c = 0; c < theOutWidth; ++c) {
            UInt64 theSum[4] = {0, 0, 0, 0};
            for (int k = theRows.first[r]; k < theRows.first[r + 1]; ++k) {
                const UInt32* theIn = &theHorizontal[(static_cast<size_t>(theRows.index[k] - theFirstRow) * theOutWidth + c) * 4];
                for (int ch = 0; ch < 4; ++ch) theSum[ch] += UInt64(theIn[ch]) * theRows.weight[k];
            }
            for (int ch = 0; ch < 4; ++ch) {
                UInt64 theValue = (theSum[ch] + (UInt64(cWeightOne) * cWeightOne / 2)) / (UInt64(cWeightOne) * cWeightOne);
                theDst[c * 4 + ch] = static_cast<UInt8>(std::min<UInt64>(theValue, 255));
            }
        }
    }
}

} // extern "C"
