// Frame numbers from timestamps, and the true length of a video stream.
#pragma once

#include "mediainput.h"
#include "MacTypes.h"

#include <algorithm>

namespace video {

// Frame n starts n / rate after the stream's first timestamp. At the stream's own rate,
// timestamps round to the nearest frame, since containers store them in coarse units
// (Matroska: milliseconds). At another rate (a clip conformed to a timeline) frame n shows the
// picture presented at its time, the latest one stamped at or before it (give or take a tick):
// a picture is numbered with the first frame that shows it, and several may share a number.
struct FrameNumbering {
    AVRational timeBase{1, 1};
    AVRational rate{25, 1};
    int64_t origin = 0;
    bool byPresentation = false;
    bool varies = false; // numbered at its average rate: its frames are not evenly spaced

    SInt64 NumberOf(int64_t theTimestamp) const
    {
        if (byPresentation) {
            return std::max<SInt64>(0, av_rescale_q_rnd(theTimestamp - origin - 1, timeBase, av_inv_q(rate),
                                                        AVRounding(AV_ROUND_UP | AV_ROUND_PASS_MINMAX)));
        }
        return std::max<SInt64>(0, av_rescale_q_rnd(theTimestamp - origin, timeBase, av_inv_q(rate),
                                                    AVRounding(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX)));
    }
    int64_t TimestampOf(SInt64 theNumber) const { return origin + av_rescale_q(theNumber, av_inv_q(rate), timeBase); }
};

// The stream's nominal rate (25 when it tells none) and time origin.
FrameNumbering NumberingOf(const AVStream* theStream);

// Counts the frames actually in the file, not what its header claims: the frame number of the
// last packet, found by reading the last group of pictures, or the whole file when the header's
// length is missing or wrong. The input is left at its start.
bool CountFrames(MediaInput& theInput, const FrameNumbering& theNumbering, SInt64& theCount, std::string& outError);

// theNumbering and theCount (frames at the stream's own rate) turned to theRate: the frames of
// theRate that start while the clip plays.
void ConformNumbering(AVRational theRate, FrameNumbering& theNumbering, SInt64& theCount);

} // namespace video
