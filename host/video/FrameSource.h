// A movie (or picture sequence) read frame by frame: any file FFmpeg reads, any frame in any
// order, scaled into GWorlds, with the sound that belongs to each frame.
//
// Frame numbers run from 0 to Info().frameCount - 1, at the file's own rate or at the rate the
// clip is conformed to. A frame the file lacks (a variable-rate
// gap) shows the frame before it. Reading frames in order never seeks; a jump seeks to the key
// frame before the target and decodes forward; the last few pictures delivered are kept, at
// the size they were delivered, so that scrubbing back and forth costs little.
//
// Errors come back as one line in theError; nothing throws.
#pragma once

#include "AudioFrames.h"
#include "QuickDraw.h"
#include "VideoTypes.h"

struct AVFrame;

#include <memory>
#include <string>

namespace video {

class FrameSource {
public:
    // Null, with the reason in theError, when the file cannot be read or holds no picture.
    static std::unique_ptr<FrameSource> Open(const std::string& thePath, std::string& outError) noexcept;
    // The clip conformed to a timeline of theRate: its frames are numbered at theRate, each
    // showing the picture presented at its time, and the sound follows that numbering.
    static std::unique_ptr<FrameSource> Open(const std::string& thePath, FrameRate theRate,
                                             std::string& outError) noexcept;
    ~FrameSource();
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;

    const ClipInfo& Info() const noexcept;

    // Draws frame theFrame scaled to the whole of theDestination, a 32-bit GWorld of any size;
    // fitted, when SetFitting is on.
    bool DrawFrame(SInt32 theFrame, GWorldPtr theDestination, std::string& outError) noexcept;

    // Frame theFrame as the decoder gave it, stored as the file holds it (not turned, scaled or
    // fitted), valid until the next call; null with the reason. Not for stills, which keep only
    // their scaled picture.
    const AVFrame* DecodedFrame(SInt32 theFrame, std::string& outError) noexcept;

    // The sound during frame theFrame: AudioSamplesInFrame(theFrame, Info().rate) stereo samples
    // at 48 kHz, silence where the clip has none.
    bool GetFrameAudio(SInt32 theFrame, AudioBlock& theAudio, std::string& outError) noexcept;

    // Pictures kept for scrubbing: at most theFrames, and theBytes of pixels (one is kept
    // whatever its size). The default keeps 12 frames within 16 MB: 12 at 720x480, two at 1080p.
    // No frames keeps none: a reader that asks for each frame once then scales it straight into
    // the GWorld.
    void SetCacheLimits(SInt32 theFrames, SInt64 theBytes) noexcept;

    // From now on a picture of another shape than the destination (by its pixels' aspect too)
    // is drawn as large as fits, centred, on black, rather than stretched. A shape within 1 % of
    // the destination's still fills it: a line of black would show more than the stretch.
    void SetFitting(bool theFitting) noexcept;

    // Scaling from now on quick (bilinear at its fastest) rather than smooth: for proxies.
    void SetQuickScaling(bool theQuick) noexcept;

    // What the reader did, for tests and benchmarks.
    struct Statistics {
        SInt64 decoded = 0;   // pictures decoded
        SInt64 seeks = 0;     // jumps in the file
        SInt64 cacheHits = 0; // frames delivered from the cache
    };
    Statistics GetStatistics() const noexcept;

private:
    struct State;
    explicit FrameSource(std::unique_ptr<State> theState);
    std::unique_ptr<State> mState;
};

} // namespace video
