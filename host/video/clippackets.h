// A clip's compressed pictures from a clean split point on, in decode order, for copying.
#pragma once

#include "ClipCopyFacts.h"
#include "mediainput.h"

#include <string>

namespace video {

class ClipPackets {
public:
    // Positions at frame theFirst, which must be one of theClip's starts.
    bool Open(const ClipCopyFacts& theClip, SInt32 theFirst, std::string& outError);

    // The next packet in decode order and the frame it shows; false with the reason at the end
    // of the file or when the file no longer holds what it was examined to hold.
    bool Next(AVPacket* outPacket, SInt32& outFrame, std::string& outError);

private:
    bool ReadNumbered(AVPacket* outPacket, SInt32& outFrame);

    ClipCopyFacts const* mClip = nullptr;
    MediaInput mInput;
    PacketPtr mFirst; // the split's packet, read while looking for it
};

} // namespace video
