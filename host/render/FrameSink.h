// Where a render's frames go, one after the other: a movie file, or a window that plays them.
#pragma once

#include "AudioFrames.h"
#include "QuickDraw.h"

#include <string>

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // False: the render skips the sound.
    virtual bool CarriesAudio() const = 0;
    // One frame and its sound (null: silence); false with one line in outError stops the render.
    virtual bool AddFrame(GWorldPtr theFrame, const video::AudioBlock* theAudio, std::string& outError) = 0;
    virtual SInt32 FramesWritten() const = 0;
};
