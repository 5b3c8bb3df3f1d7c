#include "grafport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int cWeightBits = 14;
constexpr int cWeightOne = 1 << cWeightBits;

// The source samples and weights that make up one destination pixel along one axis.
struct AxisTaps {
    std::vector<int> first;   // per destination position: index of its first tap
    std::vector<int> index;   // source position (already clamped to the source bounds)
    std::vector<int> weight;  // fixed point, summing to cWeightOne per destination position
    int lowest = 0, highest = -1; // the source positions read
};

// Area averaging where the source is larger, linear interpolation where it is smaller;
// samples beyond the source bounds repeat the edge pixel.
AxisTaps BuildAxis(double theSrcStart, double theScale, int theDstCount, int theSrcMin, int theSrcMax)
{
    AxisTaps theTaps;
    theTaps.first.reserve(theDstCount + 1);
    std::vector<double> theWeights;
    auto clampIndex = [&](int theIndex) { return std::clamp(theIndex, theSrcMin, theSrcMax - 1); };
    for (int d = 0; d < theDstCount; ++d) {
        theTaps.first.push_back(static_cast<int>(theTaps.index.size()));
        double s0 = theSrcStart + d * theScale;
        double s1 = s0 + theScale;
        theWeights.clear();
        if (theScale > 1.0) {
            for (int i = static_cast<int>(std::floor(s0)); i < s1; ++i) {
                double theOverlap = std::min(s1, i + 1.0) - std::max(s0, double(i));
                if (theOverlap <= 0) continue;
                theTaps.index.push_back(clampIndex(i));
                theWeights.push_back(theOverlap / theScale);
            }
        } else {
            double theCentre = (s0 + s1) / 2 - 0.5;
            int theLow = static_cast<int>(std::floor(theCentre));
            double theFraction = theCentre - theLow;
            theTaps.index.push_back(clampIndex(theLow));
            theTaps.index.push_back(clampIndex(theLow + 1));
            theWeights = {1.0 - theFraction, theFraction};
        }
        int theTotal = 0;
        for (size_t k = 0; k < theWeights.size(); ++k) {
            int theWeight = static_cast<int>(std::lround(theWeights[k] * cWeightOne));
            if (k + 1 == theWeights.size()) theWeight = cWeightOne - theTotal;
            theTotal += theWeight;
            theTaps.weight.push_back(theWeight);
        }
    }
    theTaps.first.push_back(static_cast<int>(theTaps.index.size()));
    if (!theTaps.index.empty()) {
        theTaps.lowest = *std::min_element(theTaps.index.begin(), theTaps.index.end());
        theTaps.highest = *std::max_element(theTaps.index.begin(), theTaps.index.end());
    }
    return theTaps;
}

// A BitMap describes memory it does not own, so its pixels stay writable through a const record.
UInt8* PixelBytes(const BitMap* theBits, int theRow, int theColumn)
{
    return reinterpret_cast<UInt8*>(theBits->baseAddr) +
           static_cast<long>(theRow - theBits->bounds.top) * theBits->rowBytes + 4L * (theColumn - theBits->bounds.left);
}

// True when the bytes from the first pixel to the last of two blocks may share memory.
bool MayOverlap(const BitMap* theOne, const Rect& theOneRect, const BitMap* theOther, const Rect& theOtherRect)
{
    auto theStart = [](const BitMap* theBits, const Rect& theRect) {
        return reinterpret_cast<std::uintptr_t>(PixelBytes(theBits, theRect.top, theRect.left));
    };
    auto theEnd = [](const BitMap* theBits, const Rect& theRect) {
        return reinterpret_cast<std::uintptr_t>(PixelBytes(theBits, theRect.bottom - 1, theRect.right));
    };
    return theStart(theOne, theOneRect) < theEnd(theOther, theOtherRect) &&
           theStart(theOther, theOtherRect) < theEnd(theOne, theOneRect);
}

// The column pass takes its taps two at a time: the offsets of both pixels in the row sums and
// their weights, the first in the low half. Every column has as many pairs as the longest; the
// others are made up with weightless repeats.
struct ColumnPairs {
    int count = 0; // pairs a column
    std::vector<int> first, second;
    std::vector<UInt32> weights;
};

