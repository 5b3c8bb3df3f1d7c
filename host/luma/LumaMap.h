// Glintweave's threshold map as the greyscale map of a hard luma wipe (MLT's luma transition,
// FFmpeg's threshold filter): a pixel shows the new picture once trunc(65536 x progress) has
// reached its level, where progress is frame / length. The levels put every pixel on the frame
// on which Glintweave's render first shows it new, so the wipe over that many frames at that
// size is the same transition, pixel for pixel.
#pragma once

#include "MacTypes.h"
#include "relrects.h"

#include <functional>

// The longest transition whose frames 16-bit levels still tell apart.
constexpr SInt32 cLongestLumaFrames = 32768;

struct LumaRequest {
    SInt32 width;
    SInt32 height;
    SInt32 frames;  // the transition's length, 1 to cLongestLumaFrames
    SInt32 which;   // 1 Out, 2 In, 3 Cross
    relRect region; // as the saved settings hold it
};

// The region's pixels as the kernels clip it to a frame: columns left to right, rows top to
// bottom, ends excluded; empty when it has no area.
struct LumaRegion {
    SInt32 left;
    SInt32 right;
    SInt32 top;
    SInt32 bottom;
};
LumaRegion ClipLumaRegion(const relRect& theRegion, SInt32 theWidth, SInt32 theHeight);

// The level of a pixel first shown new on frame theFrame of theFrames: 0 when it is new from the
// start, 65535 when never within them. Half a frame's margin either side of the switch.
UInt16 LumaLevel(SInt32 theFrame, SInt32 theFrames);

// The level a hard wipe has reached on frame theIndex (from 0) of theFrames: trunc(65536 x
// theIndex / theFrames). A pixel shows the new picture there when its level is at most this.
UInt16 WipeLevel(SInt32 theIndex, SInt32 theFrames);

// Hands the map's rows to theRow, top to bottom; stops and answers false when theRow does, or
// without memory. The thresholds are the ones the render draws: the platform's generator from
// seed 1, as at the start of the host program. The generator's seed is put back afterwards.
bool MakeLumaMap(const LumaRequest& theRequest, const std::function<bool(const UInt16* theLevels)>& theRow);
