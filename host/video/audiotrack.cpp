#include "audiotrack.h"

#include "AudioFrames.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>

namespace video {

namespace {

constexpr SInt64 cHistory = cAudioSampleRate;        // kept behind the last read, for small steps back
constexpr SInt64 cMaxSkip = 2 * cAudioSampleRate;    // farther ahead than this, seeking beats decoding
constexpr SInt64 cGapTolerance = cAudioSampleRate / 20; // a timestamp jump beyond this is a hole: silence
constexpr SInt64 cMaxGap = 10 * cAudioSampleRate;      // beyond this the stream restarts there instead
// Decoders of overlapping transforms (AAC, MP3, Opus) need this much sound before a seek
// target to give it correctly.
constexpr SInt64 cPreroll = cAudioSampleRate / 10;

const AVRational cSampleTime{1, cAudioSampleRate};

} // namespace

AudioTrack::~AudioTrack()
{
    av_channel_layout_uninit(&mResamplerLayout);
}

bool AudioTrack::Open(const std::string& thePath, int64_t theOrigin, std::string& outError)
{
    if (!mInput.Open(thePath, AVMEDIA_TYPE_AUDIO, outError)) return false;
    mFrame.reset(av_frame_alloc());
    if (!mFrame) {
        outError = "out of memory opening the sound of " + Quoted(FileNameOf(thePath));
        return false;
    }
    mOrigin = theOrigin;
    mPositioned = false;
    mEnded = false;
    return true;
}

SInt64 AudioTrack::SampleOf(int64_t theTimestamp) const
{
    return av_rescale_q(theTimestamp, mInput.Stream()->time_base, cSampleTime) - av_rescale_q(mOrigin, AV_TIME_BASE_Q, cSampleTime);
}

bool AudioTrack::Read(SInt64 theFirst, SInt32 theCount, float* theSamples, std::string& outError)
{
    if (!mPositioned || theFirst < mBufferStart || theFirst > BufferEnd() + cMaxSkip) {
        if (!SeekTo(theFirst, outError)) return false;
    }
    while (!mEnded && (!mPositioned || BufferEnd() < theFirst + theCount)) {
        if (!DecodeMore(outError)) return false;
    }
    for (SInt32 i = 0; i < theCount; ++i) {
        SInt64 theIndex = theFirst + i - mBufferStart;
        bool theHave = mPositioned && theIndex >= 0 && theIndex < SInt64(mBuffer.size() / 2);
        theSamples[2 * i] = theHave ? mBuffer[size_t(2 * theIndex)] : 0.0f;
        theSamples[2 * i + 1] = theHave ? mBuffer[size_t(2 * theIndex + 1)] : 0.0f;
    }
    // Dropped a second at a time: each drop moves what is kept.
    SInt64 theDrop = std::clamp<SInt64>(theFirst - cHistory - mBufferStart, 0, SInt64(mBuffer.size() / 2));
    if (mPositioned && theDrop >= cHistory) {
        mBuffer.erase(mBuffer.begin(), mBuffer.begin() + 2 * theDrop);
        mBufferStart += theDrop;
    }
    return true;
}

bool AudioTrack::SeekTo(SInt64 theSample, std::string& outError)
{
    int64_t theTime = av_rescale_q(theSample - cPreroll, cSampleTime, AV_TIME_BASE_Q) + mOrigin;
    if (!mInput.Seek(av_rescale_q(theTime, AV_TIME_BASE_Q, mInput.Stream()->time_base))) {
        if (!mInput.Rewind(outError)) return false;
    }
    mBuffer.clear();
    mPositioned = false;
    mEnded = false;
    mResampler.reset(); // its delay line holds sound from before the seek
    return true;
}

bool AudioTrack::DecodeMore(std::string& outError)
{
    switch (mInput.ReceiveFrame(mFrame.get(), outError)) {
    case MediaInput::Result::failed:
        return false;
    case MediaInput::Result::end:
        mEnded = true;
        return true;
    case MediaInput::Result::frame:
        break;
    }
    bool theOk = Append(mFrame.get(), outError);
    av_frame_unref(mFrame.get());
    return theOk;
}

bool AudioTrack::Append(const AVFrame* theFrame, std::string& outError)
{
    int64_t theTimestamp = theFrame->best_effort_timestamp;
    if (theTimestamp != AV_NOPTS_VALUE) {
        SInt64 theSample = SampleOf(theTimestamp);
        SInt64 theGap = theSample - BufferEnd();
        if (!mPositioned || theGap > cMaxGap) {
            mBuffer.clear();
            mBufferStart = theSample;
            mPositioned = true;
        } else if (theGap > cGapTolerance) {
            mBuffer.resize(mBuffer.size() + size_t(2 * theGap), 0.0f);
        }
    } else if (!mPositioned) {
        mBufferStart = 0;
        mPositioned = true;
    }

    AVChannelLayout theLayout{};
    if (theFrame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) av_channel_layout_default(&theLayout, theFrame->ch_layout.nb_channels);
    else av_channel_layout_copy(&theLayout, &theFrame->ch_layout);
    if (!mResampler || theFrame->format != mResamplerFormat || theFrame->sample_rate != mResamplerRate ||
        av_channel_layout_compare(&theLayout, &mResamplerLayout) != 0) {
        AVChannelLayout theStereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext* theResampler = nullptr;
        int theResult = swr_alloc_set_opts2(&theResampler, &theStereo, AV_SAMPLE_FMT_FLT, cAudioSampleRate, &theLayout,
                                            AVSampleFormat(theFrame->format), theFrame->sample_rate, 0, nullptr);
        mResampler.reset(theResampler);
        if (theResult >= 0) theResult = swr_init(theResampler);
        if (theResult < 0) {
            av_channel_layout_uninit(&theLayout);
            outError = "cannot convert the sound of " + Quoted(FileNameOf(mInput.Path())) + ": " + ErrorText(theResult);
            mResampler.reset();
            return false;
        }
        mResamplerFormat = theFrame->format;
        mResamplerRate = theFrame->sample_rate;
        av_channel_layout_uninit(&mResamplerLayout);
        mResamplerLayout = theLayout;
    } else {
        av_channel_layout_uninit(&theLayout);
    }

    int theRoom = swr_get_out_samples(mResampler.get(), theFrame->nb_samples);
    if (theRoom <= 0) return true;
    size_t theOldSize = mBuffer.size();
    mBuffer.resize(theOldSize + size_t(2 * theRoom));
    uint8_t* theOutput = reinterpret_cast<uint8_t*>(mBuffer.data() + theOldSize);
    int theMade = swr_convert(mResampler.get(), &theOutput, theRoom, const_cast<const uint8_t**>(theFrame->extended_data),
                              theFrame->nb_samples);
    if (theMade < 0) {
        mBuffer.resize(theOldSize);
        outError = "cannot convert the sound of " + Quoted(FileNameOf(mInput.Path())) + ": " + ErrorText(theMade);
        return false;
    }
    mBuffer.resize(theOldSize + size_t(2 * theMade));
    return true;
}

} // namespace video
