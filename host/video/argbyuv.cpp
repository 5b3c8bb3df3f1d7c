#include "argbyuv.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace video {

namespace {

constexpr int cShift = 16;

// Fixed-point weights of R, G and B for Y, Cb and Cr, already scaled to limited range.
struct Weights {
    int yr, yg, yb;
    int ur, ug, ub;
    int vr, vg, vb;
};

constexpr int Fixed(double theValue)
{
    return int(theValue * (1 << cShift) + (theValue < 0 ? -0.5 : 0.5));
}

constexpr Weights WeightsFor(double theKr, double theKb)
{
    const double theKg = 1.0 - theKr - theKb;
    const double theY = 219.0 / 255.0, theC = 224.0 / 255.0;
    return Weights{Fixed(theY * theKr),
                   Fixed(theY * theKg),
                   Fixed(theY * theKb),
                   Fixed(-theC * theKr / (2 * (1 - theKb))),
                   Fixed(-theC * theKg / (2 * (1 - theKb))),
                   Fixed(theC / 2),
                   Fixed(theC / 2),
                   Fixed(-theC * theKg / (2 * (1 - theKr))),
                   Fixed(-theC * theKb / (2 * (1 - theKr)))};
}

constexpr Weights cBt709 = WeightsFor(0.2126, 0.0722);
constexpr Weights cBt601 = WeightsFor(0.299, 0.114);

// Fixed-point weights of Y, Cb and Cr for R, G and B, from limited or full range.
struct RgbWeights {
    int y, yOffset;
    int rv, gu, gv, bu;
};

constexpr RgbWeights RgbWeightsFor(double theKr, double theKb, bool theFullRange)
{
    const double theKg = 1.0 - theKr - theKb;
    const double theY = theFullRange ? 1.0 : 255.0 / 219.0, theC = theFullRange ? 1.0 : 255.0 / 224.0;
    return RgbWeights{Fixed(theY),
                      theFullRange ? 0 : 16,
                      Fixed(theC * 2 * (1 - theKr)),
                      Fixed(-theC * 2 * (1 - theKb) * theKb / theKg),
                      Fixed(-theC * 2 * (1 - theKr) * theKr / theKg),
                      Fixed(theC * 2 * (1 - theKb))};
}

constexpr RgbWeights cRgb709[2] = {RgbWeightsFor(0.2126, 0.0722, false), RgbWeightsFor(0.2126, 0.0722, true)};
constexpr RgbWeights cRgb601[2] = {RgbWeightsFor(0.299, 0.114, false), RgbWeightsFor(0.299, 0.114, true)};

// Byte positions of alpha, red, green and blue in a pixel read as one native 32-bit value.
constexpr int cAlphaShift = std::endian::native == std::endian::little ? 0 : 24;
constexpr int cRedShift = std::endian::native == std::endian::little ? 8 : 16;
constexpr int cGreenShift = std::endian::native == std::endian::little ? 16 : 8;
constexpr int cBlueShift = std::endian::native == std::endian::little ? 24 : 0;

inline int Channel(uint32_t thePixel, int theShift)
{
    return int((thePixel >> theShift) & 0xFF);
}

inline uint8_t Luma(uint32_t thePixel, const Weights& theWeights)
{
    const int theSum = theWeights.yr * Channel(thePixel, cRedShift) + theWeights.yg * Channel(thePixel, cGreenShift) +
                       theWeights.yb * Channel(thePixel, cBlueShift);
    return uint8_t(std::clamp((theSum + (16 << cShift) + (1 << (cShift - 1))) >> cShift, 0, 255));
}

// theR, theG and theB are sums of 16 weighted pixels.
inline uint8_t Chroma(int theR, int theG, int theB, int theWr, int theWg, int theWb)
{
    const int theSum = theWr * theR + theWg * theG + theWb * theB;
    return uint8_t(std::clamp((theSum + (128 << (cShift + 4)) + (1 << (cShift + 3))) >> (cShift + 4), 0, 255));
}

// (Not under ThreadSanitizer: the clones' resolvers run before it starts.)
#if (defined(__x86_64__) || defined(__i386__)) && !defined(__SANITIZE_THREAD__)
#define GLINT_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define GLINT_VECTOR_CLONES
#endif

// The weights come by value: through a reference, every store of a byte could change them.
GLINT_VECTOR_CLONES void WriteLumaRow(const uint32_t* __restrict theRow, int theWidth, uint8_t* __restrict theY,
                                      Weights theWeights)
{
    for (int x = 0; x < theWidth; ++x) theY[x] = Luma(theRow[x], theWeights);
}

// Pairs of columns, and rows weighted 1, 3, 3, 1 around the pair the chroma row belongs to: the
// filter the general scaler uses, whose smoother chroma costs the encoder fewer bits than a 2x2
// mean where pictures are noisy, as in the middle of a dissolve.
GLINT_VECTOR_CLONES void WriteChromaRow(const uint32_t* __restrict theAbove, const uint32_t* __restrict theTop,
                                        const uint32_t* __restrict theBottom, const uint32_t* __restrict theBelow,
                                        int thePairs, uint8_t* __restrict theU, uint8_t* __restrict theV,
                                        Weights theWeights)
{
    auto theSum = [](const uint32_t* theRow, int x, int theShift) {
        return Channel(theRow[2 * x], theShift) + Channel(theRow[2 * x + 1], theShift);
    };
    auto theWeighted = [&](int x, int theShift) {
        return theSum(theAbove, x, theShift) + 3 * theSum(theTop, x, theShift) + 3 * theSum(theBottom, x, theShift) +
               theSum(theBelow, x, theShift);
    };
    const Weights& w = theWeights;
    for (int x = 0; x < thePairs; ++x) {
        const int theRed = theWeighted(x, cRedShift), theGreen = theWeighted(x, cGreenShift),
                  theBlue = theWeighted(x, cBlueShift);
        theU[x] = Chroma(theRed, theGreen, theBlue, w.ur, w.ug, w.ub);
        theV[x] = Chroma(theRed, theGreen, theBlue, w.vr, w.vg, w.vb);
    }
}

inline uint32_t ClampToByte(int theValue)
{
    return uint32_t(std::clamp((theValue + (1 << (cShift - 1))) >> cShift, 0, 255));
}

// Each chroma sample serves the two pixels of its column pair, as in the scaler's own
// same-size conversion.
GLINT_VECTOR_CLONES void WriteArgbRow(const uint8_t* __restrict theY, const uint8_t* __restrict theU,
                                      const uint8_t* __restrict theV, int thePairs, uint32_t* __restrict theRow,
                                      RgbWeights theWeights)
{
    const RgbWeights& w = theWeights;
    for (int x = 0; x < thePairs; ++x) {
        const int theCb = theU[x] - 128, theCr = theV[x] - 128;
        const int theRed = w.rv * theCr, theGreen = w.gu * theCb + w.gv * theCr, theBlue = w.bu * theCb;
        for (int i = 0; i < 2; ++i) {
            const int theLuma = w.y * (theY[2 * x + i] - w.yOffset);
            theRow[2 * x + i] = (0xFFu << cAlphaShift) | (ClampToByte(theLuma + theRed) << cRedShift) |
                                (ClampToByte(theLuma + theGreen) << cGreenShift) |
                                (ClampToByte(theLuma + theBlue) << cBlueShift);
        }
    }
}

// Both sides at the same even size, the pixels' rows in whole 32-bit words.
bool SameEvenSize(const ArgbPixels& thePixels, const AVFrame* theFrame)
{
    return thePixels.width == theFrame->width && thePixels.height == theFrame->height && thePixels.width % 2 == 0 &&
           thePixels.height % 2 == 0 && thePixels.rowBytes % 4 == 0 &&
           reinterpret_cast<std::uintptr_t>(thePixels.base) % 4 == 0;
}

} // namespace

