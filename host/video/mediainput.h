// One stream of a file, demuxed and decoded in order; the file's other streams are skipped.
#pragma once

#include "avsupport.h"

#include <string>

namespace video {

class MediaInput {
public:
    enum class Result { frame, end, failed };

    bool Open(const std::string& thePath, AVMediaType theType, std::string& outError);

    // The next decoded frame. Damaged packets are skipped; only a long run of them fails.
    Result ReceiveFrame(AVFrame* theFrame, std::string& outError);

    // The next packet of the stream, undecoded (for counting); false at the end of the file.
    bool ReadPacket(AVPacket* thePacket);

    // Moves to the key frame at or before theTimestamp (stream time base); false when the file
    // cannot seek there (Rewind then), and the position is then unknown.
    bool Seek(int64_t theTimestamp);

    // Opens the file again: the position is then the start, whatever the file supports.
    bool Rewind(std::string& outError);

    const std::string& Path() const { return mPath; }
    AVFormatContext* Format() const { return mFormat.get(); }
    AVStream* Stream() const { return mStream; }
    AVCodecContext* Decoder() const { return mDecoder.get(); }

private:
    std::string mPath;
    AVMediaType mType = AVMEDIA_TYPE_UNKNOWN;
    InputPtr mFormat;
    CodecPtr mDecoder;
    PacketPtr mPacket;
    AVStream* mStream = nullptr;
    bool mDemuxEnded = false;
    bool mSeeksNowhere = false; // a single picture: only opening it again goes back
    int mBadPackets = 0;
};

} // namespace video
