// Test clips made from nothing by FFmpeg's own generators: a moving pattern and a steady tone.
#pragma once

#include "VideoTypes.h"

#include <string>

namespace video {

struct SyntheticClip {
    // One of testsrc2, testsrc, smptehdbars, smptebars, rgbtestsrc, mandelbrot.
    std::string pattern = "testsrc2";
    SInt32 width = 640;
    SInt32 height = 360;
    FrameRate rate;
    SInt32 frameCount = 75;
    double toneHertz = 440.0; // 0: no sound
    SInt32 keyFrameInterval = 0; // as in MovieSettings
};

// Writes the clip to thePath, in the format its extension names (see MovieWriter).
bool MakeSyntheticClip(const std::string& thePath, const SyntheticClip& theClip, std::string& outError) noexcept;

} // namespace video