ColumnPairs PairColumns(const AxisTaps& theColumns, int theWidth)
{
    ColumnPairs thePairs;
    for (int c = 0; c < theWidth; ++c)
        thePairs.count = std::max(thePairs.count, (theColumns.first[c + 1] - theColumns.first[c] + 1) / 2);
    const size_t theSize = size_t(theWidth) * thePairs.count;
    thePairs.first.resize(theSize);
    thePairs.second.resize(theSize);
    thePairs.weights.resize(theSize);
    for (int c = 0; c < theWidth; ++c) {
        const int theEnd = theColumns.first[c + 1];
        for (int k = 0; k < thePairs.count; ++k) {
            const int theOne = theColumns.first[c] + 2 * k, theOther = theOne + 1;
            auto offsetOf = [&](int theTap) { return theColumns.index[std::min(theTap, theEnd - 1)] - theColumns.lowest; };
            auto weightOf = [&](int theTap) { return UInt16(theTap < theEnd ? theColumns.weight[theTap] : 0); };
            const size_t thePair = size_t(c) * thePairs.count + k;
            thePairs.first[thePair] = offsetOf(theOne);
            thePairs.second[thePair] = offsetOf(theOther);
            thePairs.weights[thePair] = weightOf(theOne) | UInt32(weightOf(theOther)) << 16;
        }
    }
    return thePairs;
}

// The weighted sum of a destination row's source rows, byte by byte, written per pixel as the
// four sums' high parts, then their low bytes: sum = 256 * high + low. Both parts fit 16 bits, so
// the column pass can multiply them by its weights in 16 bits with nothing lost.
void SumRows(const UInt8* const* theRows, const SInt16* theWeights, int theCount, int thePixels,
             SInt16* __restrict theSplit)
{
    int p = 0;
#if defined(__SSE2__)
    // Four pixels at a time, two rows at a time: the bytes of both rows interleaved meet their
    // two weights in one multiply-add.
    const __m128i theZero = _mm_setzero_si128(), theLowByte = _mm_set1_epi32(255);
    for (; p + 4 <= thePixels; p += 4) {
        __m128i theSum[4] = {theZero, theZero, theZero, theZero};
        for (int t = 0; t < theCount; t += 2) {
            const bool theSingle = t + 1 == theCount;
            const __m128i theOne = _mm_loadu_si128(reinterpret_cast<const __m128i*>(theRows[t] + 4 * p));
            const __m128i theOther =
                theSingle ? theZero : _mm_loadu_si128(reinterpret_cast<const __m128i*>(theRows[t + 1] + 4 * p));
            const __m128i w = _mm_set1_epi32(SInt32(UInt16(theWeights[t]) |
                                                    UInt32(UInt16(theSingle ? 0 : theWeights[t + 1])) << 16));
            const __m128i theFront = _mm_unpacklo_epi8(theOne, theOther), theBack = _mm_unpackhi_epi8(theOne, theOther);
            theSum[0] = _mm_add_epi32(theSum[0], _mm_madd_epi16(_mm_unpacklo_epi8(theFront, theZero), w));
            theSum[1] = _mm_add_epi32(theSum[1], _mm_madd_epi16(_mm_unpackhi_epi8(theFront, theZero), w));
            theSum[2] = _mm_add_epi32(theSum[2], _mm_madd_epi16(_mm_unpacklo_epi8(theBack, theZero), w));
            theSum[3] = _mm_add_epi32(theSum[3], _mm_madd_epi16(_mm_unpackhi_epi8(theBack, theZero), w));
        }
        for (int k = 0; k < 4; ++k) {
            const __m128i theParts =
                _mm_packs_epi32(_mm_srai_epi32(theSum[k], 8), _mm_and_si128(theSum[k], theLowByte));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(theSplit + 8 * (p + k)), theParts);
        }
    }
#endif
    for (; p < thePixels; ++p) {
        SInt32 theSum[4] = {0, 0, 0, 0};
        for (int t = 0; t < theCount; ++t)
            for (int ch = 0; ch < 4; ++ch) theSum[ch] += theWeights[t] * theRows[t][4 * p + ch];
        for (int ch = 0; ch < 4; ++ch) {
            theSplit[8 * p + ch] = SInt16(theSum[ch] >> 8);
            theSplit[8 * p + 4 + ch] = SInt16(theSum[ch] & 255);
        }
    }
}

constexpr SInt32 cHalf = SInt32(1) << (2 * cWeightBits - 1);

