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
};

PacketScan ScanToEnd(MediaInput& theInput, const FrameNumbering& theNumbering, AVPacket* thePacket)
{
    PacketScan theScan;
    while (theInput.ReadPacket(thePacket)) {
        int64_t theTimestamp = thePacket->pts != AV_NOPTS_VALUE ? thePacket->pts : thePacket->dts;
        if (theTimestamp != AV_NOPTS_VALUE) theScan.lastNumber = std::max(theScan.lastNumber, theNumbering.NumberOf(theTimestamp));
        ++theScan.packets;
        av_packet_unref(thePacket);
    }
    return theScan;
}

bool ToStart(MediaInput& theInput, const FrameNumbering& theNumbering, std::string& theError)
{
    return theInput.Seek(theNumbering.origin) || theInput.Rewind(theError);
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
    return theNumbering;
}

bool CountFrames(MediaInput& theInput, const FrameNumbering& theNumbering, SInt64& theCount, std::string& theError)
{
    PacketPtr thePacket(av_packet_alloc());
    if (!thePacket) {
        theError = "Out of memory";
        return false;
    }
    theCount = 0;
    SInt64 theClaimed = ClaimedFrameCount(theInput, theNumbering);
    if (theClaimed > 0 && theInput.Seek(theNumbering.TimestampOf(theClaimed - 1))) {
        PacketScan theTail = ScanToEnd(theInput, theNumbering, thePacket.get());
        if (theTail.lastNumber >= 0) theCount = theTail.lastNumber + 1;
    }
    if (theCount == 0) {
        if (!ToStart(theInput, theNumbering, theError)) return false;
        PacketScan theWhole = ScanToEnd(theInput, theNumbering, thePacket.get());
        theCount = theWhole.lastNumber >= 0 ? theWhole.lastNumber + 1 : theWhole.packets;
    }
    if (theCount == 0) {
        theError = Quoted(FileNameOf(theInput.Path())) + " holds no video frames";
        return false;
    }
    return ToStart(theInput, theNumbering, theError);
}

} // namespace video
