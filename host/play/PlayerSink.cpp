#include "PlayerSink.h"

#include <new>

namespace play {

bool PlayerSink::AddFrame(GWorldPtr theFrame, const video::AudioBlock* theAudio, std::string& outError)
{
    PixMapHandle thePixMap = GetGWorldPixMap(theFrame);
    if (!thePixMap || GetPixDepth(thePixMap) != 32) {
        outError = "movies are played only from 32-bit GWorlds";
        return false;
    }
    Rect theBounds;
    GetPixBounds(thePixMap, &theBounds);
    const SInt32 theWidth = theBounds.right - theBounds.left, theHeight = theBounds.bottom - theBounds.top;
    if (theWidth <= 0 || theHeight <= 0) {
        outError = "cannot play an empty frame";
        return false;
    }
    try {
        auto theCopy = std::make_unique<PlayFrame>();
        theCopy->index = mFrames;
        theCopy->width = theWidth;
        theCopy->height = theHeight;
        const size_t theRowBytes = size_t(theWidth) * 4;
        theCopy->pixels.reserve(theRowBytes * size_t(theHeight));
        const auto* theSource = reinterpret_cast<const std::uint8_t*>(GetPixBaseAddr(thePixMap));
        const SInt32 theSourceRowBytes = GetPixRowBytes(thePixMap);
        for (SInt32 y = 0; y < theHeight; ++y) {
            const std::uint8_t* theRow = theSource + size_t(y) * theSourceRowBytes;
            theCopy->pixels.insert(theCopy->pixels.end(), theRow, theRow + theRowBytes);
        }
        if (mWithSound) {
            // A block a sample off the frame's length would slowly move sound against picture.
            video::AudioBlock theSound;
            if (theAudio) theSound = *theAudio;
            if (!video::FitAudioLength(theSound, video::AudioSamplesInFrame(mFrames, mRate), outError)) return false;
            video::ClipAudio(theSound);
            theCopy->sound = std::move(theSound.samples);
        }
        if (!mQueue.Push(std::move(theCopy))) return false;
    } catch (const std::bad_alloc&) {
        outError = "out of memory playing frame " + std::to_string(mFrames);
        return false;
    }
    ++mFrames;
    return true;
}

} // namespace play