// One destination row from its row sums. Each byte is (256 * high + low + half) >> 28, clamped,
// worked out as (high + ((low + half) >> 8)) >> 20 so that it never leaves 32 bits.
void SumColumns(const ColumnPairs& thePairs, const SInt16* theSplit, int theWidth, UInt8* theDst)
{
    const int* theFirst = thePairs.first.data();
    const int* theSecond = thePairs.second.data();
    const UInt32* theWeights = thePairs.weights.data();
#if defined(__SSE2__)
    const __m128i theHalf = _mm_set1_epi32(cHalf);
    for (int c = 0; c < theWidth; ++c, theDst += 4) {
        __m128i theHigh = _mm_setzero_si128(), theLow = theHalf;
        for (int k = 0; k < thePairs.count; ++k, ++theFirst, ++theSecond, ++theWeights) {
            const __m128i theOne = _mm_loadu_si128(reinterpret_cast<const __m128i*>(theSplit + 8 * *theFirst));
            const __m128i theOther = _mm_loadu_si128(reinterpret_cast<const __m128i*>(theSplit + 8 * *theSecond));
            const __m128i w = _mm_set1_epi32(SInt32(*theWeights));
            theHigh = _mm_add_epi32(theHigh, _mm_madd_epi16(_mm_unpacklo_epi16(theOne, theOther), w));
            theLow = _mm_add_epi32(theLow, _mm_madd_epi16(_mm_unpackhi_epi16(theOne, theOther), w));
        }
        __m128i theResult = _mm_srai_epi32(_mm_add_epi32(theHigh, _mm_srai_epi32(theLow, 8)), 2 * cWeightBits - 8);
        theResult = _mm_packs_epi32(theResult, theResult);
        const SInt32 theBytes = _mm_cvtsi128_si32(_mm_packus_epi16(theResult, theResult));
        std::memcpy(theDst, &theBytes, 4);
    }
#else
    for (int c = 0; c < theWidth; ++c, theDst += 4) {
        SInt32 theHigh[4] = {0, 0, 0, 0}, theLow[4] = {cHalf, cHalf, cHalf, cHalf};
        for (int k = 0; k < thePairs.count; ++k, ++theFirst, ++theSecond, ++theWeights) {
            const SInt16* theOne = theSplit + 8 * *theFirst;
            const SInt16* theOther = theSplit + 8 * *theSecond;
            const SInt32 w1 = SInt16(*theWeights & 0xFFFF), w2 = SInt16(*theWeights >> 16);
            for (int ch = 0; ch < 4; ++ch) {
                theHigh[ch] += w1 * theOne[ch] + w2 * theOther[ch];
                theLow[ch] += w1 * theOne[4 + ch] + w2 * theOther[4 + ch];
            }
        }
        for (int ch = 0; ch < 4; ++ch)
            theDst[ch] = UInt8(std::clamp((theHigh[ch] + (theLow[ch] >> 8)) >> (2 * cWeightBits - 8), 0, 255));
    }
#endif
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

    const AxisTaps theColumns = BuildAxis(srcRect->left + (theClipped.left - dstRect->left) * theScaleX, theScaleX,
                                          theOutWidth, theSrcLimit.left, theSrcLimit.right);
    const AxisTaps theRows = BuildAxis(srcRect->top + (theClipped.top - dstRect->top) * theScaleY, theScaleY,
                                       theOutHeight, theSrcLimit.top, theSrcLimit.bottom);

    // Row by row: each destination row sums its source rows, then its columns. Source pixels
    // that share memory with the destination are copied first, so none is written before it is read.
    const Rect theRead{SInt16(theRows.lowest), SInt16(theColumns.lowest), SInt16(theRows.highest + 1),
                       SInt16(theColumns.highest + 1)};
    const int theSpan = 4 * (theRead.right - theRead.left);
    std::vector<UInt8> theCopy;
    const UInt8* theSrcOrigin = PixelBytes(srcBits, theRead.top, theRead.left);
    long theSrcStride = srcBits->rowBytes;
    if (MayOverlap(srcBits, theRead, dstBits, theClipped)) {
        theCopy.resize(size_t(theSpan) * (theRead.bottom - theRead.top));
        for (int r = theRead.top; r < theRead.bottom; ++r)
            std::memcpy(&theCopy[size_t(r - theRead.top) * theSpan], PixelBytes(srcBits, r, theRead.left), theSpan);
        theSrcOrigin = theCopy.data();
        theSrcStride = theSpan;
    }

    const ColumnPairs thePairs = PairColumns(theColumns, theOutWidth);
    std::vector<SInt16> theSplit(2 * size_t(theSpan));
    std::vector<const UInt8*> theRowStarts;
    std::vector<SInt16> theRowWeights;
    for (int r = 0; r < theOutHeight; ++r) {
        theRowStarts.clear();
        theRowWeights.clear();
        for (int k = theRows.first[r]; k < theRows.first[r + 1]; ++k) {
            if (theRows.weight[k] == 0) continue;
            theRowStarts.push_back(theSrcOrigin + (theRows.index[k] - theRead.top) * theSrcStride);
            theRowWeights.push_back(SInt16(theRows.weight[k]));
        }
        const int theCount = static_cast<int>(theRowStarts.size());
        SumRows(theRowStarts.data(), theRowWeights.data(), theCount, theSpan / 4, theSplit.data());
        SumColumns(thePairs, theSplit.data(), theOutWidth, PixelBytes(dstBits, theClipped.top + r, theClipped.left));
    }
}

} // extern "C"
