// Frame rates and clip descriptions shared by the movie reader and writer.
#pragma once

#include "MacTypes.h"

#include <string>

namespace video {

// Frames per second as a fraction, e.g. 30000/1001.
struct FrameRate {
    SInt32 num = 25;
    SInt32 den = 1;
};

struct ClipInfo {
    // Upright: a picture the file says to turn (a phone's portrait movie, a photo's
    // orientation) is measured, and drawn, turned.
    SInt32 width = 0;
    SInt32 height = 0;
    FrameRate rate;
    FrameRate ownRate; // the file's, whatever rate the clip is conformed to
    bool rateVaries = false; // ownRate is the average of unevenly spaced frames
    SInt32 frameCount = 0;
    bool hasAudio = false;
    // Colour primaries and transfer as the file tags them (FFmpeg's AVColorPrimaries and
    // AVColorTransferCharacteristic numbers; 2 for untagged).
    int primaries = 2;
    int transfer = 2;
    // How its pictures are read: the YUV matrix (AVColorSpace; AVCOL_SPC_RGB for RGB, grey or
    // palette pictures)
    // and whether they use the full range of levels.
    int colorSpace = 2;
    bool fullRange = false;
    // The shape of a pixel, width to height (8:9 for NTSC DV); 1:1 where the file gives none.
    SInt32 pixelAspectNum = 1;
    SInt32 pixelAspectDen = 1;
    // The file holds a single picture (a photo, or a movie of one frame).
    bool still = false;
    // Quarter turns clockwise that make the stored picture upright, 0 to 3. A mirrored
    // orientation is left as stored.
    int quarterTurns = 0;
    std::string description; // one line for people: container, codecs, size, rate, length
};

} // namespace video
