// The engine's threshold map for one transition at the canvas size, as 16-bit levels in a
// texture (see LumaMap.h for what a level means).
#pragma once

#include <obs-module.h>

#include <cstdint>
#include <vector>

// The levels row by row, each row padded to an even count: OpenGL reads rows of texels aligned
// to 4 bytes unless told otherwise, and a 16-bit row of odd width would come back skewed. Empty
// without memory.
std::vector<uint16_t> MakeMapLevels(int32_t theWhich, int32_t theFrames, uint32_t theWidth, uint32_t theHeight);
uint32_t PadMapWidth(uint32_t theWidth);

struct DissolveMap {
    gs_texture_t* texture = nullptr;
    int32_t which = 0;
    int32_t frames = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

// Makes the map unless it is already the one asked for; in the graphics context. False when it
// cannot be made (no memory, a canvas larger than a texture can be).
bool PrepareDissolveMap(DissolveMap& ioMap, int32_t theWhich, int32_t theFrames, uint32_t theWidth,
                        uint32_t theHeight);
void ReleaseDissolveMap(DissolveMap& ioMap);
