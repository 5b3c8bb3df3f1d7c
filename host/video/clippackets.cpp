#include "clippackets.h"

namespace video {

bool ClipPackets::ReadNumbered(AVPacket* outPacket, SInt32& outFrame)
{
    if (!mInput.ReadPacket(outPacket)) return false;
    if (outPacket->pts == AV_NOPTS_VALUE || outPacket->pts < mClip->origin) {
        av_packet_unref(outPacket);
        return false;
    }
    outFrame = SInt32(mClip->FrameOf(outPacket->pts));
    return true;
}

bool ClipPackets::Open(const ClipCopyFacts& theClip, SInt32 theFirst, std::string& outError)
{
    mClip = &theClip;
    const std::string theChanged = Quoted(FileNameOf(theClip.path)) + " changed while the movie was made";
    if (!theClip.CanStartAt(theFirst)) {
        outError = "cannot copy " + Quoted(FileNameOf(theClip.path)) + " from frame " + std::to_string(theFirst) +
                   ": no clean split there";
        return false;
    }
    if (!mInput.Open(theClip.path, AVMEDIA_TYPE_VIDEO, outError)) return false;
    mFirst.reset(av_packet_alloc());
    if (!mFirst) {
        outError = "out of memory reading " + Quoted(FileNameOf(theClip.path));
        return false;
    }
    // Before the split in decode order come only pictures shown before it: a seek that lands
    // at or before it finds it by its time, one that lands past it starts from the top.
    const int64_t theTime = theClip.origin + av_rescale_q(theFirst, AVRational{theClip.rateDen, theClip.rateNum},
                                                          AVRational{theClip.timeBaseNum, theClip.timeBaseDen});
    bool theFromTop = theFirst == 0 || !mInput.Seek(theTime);
    for (;;) {
        SInt32 theFrame = 0;
        if (!ReadNumbered(mFirst.get(), theFrame)) {
            outError = theChanged;
            return false;
        }
        if (theFrame == theFirst) return true;
        if (theFrame > theFirst && !theFromTop) {
            if (!mInput.Rewind(outError)) return false;
            theFromTop = true;
        }
        av_packet_unref(mFirst.get());
    }
}

bool ClipPackets::Next(AVPacket* outPacket, SInt32& outFrame, std::string& outError)
{
    if (mFirst && mFirst->data) {
        av_packet_move_ref(outPacket, mFirst.get());
        outFrame = SInt32(mClip->FrameOf(outPacket->pts));
        return true;
    }
    if (ReadNumbered(outPacket, outFrame)) return true;
    outError = Quoted(FileNameOf(mClip->path)) + " changed while the movie was made";
    return false;
}

} // namespace video
