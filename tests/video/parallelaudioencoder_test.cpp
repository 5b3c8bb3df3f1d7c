#include "parallelaudioencoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

using video::CodecPtr;
using video::FramePtr;
using video::PacketPtr;
using video::ParallelAudioEncoder;

namespace {

// The movie's AAC: 48 kHz stereo at 192 kb/s, FFmpeg's fast coder.
CodecPtr OpenAac(std::string& outError)
{
    const AVCodec* theCodec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    CodecPtr theEncoder(avcodec_alloc_context3(theCodec));
    AVChannelLayout theStereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&theEncoder->ch_layout, &theStereo);
    theEncoder->sample_rate = 48000;
    theEncoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    theEncoder->time_base = AVRational{1, 48000};
    theEncoder->bit_rate = 192000;
    theEncoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* theOptions = nullptr;
    av_dict_set(&theOptions, "aac_coder", "fast", 0);
    const int theResult = avcodec_open2(theEncoder.get(), theCodec, &theOptions);
    av_dict_free(&theOptions);
    if (theResult < 0) {
        outError = "no AAC encoder";
        return nullptr;
    }
    return theEncoder;
}

// Music-like stereo: a beeping tone, noise, and a sharp click every 0.37 s, which makes the
// encoder switch to short blocks.
std::vector<float> TestSound(int64_t theCount)
{
    std::vector<float> theSound(size_t(theCount) * 2);
    uint32_t theSeed = 12345;
    for (int64_t i = 0; i < theCount; ++i) {
        const double t = double(i) / 48000;
        theSeed = theSeed * 1664525u + 1013904223u;
        const double theNoise = (double(theSeed >> 8) / double(1 << 24) - 0.5) * 0.02;
        const double theClick = std::fmod(t, 0.37) < 0.004 ? 0.8 * std::sin(2 * M_PI * 3000 * t) : 0;
        const double theTone = std::fmod(t, 1.0) < 0.5 ? 0.3 * std::sin(2 * M_PI * 440 * t) : 0;
        theSound[size_t(i) * 2] = float(theTone + theNoise + theClick);
        theSound[size_t(i) * 2 + 1] = float(0.5 * theTone - theNoise + theClick);
    }
    return theSound;
}

struct Encoded {
    std::vector<int64_t> times;
    std::vector<float> decoded; // interleaved, the priming dropped
};

// Decodes the packets as a player does, from the first encoder's header.
Encoded Decode(const std::vector<PacketPtr>& thePackets, const AVCodecContext* theHeader)
{
    Encoded theResult;
    const AVCodec* theCodec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    CodecPtr theDecoder(avcodec_alloc_context3(theCodec));
    AVCodecParameters* theParameters = avcodec_parameters_alloc();
    avcodec_parameters_from_context(theParameters, theHeader);
    avcodec_parameters_to_context(theDecoder.get(), theParameters);
    avcodec_parameters_free(&theParameters);
    EXPECT_EQ(avcodec_open2(theDecoder.get(), theCodec, nullptr), 0);
    FramePtr theFrame(av_frame_alloc());
    auto theTake = [&] {
        while (avcodec_receive_frame(theDecoder.get(), theFrame.get()) == 0) {
            const float* theLeft = reinterpret_cast<const float*>(theFrame->data[0]);
            const float* theRight = reinterpret_cast<const float*>(theFrame->data[1]);
            for (int i = 0; i < theFrame->nb_samples; ++i) {
                theResult.decoded.push_back(theLeft[i]);
                theResult.decoded.push_back(theRight[i]);
            }
        }
    };
    for (const PacketPtr& thePacket : thePackets) {
        theResult.times.push_back(thePacket->pts);
        EXPECT_EQ(avcodec_send_packet(theDecoder.get(), thePacket.get()), 0) << "at " << thePacket->pts;
        theTake();
    }
    avcodec_send_packet(theDecoder.get(), nullptr);
    theTake();
    theResult.decoded.erase(theResult.decoded.begin(), theResult.decoded.begin() + std::min<size_t>(2048, theResult.decoded.size()));
    return theResult;
}

// Signal to noise in dB over samples [theFrom, theTo).
double Snr(const std::vector<float>& theSound, const std::vector<float>& theDecoded, int64_t theFrom, int64_t theTo)
{
    double theSignal = 0, theNoise = 0;
    for (size_t i = size_t(theFrom) * 2; i < size_t(theTo) * 2; ++i) {
        theSignal += double(theSound[i]) * theSound[i];
        theNoise += (double(theDecoded[i]) - theSound[i]) * (double(theDecoded[i]) - theSound[i]);
    }
    return 10 * std::log10(theSignal / theNoise);
}

} // namespace

