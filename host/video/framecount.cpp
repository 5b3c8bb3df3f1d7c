#include "framecount.h"

#include <cmath>

namespace video {

namespace {

bool IsUsableRate(AVRational theRate)
{
    return theRate.num > 0 && theRate.den > 0 && av_q2d(theRate) >= 0.1 && av_q2d(theRate) <= 1000.0;
}

// The header's idea of the length; zero when it has none.
SInt64 ClaimedFrameCount(const MediaInput& theInput, const FrameNumbering& theNumbering)
{
    const AVStream* theStream = theInput.Stream();
    if (theStream->nb_frames > 0) return theStream->nb_frames;
    if (theStream->duration > 0) return theNumbering.NumberOf(theNumbering.origin + theStream->duration);
    int64_t theDuration = theInput.Format()->duration;
    if (theDuration > 0) return av_rescale_q(theDuration, AV_TIME_BASE_Q, av_inv_q(theNumbering.rate));
    return 0;
}

struct PacketScan {
    SInt64 packets = 0;
    SInt64 lastNumber = -1; // of the latest timestamp seen; -1 when packets carry none
    SInt64 untimed = 0;     // packets since the last one with a timestamp
    bool reordered = false; // some packets carry only a decoding time, earlier than their picture's

    // Pictures without timestamps follow the last one that had one (MPEG program streams
    // stamp only some packets).
    SInt64 Count() const { return lastNumber >= 0 ? lastNumber + 1 + untimed : packets; }
};

PacketScan ScanToEnd(MediaInput& theInput, const FrameNumbering& theNumbering, AVPacket* thePacket)
{
    PacketScan theScan;
    while (theInput.ReadPacket(thePacket)) {
        int64_t theTimestamp = thePacket->pts != AV_NOPTS_VALUE ? thePacket->pts : thePacket->dts;
        theScan.reordered = theScan.reordered || (thePacket->pts == AV_NOPTS_VALUE && thePacket->dts != AV_NOPTS_VALUE);
        if (theTimestamp != AV_NOPTS_VALUE) {
            theScan.lastNumber = std::max(theScan.lastNumber, theNumbering.NumberOf(theTimestamp));
            theScan.untimed = 0;
        } else {
            ++theScan.untimed;
        }
        ++theScan.packets;
        av_packet_unref(thePacket);
    }
    return theScan;
}

// Decodes from the current position to the end: one past the last picture's number, or 0 when
// no picture tells its time.
SInt64 DecodeToEnd(MediaInput& theInput, const FrameNumbering& theNumbering)
{
    FramePtr theFrame(av_frame_alloc());
    SInt64 theLast = -1;
    std::string theIgnored;
    while (theFrame && theInput.ReceiveFrame(theFrame.get(), theIgnored) == MediaInput::Result::frame) {
        int64_t theTimestamp = theFrame->best_effort_timestamp;
        if (theTimestamp != AV_NOPTS_VALUE) theLast = std::max(theLast, theNumbering.NumberOf(theTimestamp));
        else if (theLast >= 0) ++theLast;
        av_frame_unref(theFrame.get());
    }
    return theLast + 1;
}

bool ToStart(MediaInput& theInput, const FrameNumbering& theNumbering, std::string& outError)
{
    return theInput.Seek(theNumbering.origin) || theInput.Rewind(outError);
}

} // namespace

FrameNumbering NumberingOf(const AVStream* theStream)
{
    FrameNumbering theNumbering;
    theNumbering.timeBase = theStream->time_base;
    theNumbering.origin = theStream->start_time != AV_NOPTS_VALUE ? theStream->start_time : 0;
    // The base rate is exact for constant-rate files; a variable-rate file whose base rate
    // merely fits all its timestamps (often far above the average) is numbered at its average.
    AVRational theBase = theStream->r_frame_rate;
    AVRational theAverage = theStream->avg_frame_rate;
    bool theBaseFits = IsUsableRate(theBase) &&
                       (!IsUsableRate(theAverage) || std::fabs(av_q2d(theBase) / av_q2d(theAverage) - 1.0) < 0.01);
    if (theBaseFits) theNumbering.rate = theBase;
    else if (IsUsableRate(theAverage)) theNumbering.rate = theAverage;
    else if (IsUsableRate(theBase)) theNumbering.rate = theBase;
    theNumbering.varies = IsUsableRate(theBase) && IsUsableRate(theAverage) && !theBaseFits;
    return theNumbering;
}

void ConformNumbering(AVRational theRate, FrameNumbering& theNumbering, SInt64& theCount)
{
    if (av_cmp_q(theRate, theNumbering.rate) == 0) return;
    theCount = av_rescale_q_rnd(theCount, av_inv_q(theNumbering.rate), av_inv_q(theRate), AV_ROUND_UP);
    theNumbering.rate = theRate;
    theNumbering.byPresentation = true;
}

bool CountFrames(MediaInput& theInput, const FrameNumbering& theNumbering, SInt64& theCount, std::string& outError)
{
    PacketPtr thePacket(av_packet_alloc());
    if (!thePacket) {
        outError = "out of memory";
        return false;
    }
    theCount = 0;
    SInt64 theClaimed = ClaimedFrameCount(theInput, theNumbering);
    if (theClaimed > 0 && theInput.Seek(theNumbering.TimestampOf(theClaimed - 1))) {
        PacketScan theTail = ScanToEnd(theInput, theNumbering, thePacket.get());
        if (theTail.lastNumber >= 0) theCount = theTail.Count();
        // Only decoding tells where a reordered picture without its own time stands. Seeks in
        // such files (MPEG program streams) may land after the last key frame: step back.
        for (SInt64 theBack = 0; theTail.reordered; theBack = std::max<SInt64>(16, 2 * theBack)) {
            SInt64 theStart = std::max<SInt64>(theClaimed - 1 - theBack, 0);
            if (!theInput.Seek(theNumbering.TimestampOf(theStart))) break;
            SInt64 theDecoded = DecodeToEnd(theInput, theNumbering);
            theCount = std::max(theCount, theDecoded);
            if (theDecoded > 0 || theStart == 0) break;
        }
    }
    if (theCount == 0) {
        if (!ToStart(theInput, theNumbering, outError)) return false;
        theCount = ScanToEnd(theInput, theNumbering, thePacket.get()).Count();
    }
    if (theCount == 0) {
        outError = Quoted(FileNameOf(theInput.Path())) + " holds no video frames";
        return false;
    }
    return ToStart(theInput, theNumbering, outError);
}

} // namespace video
