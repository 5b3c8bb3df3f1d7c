// Frames larger than the engine's 16-bit coordinates go through it in tiles of at most 32767
// pixels a side; the region is found in the whole frame, then cut to each tile.
#pragma once

#include "relrects.h"

#include <cstddef>
#include <cstdint>

constexpr uint32_t cTileSide = 32767;

// Pixels of the whole frame, right and bottom excluded.
struct WideRect {
    uint32_t left;
    uint32_t top;
    uint32_t right;
    uint32_t bottom;
};

size_t CountTiles(uint32_t theWidth, uint32_t theHeight);
// Tiles are numbered row by row, from the top left.
WideRect GetTileRect(uint32_t theWidth, uint32_t theHeight, size_t theIndex);
// As the engine converts a region and its kernels clip it, without the 16-bit limit.
WideRect Rel2WideRect(const relRect& theRel, uint32_t theWidth, uint32_t theHeight);
// The part of theRegion inside theTile, in the tile's own coordinates.
Rect WideRect2TileRect(const WideRect& theRegion, const WideRect& theTile);
