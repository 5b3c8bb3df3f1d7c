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

// Byte positions of red, green and blue in a pixel read as one native 32-bit value.
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

GLINT_VECTOR_CLONES void LumaRow(const uint32_t* __restrict theRow, int theWidth, uint8_t* __restrict theY,
                                 const Weights& theWeights)
{
    const Weights w = theWeights;
    for (int x = 0; x < theWidth; ++x) theY[x] = Luma(theRow[x], w);
}

// Pairs of columns, and rows weighted 1, 3, 3, 1 around the pair the chroma row belongs to: the
// filter the general scaler uses, whose smoother chroma costs the encoder fewer bits than a 2x2
// mean where pictures are noisy, as in the middle of a dissolve.
GLINT_VECTOR_CLONES void ChromaRow(const uint32_t* __restrict theAbove, const uint32_t* __restrict theTop,
                                   const uint32_t* __restrict theBottom, const uint32_t* __restrict theBelow,
                                   int thePairs, uint8_t* __restrict theU, uint8_t* __restrict theV,
                                   const Weights& theWeights)
{
    const Weights w = theWeights;
    auto theSum = [](const uint32_t* theRow, int x, int theShift) {
        return Channel(theRow[2 * x], theShift) + Channel(theRow[2 * x + 1], theShift);
    };
    for (int x = 0; x < thePairs; ++x) {
        int theChannels[3];
        int i = 0;
        for (int theShift : {cRedShift, cGreenShift, cBlueShift}) {
            theChannels[i++] = theSum(theAbove, x, theShift) + 3 * theSum(theTop, x, theShift) +
                               3 * theSum(theBottom, x, theShift) + theSum(theBelow, x, theShift);
        }
        theU[x] = Chroma(theChannels[0], theChannels[1], theChannels[2], w.ur, w.ug, w.ub);
        theV[x] = Chroma(theChannels[0], theChannels[1], theChannels[2], w.vr, w.vg, w.vb);
    }
}

} // namespace

bool ArgbToYuv420(const ArgbPixels& theSource, AVFrame* theFrame, AVColorSpace theSpace)
{
    if (theFrame->format != AV_PIX_FMT_YUV420P || theSource.width != theFrame->width ||
        theSource.height != theFrame->height || theSource.width % 2 || theSource.height % 2 || theSource.rowBytes % 4 ||
        reinterpret_cast<std::uintptr_t>(theSource.base) % 4)
        return false;
    const Weights& theWeights = theSpace == AVCOL_SPC_BT709 ? cBt709 : cBt601;
    auto theRow = [&](int theNumber) {
        theNumber = std::clamp(theNumber, 0, theSource.height - 1);
        return reinterpret_cast<const uint32_t*>(theSource.base + std::ptrdiff_t(theNumber) * theSource.rowBytes);
    };
    for (int y = 0; y < theSource.height; y += 2) {
        for (int theLine : {y, y + 1}) {
            LumaRow(theRow(theLine), theSource.width, theFrame->data[0] + std::ptrdiff_t(theLine) * theFrame->linesize[0],
                    theWeights);
        }
        ChromaRow(theRow(y - 1), theRow(y), theRow(y + 1), theRow(y + 2), theSource.width / 2,
                  theFrame->data[1] + std::ptrdiff_t(y / 2) * theFrame->linesize[1],
                  theFrame->data[2] + std::ptrdiff_t(y / 2) * theFrame->linesize[2], theWeights);
    }
    return true;
}

} // namespace video
