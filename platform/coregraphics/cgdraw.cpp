#include "MacMemory.h"
#include "cgobject.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace coregraphics_internal;

namespace {

bool Invertible(const Transform& m)
{
    const double theDeterminant = m.a * m.d - m.b * m.c;
    return theDeterminant != 0 && std::isfinite(theDeterminant) && std::isfinite(m.tx) && std::isfinite(m.ty);
}

// Calls theVisit(pixel, u, v) for every pixel whose centre lies inside theRect under the context's
// transformation; u and v run from 0 up to 1 across the rectangle, v upwards.
template <typename F>
void ForEachCoveredPixel(const CGContext* theContext, const CGRect& theRect, F theVisit)
{
    double x = theRect.origin.x, y = theRect.origin.y, w = theRect.size.width, h = theRect.size.height;
    // A rectangle with a negative size covers the same pixels as its standard form.
    if (w < 0) {
        x += w;
        w = -w;
    }
    if (h < 0) {
        y += h;
        h = -h;
    }
    const Transform& m = theContext->ctm;
    if (!(w > 0 && h > 0) || !Invertible(m)) return;
    const double theDeterminant = m.a * m.d - m.b * m.c;

    double theMinX = HUGE_VAL, theMaxX = -HUGE_VAL, theMinY = HUGE_VAL, theMaxY = -HUGE_VAL;
    for (double cx : {x, x + w})
        for (double cy : {y, y + h}) {
            const double theX = m.a * cx + m.c * cy + m.tx, theY = m.b * cx + m.d * cy + m.ty;
            theMinX = std::min(theMinX, theX), theMaxX = std::max(theMaxX, theX);
            theMinY = std::min(theMinY, theY), theMaxY = std::max(theMaxY, theY);
        }
    if (!std::isfinite(theMinX) || !std::isfinite(theMaxX) || !std::isfinite(theMinY) || !std::isfinite(theMaxY))
        return;

    // Row r of memory is the band from H - r - 1 to H - r in device space.
    const double W = double(theContext->width), H = double(theContext->height);
    const int theColLo = int(std::clamp(std::floor(theMinX), 0.0, W));
    const int theColHi = int(std::clamp(std::ceil(theMaxX), 0.0, W));
    const int theRowLo = int(std::clamp(std::floor(H - theMaxY), 0.0, H));
    const int theRowHi = int(std::clamp(std::ceil(H - theMinY), 0.0, H));
    for (int r = theRowLo; r < theRowHi; ++r) {
        const double dy = (H - r - 0.5) - m.ty;
        UInt8* theRow = theContext->data + size_t(r) * theContext->bytesPerRow;
        for (int c = theColLo; c < theColHi; ++c) {
            const double dx = (c + 0.5) - m.tx;
            const double ux = (m.d * dx - m.c * dy) / theDeterminant;
            const double uy = (m.a * dy - m.b * dx) / theDeterminant;
            const double u = (ux - x) / w, v = (uy - y) / h;
            if (u >= 0 && u < 1 && v >= 0 && v < 1) theVisit(theRow + 4 * c, u, v);
        }
    }
}

// Tent weights around thePosition (pixel i has its centre at i + 0.5) over the pixels that
// exist, so the edge pixels carry the whole weight at the border; a radius of 1 is bilinear.
int TentTaps(double thePosition, double theRadius, int theSize, double* outWeights, int* outFirst)
{
    const int theFirst = std::max(0, int(std::ceil(thePosition - theRadius - 0.5)));
    const int theLast = std::min(theSize - 1, int(std::floor(thePosition + theRadius - 0.5)));
    int theCount = 0;
    for (int i = theFirst; i <= theLast; ++i)
        outWeights[theCount++] = std::max(0.0, 1.0 - std::fabs(i + 0.5 - thePosition) / theRadius);
    *outFirst = theFirst;
    return theCount;
}

// Premultiplied source over destination.
void Composite(const double theSource[4], UInt8* ioPixel)
{
    UInt8 theSrc[4];
    for (int k = 0; k < 4; ++k) theSrc[k] = UInt8(std::clamp(std::lround(theSource[k]), 0L, 255L));
    const unsigned theRemaining = 255u - theSrc[0];
    for (int k = 0; k < 4; ++k)
        ioPixel[k] = UInt8(std::min(255u, theSrc[k] + (ioPixel[k] * theRemaining + 127u) / 255u));
}

} // namespace

extern "C" {

void CGContextClearRect(CGContextRef context, CGRect rect)
{
    ForEachCoveredPixel(CheckedContext(context), rect, [](UInt8* thePixel, double, double) {
        std::memset(thePixel, 0, 4);
    });
}

void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image)
{
    const CGContext* theContext = CheckedContext(context);
    if (!image) return;
    const CGImage* theImage = CheckedImage(image);
    const Transform& m = theContext->ctm;
    const double w = std::fabs(double(rect.size.width)), h = std::fabs(double(rect.size.height));
    if (!(w > 0 && h > 0) || !Invertible(m)) return;

    // Filter radii in image pixels: how far one device pixel reaches along each image axis.
    const int W = int(theImage->width), H = int(theImage->height);
    const double theDeterminant = std::fabs(m.a * m.d - m.b * m.c);
    const double theRadiusX = std::clamp(W / w * std::hypot(m.c, m.d) / theDeterminant, 1.0, double(W));
    const double theRadiusY = std::clamp(H / h * std::hypot(m.a, m.b) / theDeterminant, 1.0, double(H));
    const int theMaxTapsX = 2 * int(std::ceil(theRadiusX)) + 2, theMaxTapsY = 2 * int(std::ceil(theRadiusY)) + 2;
    double* theWeightsX = reinterpret_cast<double*>(NewPtr(Size((theMaxTapsX + theMaxTapsY) * sizeof(double))));
    if (!theWeightsX) return;
    double* theWeightsY = theWeightsX + theMaxTapsX;

    ForEachCoveredPixel(theContext, rect, [&](UInt8* thePixel, double u, double v) {
        int theFirstX, theFirstY;
        const int theCountX = TentTaps(u * W, theRadiusX, W, theWeightsX, &theFirstX);
        const int theCountY = TentTaps((1.0 - v) * H, theRadiusY, H, theWeightsY, &theFirstY);
        double theSum[4] = {0, 0, 0, 0}, theTotal = 0;
        for (int j = 0; j < theCountY; ++j) {
            const UInt8* theRow = theImage->pixels + (size_t(theFirstY + j) * W + theFirstX) * 4;
            for (int i = 0; i < theCountX; ++i) {
                const double theWeight = theWeightsX[i] * theWeightsY[j];
                for (int k = 0; k < 4; ++k) theSum[k] += theWeight * theRow[4 * i + k];
                theTotal += theWeight;
            }
        }
        for (double& theChannel : theSum) theChannel /= theTotal;
        Composite(theSum, thePixel);
    });
    DisposePtr(reinterpret_cast<Ptr>(theWeightsX));
}

} // extern "C"
