// A clip's sound, decoded on demand to 48 kHz stereo float and addressed by sample number.
#pragma once

#include "mediainput.h"
#include "MacTypes.h"

#include <string>
#include <vector>

namespace video {

class AudioTrack {
public:
    AudioTrack() = default;
    AudioTrack(const AudioTrack&) = delete;
    AudioTrack& operator=(const AudioTrack&) = delete;
    ~AudioTrack();

    // theOrigin: the time of video frame 0, in AV_TIME_BASE units; sample 0 plays then.
    bool Open(const std::string& thePath, int64_t theOrigin, std::string& outError);

    // Stereo samples [theFirst, theFirst + theCount) into theSamples (interleaved); silence
    // where the clip has no sound. Reading on from where the last read ended decodes
    // onward; anything else seeks.
    bool Read(SInt64 theFirst, SInt32 theCount, float* theSamples, std::string& outError);

private:
    bool SeekTo(SInt64 theSample, std::string& outError);
    bool DecodeMore(std::string& outError);
    bool Append(const AVFrame* theFrame, std::string& outError);
    SInt64 SampleOf(int64_t theTimestamp) const;
    SInt64 BufferEnd() const { return mBufferStart + SInt64(mBuffer.size() / 2); }

    MediaInput mInput;
    FramePtr mFrame;
    ResamplerPtr mResampler;
    int mResamplerFormat = -1;
    int mResamplerRate = 0;
    AVChannelLayout mResamplerLayout{};
    int64_t mOrigin = 0;
    std::vector<float> mBuffer; // decoded samples from mBufferStart on
    SInt64 mBufferStart = 0;
    bool mPositioned = false; // mBufferStart is known
    bool mEnded = false;
};

} // namespace video
