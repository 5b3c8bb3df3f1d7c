// AAC sound encoded on both cores: the track is cut into parts of a few seconds, each encoded by
// an encoder of its own on a thread of its own, and their packets are joined in order.
//
// A part's encoder starts some frames early and goes on a little past the part's end, and only
// the packets of the part's own frames are kept: each kept packet then codes the same stretch of
// sound, windowed the same way, as one encoder for the whole track would have, and the decoder's
// overlap of two neighbouring packets from two encoders holds the same sound. Without the early
// start a part's first packet would code silence before it, and its window choice (long or
// short blocks) would not follow the sound before it.
#pragma once

#include "avsupport.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace video {

class ParallelAudioEncoder {
public:
    // Opens one part's encoder, as the track's own was opened.
    using EncoderOpener = std::function<CodecPtr(std::string& outError)>;
    // Muxes one packet; its times are samples from the start of the track.
    using PacketWriter = std::function<bool(AVPacket* thePacket, std::string& outError)>;

    // theMovie names the movie in errors.
    ParallelAudioEncoder(std::string theMovie, EncoderOpener theOpener, PacketWriter theWriter);
    ~ParallelAudioEncoder();
    ParallelAudioEncoder(const ParallelAudioEncoder&) = delete;
    ParallelAudioEncoder& operator=(const ParallelAudioEncoder&) = delete;

    // theCount interleaved stereo float samples, in order.
    bool Write(const float* theSamples, int64_t theCount, std::string& outError);

    // How far, in microseconds, the sound written may lag the pictures.
    static int64_t LagMicroseconds(int theSampleRate);

    // Encodes the rest and writes every packet still waiting.
    bool Finish(std::string& outError);

private:
    struct Part {
        std::string error; // empty when the part encoded
        std::vector<PacketPtr> packets;
    };

    bool StartPart(bool theLast, std::string& outError);
    bool WriteFinishedParts(size_t theMostWaiting, std::string& outError);
    Part EncodePart(std::vector<float> theSamples, int64_t theFirstSample, int64_t theKeepFrom, int64_t theKeepTo) const;

    std::string mMovie;
    EncoderOpener mOpener;
    PacketWriter mWriter;
    std::vector<float> mSamples; // interleaved, from mSamplesStart on
    int64_t mSamplesStart = 0;
    int64_t mNextPart = 0; // the first sample of the next part to start
    std::deque<std::future<Part>> mRunning;
};

} // namespace video