TEST(ParallelAudioEncoder, JoinsItsPartsIntoTheTrackOneEncoderWouldWrite)
{
    av_log_set_level(AV_LOG_ERROR);
    const int64_t theCount = 20 * 48000 + 777; // many parts, and a short last frame
    const std::vector<float> theSound = TestSound(theCount);
    std::string theError;

    // One encoder for the whole track.
    CodecPtr theSingle = OpenAac(theError);
    ASSERT_TRUE(theSingle) << theError;
    std::vector<PacketPtr> theSinglePackets;
    {
        FramePtr theFrame(av_frame_alloc());
        PacketPtr thePacket(av_packet_alloc());
        for (int64_t theAt = 0;; theAt += 1024) {
            const int theLength = int(std::min<int64_t>(1024, theCount - theAt));
            if (theLength > 0) {
                av_frame_unref(theFrame.get());
                theFrame->format = AV_SAMPLE_FMT_FLTP;
                theFrame->nb_samples = theLength;
                theFrame->sample_rate = 48000;
                AVChannelLayout theStereo = AV_CHANNEL_LAYOUT_STEREO;
                av_channel_layout_copy(&theFrame->ch_layout, &theStereo);
                ASSERT_EQ(av_frame_get_buffer(theFrame.get(), 0), 0);
                for (int i = 0; i < theLength; ++i) {
                    reinterpret_cast<float*>(theFrame->data[0])[i] = theSound[size_t(theAt + i) * 2];
                    reinterpret_cast<float*>(theFrame->data[1])[i] = theSound[size_t(theAt + i) * 2 + 1];
                }
                theFrame->pts = theAt;
            }
            ASSERT_EQ(avcodec_send_frame(theSingle.get(), theLength > 0 ? theFrame.get() : nullptr), 0);
            while (avcodec_receive_packet(theSingle.get(), thePacket.get()) == 0)
                theSinglePackets.emplace_back(av_packet_clone(thePacket.get()));
            if (theLength <= 0) break;
        }
    }

    // In parts, fed as a 25 fps movie feeds it, with an empty and a one-sample block among them.
    std::vector<PacketPtr> theParts;
    {
        ParallelAudioEncoder theEncoder("\"test.mp4\"", OpenAac, [&](AVPacket* thePacket, std::string&) {
            theParts.emplace_back(av_packet_clone(thePacket));
            return true;
        });
        int64_t theAt = 0;
        for (int64_t theBlock : {int64_t(0), int64_t(1), int64_t(1919)}) {
            ASSERT_TRUE(theEncoder.Write(theSound.data() + theAt * 2, theBlock, theError)) << theError;
            theAt += theBlock;
        }
        for (; theAt < theCount; theAt += 1920)
            ASSERT_TRUE(theEncoder.Write(theSound.data() + theAt * 2, std::min<int64_t>(1920, theCount - theAt), theError))
                << theError;
        ASSERT_TRUE(theEncoder.Finish(theError)) << theError;
    }

    const Encoded theOne = Decode(theSinglePackets, theSingle.get()), theJoined = Decode(theParts, theSingle.get());
    EXPECT_EQ(theJoined.times, theOne.times) << "the same packets, priming first, 1024 samples apart";
    ASSERT_GE(theJoined.decoded.size(), theSound.size());
    const double theWhole = Snr(theSound, theJoined.decoded, 0, theCount);
    EXPECT_GT(theWhole, Snr(theSound, theOne.decoded, 0, theCount) - 0.3);
    // Around each join (parts of 5.5 s) no click: the sound there is coded about as well as by
    // the one encoder.
    for (int64_t theJoin = 262144; theJoin + 2048 < theCount; theJoin += 262144)
        EXPECT_GT(Snr(theSound, theJoined.decoded, theJoin - 2048, theJoin + 2048),
                  Snr(theSound, theOne.decoded, theJoin - 2048, theJoin + 2048) - 3)
            << "join at " << theJoin;
}

TEST(ParallelAudioEncoder, APartThatFailsStopsTheTrackWithItsError)
{
    av_log_set_level(AV_LOG_ERROR);
    std::atomic<int> theOpened = 0; // parts open their encoders on threads of their own
    ParallelAudioEncoder theEncoder(
        "\"test.mp4\"",
        [&](std::string& outError) -> CodecPtr {
            if (++theOpened == 2) {
                outError = "cannot start the aac encoder for \"test.mp4\": out of memory";
                return nullptr;
            }
            return OpenAac(outError);
        },
        [](AVPacket*, std::string&) { return true; });
    const std::vector<float> theSound = TestSound(10 * 48000);
    std::string theError;
    bool theWritten = true;
    for (int64_t theAt = 0; theWritten && theAt < 10 * 48000; theAt += 4800)
        theWritten = theEncoder.Write(theSound.data() + theAt * 2, 4800, theError);
    if (theWritten) theWritten = theEncoder.Finish(theError);
    EXPECT_FALSE(theWritten);
    EXPECT_EQ(theError, "cannot start the aac encoder for \"test.mp4\": out of memory");
}