bool Yuv420ToArgb(const AVFrame* theFrame, const ArgbPixels& theTarget, AVColorSpace theSpace, bool theFullRange)
{
    const bool theKnownSpace = theSpace == AVCOL_SPC_BT709 || theSpace == AVCOL_SPC_SMPTE170M || theSpace == AVCOL_SPC_BT470BG;
    if ((theFrame->format != AV_PIX_FMT_YUV420P && theFrame->format != AV_PIX_FMT_YUVJ420P) || !theKnownSpace ||
        !SameEvenSize(theTarget, theFrame))
        return false;
    const RgbWeights& theWeights = (theSpace == AVCOL_SPC_BT709 ? cRgb709 : cRgb601)[theFullRange ? 1 : 0];
    for (int y = 0; y < theTarget.height; ++y) {
        WriteArgbRow(theFrame->data[0] + std::ptrdiff_t(y) * theFrame->linesize[0],
                     theFrame->data[1] + std::ptrdiff_t(y / 2) * theFrame->linesize[1],
                     theFrame->data[2] + std::ptrdiff_t(y / 2) * theFrame->linesize[2], theTarget.width / 2,
                     reinterpret_cast<uint32_t*>(theTarget.base + std::ptrdiff_t(y) * theTarget.rowBytes), theWeights);
    }
    return true;
}

bool ArgbToYuv420(const ArgbPixels& theSource, AVFrame* theFrame, AVColorSpace theSpace)
{
    if (theFrame->format != AV_PIX_FMT_YUV420P || !SameEvenSize(theSource, theFrame)) return false;
    const Weights& theWeights = theSpace == AVCOL_SPC_BT709 ? cBt709 : cBt601;
    auto theRow = [&](int theNumber) {
        theNumber = std::clamp(theNumber, 0, theSource.height - 1);
        return reinterpret_cast<const uint32_t*>(theSource.base + std::ptrdiff_t(theNumber) * theSource.rowBytes);
    };
    for (int y = 0; y < theSource.height; y += 2) {
        for (int theLine : {y, y + 1}) {
            WriteLumaRow(theRow(theLine), theSource.width,
                         theFrame->data[0] + std::ptrdiff_t(theLine) * theFrame->linesize[0], theWeights);
        }
        WriteChromaRow(theRow(y - 1), theRow(y), theRow(y + 1), theRow(y + 2), theSource.width / 2,
                       theFrame->data[1] + std::ptrdiff_t(y / 2) * theFrame->linesize[1],
                       theFrame->data[2] + std::ptrdiff_t(y / 2) * theFrame->linesize[2], theWeights);
    }
    return true;
}

} // namespace video
