// The sink a played render goes into: each frame is copied out of the render's GWorld, with
// its sound cut to the frame's length, and handed to the player's queue.
#pragma once

#include "FrameSink.h"
#include "PlayQueue.h"

namespace play {

class PlayerSink : public FrameSink {
public:
    // theWithSound: the movie has sound and there is a device to play it on.
    PlayerSink(PlayQueue& theQueue, video::FrameRate theRate, bool theWithSound)
        : mQueue(theQueue), mRate(theRate), mWithSound(theWithSound) {}

    bool CarriesAudio() const override { return mWithSound; }
    // False with outError empty once the player has quit.
    bool AddFrame(GWorldPtr theFrame, const video::AudioBlock* theAudio, std::string& outError) override;
    SInt32 FramesWritten() const override { return mFrames; }

private:
    PlayQueue& mQueue;
    const video::FrameRate mRate;
    const bool mWithSound;
    SInt32 mFrames = 0;
};

} // namespace play
