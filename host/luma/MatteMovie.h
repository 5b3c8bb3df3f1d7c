// The transition as a track matte: a black-and-white movie whose frame j (from 1) is white
// where the render shows the new picture on the transition's frame j, black elsewhere. It
// follows the luma map, so the matte, the map and the render agree pixel for pixel.
#pragma once

#include "LumaMap.h"
#include "VideoTypes.h"

#include <string>

struct MatteRequest {
    LumaRequest map;
    video::FrameRate rate;
    bool invert = false; // black where the new picture shows
};

// Sizes FFmpeg writes (at most some 268 million pixels with a margin), and even ones for ProRes:
// false with the reason.
bool CheckMatteSize(const MatteRequest& theRequest, const std::string& thePath, std::string& outError);

// Writes the matte to thePath, its kind by the extension (.mkv, .mov, .png); the file, or the
// picture sequence, appears only when complete. False with one line in outError.
bool WriteMatteMovie(const MatteRequest& theRequest, const std::string& thePath, std::string& outError);
