// Owners for FFmpeg objects, and the one-line error texts every video call returns.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace video {

struct InputCloser {
    void operator()(AVFormatContext* theContext) const { avformat_close_input(&theContext); }
};
struct OutputFreer {
    void operator()(AVFormatContext* theContext) const { avformat_free_context(theContext); }
};
struct CodecFreer {
    void operator()(AVCodecContext* theContext) const { avcodec_free_context(&theContext); }
};
struct FrameFreer {
    void operator()(AVFrame* theFrame) const { av_frame_free(&theFrame); }
};
struct PacketFreer {
    void operator()(AVPacket* thePacket) const { av_packet_free(&thePacket); }
};
struct ScalerFreer {
    void operator()(SwsContext* theContext) const { sws_freeContext(theContext); }
};
struct ResamplerFreer {
    void operator()(SwrContext* theContext) const { swr_free(&theContext); }
};
struct GraphFreer {
    void operator()(AVFilterGraph* theGraph) const { avfilter_graph_free(&theGraph); }
};

using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;
using OutputPtr = std::unique_ptr<AVFormatContext, OutputFreer>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFreer>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFreer>;
using GraphPtr = std::unique_ptr<AVFilterGraph, GraphFreer>;

// FFmpeg's text for an error code, e.g. "No such file or directory".
std::string ErrorText(int theCode);

// A path in quotes, for messages.
std::string Quoted(const std::string& thePath);

// The file's name without its folders, for messages.
std::string FileNameOf(const std::string& thePath);

// What stands under a name that is no regular file, for messages: "a folder", "a device"...
const char* KindOfFile(unsigned theMode);

// FFmpeg prints nothing unless GLINT_FFMPEG_LOG is set: the host reports its own one-line errors.
void QuietFFmpegLog();

// Codec threads: one a processor, at most 4.
int CodecThreadCount();

// Threads for a decoder of pictures of that size: every frame thread holds several pictures
// more, so past 1080p there are fewer of them, down to one, and memory stays within a few
// pictures whatever the size.
int DecoderThreadCount(int theWidth, int theHeight);

} // namespace video
