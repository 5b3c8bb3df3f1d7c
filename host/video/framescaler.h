// Scaling and colour conversion between decoded pictures and 32-bit alpha-red-green-blue rows.
#pragma once

#include "avsupport.h"
#include "colourtags.h"

#include <string>

namespace video {

// A picture in memory: alpha, red, green, blue bytes per pixel, rows theRowBytes apart.
struct ArgbPixels {
    uint8_t* base = nullptr;
    int rowBytes = 0;
    int width = 0;
    int height = 0;
};

class FrameScaler {
public:
    // Scales theFrame, in any pixel format, to the whole of theTarget.
    bool ToArgb(const AVFrame* theFrame, const ArgbPixels& theTarget, std::string& outError);

    // Scales theSource into theFrame, whose format, size and buffers are already set, tagging
    // the frame with the colour matrix used.
    bool FromArgb(const ArgbPixels& theSource, AVFrame* theFrame, std::string& outError);

    // Scales the top left theWidth x theHeight of theFrom, a YUV picture, into theTo, whose
    // format, size and buffers are already set: a change of size or format, never of colour
    // matrix (limited range out).
    bool Convert(const AVFrame* theFrom, int theWidth, int theHeight, AVFrame* theTo, std::string& outError);

    // Scaling by size quick rather than smooth, from the next picture on.
    void SetQuick(bool theQuick) { mQuick = theQuick; }

    struct Setup {
        int sourceWidth, sourceHeight, sourceFormat;
        int targetWidth, targetHeight, targetFormat;
        int colorSpace, fullRange; // of the YUV side, if any
        bool quick = false;
        bool operator==(const Setup&) const = default;
    };

private:
    SwsContext* Prepare(const Setup& theSetup, std::string& outError);

    ScalerPtr mContext;
    Setup mSetup{};
    bool mQuick = false;
};

// The matrix a decoded picture is read with: its tag, or for an untagged one the usual matrix
// for its height, as players read it.
AVColorSpace InputColorSpace(const AVFrame* theFrame);

// True for YUV pictures with the full range of levels (JPEG's), by format or tag.
bool IsFullRangeYuv(const AVFrame* theFrame);

} // namespace video
