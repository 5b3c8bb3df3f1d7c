// AAC sound encoded in parts on threads of their own; see the header for why the joins hold.
#include "parallelaudioencoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <exception>
#include <limits>

namespace video {

namespace {

constexpr int64_t cFrameSamples = 1024; // an AAC frame
// A part of about 5.5 s at 48 kHz: few joins, and 2 % of the sound encoded twice. The parts not
// yet written then lag the pictures by up to some 16 s.
constexpr int64_t cPartSamples = 256 * cFrameSamples;
// Frames encoded before a part and thrown away, so that its encoder's window choice and rate
// follow the sound as a single encoder's would (around the joins 2 frames measured 0.25 dB
// worse than 8 or 16, and 4 within 0.1 dB of them); and frames after, for its last packet's
// overlap.
constexpr int64_t cLeadSamples = 4 * cFrameSamples;
constexpr int64_t cTailSamples = 2 * cFrameSamples;
constexpr size_t cPartsEncoding = 2; // one a core

} // namespace

ParallelAudioEncoder::ParallelAudioEncoder(std::string theMovie, EncoderOpener theOpener, PacketWriter theWriter)
    : mMovie(std::move(theMovie)), mOpener(std::move(theOpener)), mWriter(std::move(theWriter))
{
}

int64_t ParallelAudioEncoder::LagMicroseconds(int theSampleRate)
{
    // The parts encoding, and the one filling.
    return int64_t(cPartsEncoding + 1) * cPartSamples * 1000000 / theSampleRate;
}

ParallelAudioEncoder::~ParallelAudioEncoder()
{
    for (std::future<Part>& thePart : mRunning) thePart.wait();
}

bool ParallelAudioEncoder::Write(const float* theSamples, int64_t theCount, std::string& outError)
{
    mSamples.insert(mSamples.end(), theSamples, theSamples + theCount * 2);
    while (mSamplesStart + int64_t(mSamples.size() / 2) >= mNextPart + cPartSamples + cTailSamples)
        if (!StartPart(false, outError)) return false;
    return true;
}

bool ParallelAudioEncoder::Finish(std::string& outError)
{
    const bool theRest = mSamplesStart + int64_t(mSamples.size() / 2) > mNextPart || mNextPart == 0;
    if (theRest && !StartPart(true, outError)) return false;
    return WriteFinishedParts(0, outError);
}

bool ParallelAudioEncoder::StartPart(bool theLast, std::string& outError)
{
    const int64_t theEnd = mSamplesStart + int64_t(mSamples.size() / 2);
    const int64_t theFirst = std::max<int64_t>(0, mNextPart - cLeadSamples);
    const int64_t theStop = theLast ? theEnd : mNextPart + cPartSamples + cTailSamples;
    // The first part keeps the encoder's priming packet, which comes before sample 0.
    const int64_t theKeepFrom = mNextPart == 0 ? std::numeric_limits<int64_t>::min() : mNextPart;
    const int64_t theKeepTo = theLast ? std::numeric_limits<int64_t>::max() : mNextPart + cPartSamples;
    try {
        std::vector<float> thePart(mSamples.begin() + (theFirst - mSamplesStart) * 2,
                                   mSamples.begin() + (theStop - mSamplesStart) * 2);
        mRunning.push_back(std::async(std::launch::async, &ParallelAudioEncoder::EncodePart, this, std::move(thePart),
                                      theFirst, theKeepFrom, theKeepTo));
    } catch (const std::exception& theFailure) { // no thread, or no memory for the part
        outError = "cannot encode the sound of " + mMovie + ": " + theFailure.what();
        return false;
    }
    mNextPart += cPartSamples;
    const int64_t theNeeded = std::max<int64_t>(0, mNextPart - cLeadSamples);
    if (theNeeded > mSamplesStart) {
        const int64_t theDropped = std::min<int64_t>(theNeeded, theEnd) - mSamplesStart;
        mSamples.erase(mSamples.begin(), mSamples.begin() + theDropped * 2);
        mSamplesStart += theDropped;
    }
    return WriteFinishedParts(cPartsEncoding, outError);
}

// Writes the parts done, in order, and waits while more than theMostWaiting are not written.
bool ParallelAudioEncoder::WriteFinishedParts(size_t theMostWaiting, std::string& outError)
{
    while (!mRunning.empty() && (mRunning.size() > theMostWaiting ||
                                 mRunning.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready)) {
        Part thePart = mRunning.front().get();
        mRunning.pop_front();
        if (!thePart.error.empty()) {
            outError = thePart.error;
            return false;
        }
        for (PacketPtr& thePacket : thePart.packets)
            if (!mWriter(thePacket.get(), outError)) return false;
    }
    return true;
}

// Runs on a thread of its own: reads nothing of this but what stays fixed.
ParallelAudioEncoder::Part ParallelAudioEncoder::EncodePart(std::vector<float> theSamples, int64_t theFirstSample,
                                                            int64_t theKeepFrom, int64_t theKeepTo) const
{
    Part thePart;
    CodecPtr theEncoder = mOpener(thePart.error);
    if (!theEncoder) return thePart;
    FramePtr theFrame(av_frame_alloc());
    PacketPtr thePacket(av_packet_alloc());
    int theResult = theFrame && thePacket ? 0 : AVERROR(ENOMEM);
    if (theResult >= 0 && (theEncoder->sample_fmt != AV_SAMPLE_FMT_FLTP || theEncoder->frame_size != cFrameSamples ||
                           theEncoder->ch_layout.nb_channels != 2))
        theResult = AVERROR_BUG;
    if (theResult >= 0) {
        theFrame->format = AV_SAMPLE_FMT_FLTP;
        theFrame->sample_rate = theEncoder->sample_rate;
        theFrame->nb_samples = int(cFrameSamples);
        theResult = av_channel_layout_copy(&theFrame->ch_layout, &theEncoder->ch_layout);
    }
    if (theResult >= 0) theResult = av_frame_get_buffer(theFrame.get(), 0);

    const int64_t theCount = int64_t(theSamples.size() / 2);
    auto theReceive = [&]() {
        for (;;) {
            const int theReceived = avcodec_receive_packet(theEncoder.get(), thePacket.get());
            if (theReceived == AVERROR(EAGAIN) || theReceived == AVERROR_EOF) return 0;
            if (theReceived < 0) return theReceived;
            if (thePacket->pts >= theKeepFrom && thePacket->pts < theKeepTo) {
                thePart.packets.emplace_back(av_packet_alloc());
                if (!thePart.packets.back()) return AVERROR(ENOMEM);
                av_packet_move_ref(thePart.packets.back().get(), thePacket.get());
            }
            av_packet_unref(thePacket.get());
        }
    };
    for (int64_t theAt = 0; theResult >= 0 && theAt < theCount; theAt += cFrameSamples) {
        const int theLength = int(std::min(cFrameSamples, theCount - theAt));
        theResult = av_frame_make_writable(theFrame.get());
        if (theResult < 0) break;
        float* theLeft = reinterpret_cast<float*>(theFrame->data[0]);
        float* theRight = reinterpret_cast<float*>(theFrame->data[1]);
        for (int i = 0; i < theLength; ++i) {
            theLeft[i] = theSamples[size_t(theAt + i) * 2];
            theRight[i] = theSamples[size_t(theAt + i) * 2 + 1];
        }
        theFrame->nb_samples = theLength;
        theFrame->pts = theFirstSample + theAt;
        theResult = avcodec_send_frame(theEncoder.get(), theFrame.get());
        if (theResult >= 0) theResult = theReceive();
    }
    if (theResult >= 0) theResult = avcodec_send_frame(theEncoder.get(), nullptr);
    if (theResult >= 0) theResult = theReceive();
    if (theResult < 0) thePart.error = "cannot encode the sound of " + mMovie + ": " + ErrorText(theResult);
    return thePart;
}

} // namespace video
