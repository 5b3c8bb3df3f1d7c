// Where the host's frames come from: the movie as the editor numbers it, clip A then clip B.
#pragma once

#include "QuickDraw.h"

#include <string>

class ClipFrames {
public:
    virtual ~ClipFrames() = default;
    // Frames of clip A; frame numbers from this on belong to clip B.
    virtual SInt32 ClipALength() const = 0;
    virtual SInt32 ClipBLength() const = 0;
    // Draws movie frame theFrameNumber into theFrame, scaled to its size; false when it has none.
    virtual bool DrawFrame(SInt32 theFrameNumber, GWorldPtr theFrame, std::string& outError) = 0;
    // Frames drawn from now on may be scaled quickly rather than at best quality (a proxy's
    // low-quality requests).
    virtual void SetQuickFrames(bool) {}
    // The frame's audio volume as the host reports it (255 is full).
    virtual SInt16 Volume(SInt32) const { return 255; }
};
