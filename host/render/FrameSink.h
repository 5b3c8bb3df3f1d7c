// Where a render's frames go, one after the other: a movie file, or a window that plays them.
#pragma once

#include "AudioFrames.h"
#include "MovieWriter.h"
#include "QuickDraw.h"

#include <string>

struct AVFrame;

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // False: the render skips the sound.
    virtual bool CarriesAudio() const = 0;
    // One frame and its sound (null: silence); false with one line in outError stops the render.
    virtual bool AddFrame(GWorldPtr theFrame, const video::AudioBlock* theAudio, std::string& outError) = 0;
    // A frame as the decoder gave it (see MovieWriter::AddDecodedFrame), for the sinks of the
    // outputs whose plan passes frames on undrawn.
    virtual bool AddDecodedFrame(const AVFrame* theFrame, const video::AudioBlock* theAudio, std::string& outError)
    {
        (void)theFrame;
        (void)theAudio;
        outError = "this sink takes only drawn frames";
        return false;
    }
    // Frames [theFirst, theEnd) of a clip, its packets copied as they are (see
    // MovieWriter::AddCopiedPackets), for the sinks of the outputs whose plan copies them.
    virtual bool AddCopiedPackets(const video::ClipCopyFacts& theClip, SInt32 theFirst, SInt32 theEnd,
                                  const video::MovieWriter::SoundOfFrame& theSound, std::string& outError)
    {
        (void)theClip;
        (void)theFirst;
        (void)theEnd;
        (void)theSound;
        outError = "this sink takes no copied pictures";
        return false;
    }
    virtual SInt32 FramesWritten() const = 0;
};
