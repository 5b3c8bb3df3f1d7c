// What a render needs to know to copy a clip's compressed pictures (H.264, or an intra-only
// codec: ProRes, UT Video) into the movie as they are, found by ExamineClipForCopy (ClipCopy.h).
#pragma once

#include "MacTypes.h"
#include "h264syntax.h"

#include <cstdint>
#include <string>
#include <vector>

namespace video {

struct ClipCopyFacts {
    std::string path;
    SInt32 frameCount = 0;
    // Frames are numbered as the clip's other readers number them: the packet whose
    // presentation time, from origin, rounds to n frames of the rate is frame n.
    int64_t origin = 0;
    SInt32 timeBaseNum = 1, timeBaseDen = 1;
    SInt32 rateNum = 25, rateDen = 1;
    // Every picture stands alone: each frame is a clean split, decoded when shown, and the
    // codec has no parameter sets (the H.264 fields below stay empty).
    bool intraOnly = false;
    // The codec's private data (UT Video: slice count, compression), which the movie's one
    // sample description holds for every picture, so must be the encoder's own.
    std::vector<uint8_t> codecPrivate;
    h264::ParameterSets parameterSets;
    h264::SpsFacts sps; // the first SPS: the profile and level an encoder matching it takes
    // Pictures decoded ahead of the one shown (0 without B-frames).
    int reorderDepth = 0;
    // The clip's own colour tags (FFmpeg's numbers), which an encoder matching it repeats.
    int primaries = 2;
    int transfer = 2;
    int matrix = 2;
    int range = 0;
    bool tagsAspect = false; // its SPS gives a pixel shape (square, or the clip would not qualify)
    // Frames in display order where a copy may start: IDR pictures after which nothing, in
    // decode order, is shown before them.
    std::vector<SInt32> starts;
    // Frames where a copied stretch may end (the first frame not copied): the pictures before
    // them in decode order are exactly those shown before them. Includes frameCount.
    std::vector<SInt32> ends;

    SInt64 FrameOf(int64_t theTimestamp) const;
    bool CanStartAt(SInt32 theFrame) const;
    bool CanEndAt(SInt32 theFrame) const;
    // The first frame at or after theFrame where a copy may start; frameCount when none.
    SInt32 StartAtOrAfter(SInt32 theFrame) const;
    // The last frame at or before theFrame where a copied stretch may end; 0 when none.
    SInt32 EndAtOrBefore(SInt32 theFrame) const;
};

} // namespace video
