#include "mediainput.h"

#include <cstring>
#include <sys/stat.h>

namespace video {

namespace {

// Packets that fail to decode in a row before the stream counts as unreadable.
constexpr int cMaxBadPackets = 50;

} // namespace

bool MediaInput::Open(const std::string& thePath, AVMediaType theType, std::string& outError)
{
    QuietFFmpegLog();
    mPath = thePath;
    mType = theType;
    mFormat.reset();
    mDecoder.reset();
    mStream = nullptr;
    mDemuxEnded = false;
    mBadPackets = 0;
    std::string theName = FileNameOf(thePath);
    if (!mPacket) mPacket.reset(av_packet_alloc());
    if (!mPacket) {
        outError = "out of memory opening " + Quoted(theName);
        return false;
    }

    // Only files, which can be read twice: FFmpeg would wait for a FIFO's writer, and a pipe's
    // pictures are gone once counted. A missing name may still be a sequence ("shot_%04d.png").
    struct stat theStatus;
    const bool theExists = stat(thePath.c_str(), &theStatus) == 0;
    if (theExists && !S_ISREG(theStatus.st_mode)) {
        outError = "cannot read " + Quoted(thePath) + ": it is " + KindOfFile(theStatus.st_mode) + ", not a clip";
        return false;
    }

    // Only local files: a playlist inside a damaged file must not reach for the network.
    // A colon would otherwise read as a protocol name.
    std::string theUrl = thePath.find(':') == std::string::npos ? thePath : "file:" + thePath;
    AVDictionary* theOptions = nullptr;
    av_dict_set(&theOptions, "protocol_whitelist", "file", 0);
    AVFormatContext* theFormat = nullptr;
    int theResult = avformat_open_input(&theFormat, theUrl.c_str(), nullptr, &theOptions);
    av_dict_free(&theOptions);
    if (theResult == AVERROR_INVALIDDATA) {
        outError = Quoted(thePath) + " is not a movie or picture that FFmpeg reads";
        return false;
    }
    if (theResult < 0) {
        outError = "cannot open " + Quoted(thePath) + ": " + ErrorText(theResult);
        return false;
    }
    mFormat.reset(theFormat);
    theResult = avformat_find_stream_info(theFormat, nullptr);
    if (theResult < 0) {
        outError = "cannot read " + Quoted(theName) + ": " + ErrorText(theResult);
        return false;
    }

    const AVCodec* theCodec = nullptr;
    int theIndex = av_find_best_stream(theFormat, theType, -1, -1, &theCodec, 0);
    const char* theKind = theType == AVMEDIA_TYPE_VIDEO ? "video" : "audio";
    if (theIndex == AVERROR_DECODER_NOT_FOUND) {
        outError = Quoted(theName) + " has " + theKind + " that FFmpeg cannot decode";
        return false;
    }
    if (theIndex < 0) {
        outError = Quoted(theName) + " has no " + theKind;
        return false;
    }
    for (unsigned i = 0; i < theFormat->nb_streams; ++i) {
        if (int(i) != theIndex) theFormat->streams[i]->discard = AVDISCARD_ALL;
    }
    mStream = theFormat->streams[theIndex];
    // FFmpeg reads a lone picture through the file it opened, which its seek leaves at the end.
    mSeeksNowhere = theExists && std::strcmp(theFormat->iformat->name, "image2") == 0;

    mDecoder.reset(avcodec_alloc_context3(theCodec));
    if (!mDecoder) {
        outError = "out of memory opening " + Quoted(theName);
        return false;
    }
    theResult = avcodec_parameters_to_context(mDecoder.get(), mStream->codecpar);
    if (theResult >= 0) {
        mDecoder->pkt_timebase = mStream->time_base;
        mDecoder->thread_count = DecoderThreadCount(mDecoder->width, mDecoder->height);
        theResult = avcodec_open2(mDecoder.get(), theCodec, nullptr);
    }
    if (theResult < 0) {
        outError = "cannot decode the " + std::string(theKind) + " of " + Quoted(theName) + ": " + ErrorText(theResult);
        return false;
    }
    return true;
}

MediaInput::Result MediaInput::ReceiveFrame(AVFrame* theFrame, std::string& outError)
{
    for (;;) {
        int theResult = avcodec_receive_frame(mDecoder.get(), theFrame);
        if (theResult == 0) {
            mBadPackets = 0;
            return Result::frame;
        }
        if (theResult == AVERROR_EOF || (theResult == AVERROR(EAGAIN) && mDemuxEnded)) return Result::end;
        if (theResult != AVERROR(EAGAIN)) {
            outError = "cannot decode " + Quoted(FileNameOf(mPath)) + ": " + ErrorText(theResult);
            return Result::failed;
        }
        if (!ReadPacket(mPacket.get())) {
            // A read error past the header is a truncated file: what was read is the movie.
            mDemuxEnded = true;
            avcodec_send_packet(mDecoder.get(), nullptr);
            continue;
        }
        theResult = avcodec_send_packet(mDecoder.get(), mPacket.get());
        av_packet_unref(mPacket.get());
        if (theResult < 0 && theResult != AVERROR(EAGAIN) && ++mBadPackets > cMaxBadPackets) {
            outError = Quoted(FileNameOf(mPath)) + " is damaged: " + ErrorText(theResult);
            return Result::failed;
        }
    }
}

bool MediaInput::ReadPacket(AVPacket* thePacket)
{
    for (;;) {
        if (av_read_frame(mFormat.get(), thePacket) < 0) return false;
        if (thePacket->stream_index == mStream->index) return true;
        av_packet_unref(thePacket);
    }
}

bool MediaInput::Seek(int64_t theTimestamp)
{
    if (mSeeksNowhere) return false;
    if (av_seek_frame(mFormat.get(), mStream->index, theTimestamp, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(mDecoder.get());
    mDemuxEnded = false;
    mBadPackets = 0;
    return true;
}

bool MediaInput::Rewind(std::string& outError)
{
    return Open(std::string(mPath), mType, outError);
}

} // namespace video
