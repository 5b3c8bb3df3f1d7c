// An x264 encoder set up so its pictures can sit between pictures copied from clips in one
// H.264 track: the same profile, level, reorder depth, pixel shape and colour tags, headers
// that do not depend on the content, and parameter sets of an id no copied clip uses, so that
// all of them fit in the track's one avcC record.
#pragma once

#include "ClipCopyFacts.h"
#include "avsupport.h"

#include <string>
#include <vector>

namespace video {

struct EncoderMatch {
    h264::ParameterSets sets; // the copied clips' sets, merged
    int encoderId = 0;        // x264's SPS and PPS id
    int reorderDepth = 0;     // the largest of the clips'
};

// Sets theEncoder's fields and x264's options before it opens (ioX264Params is x264-params,
// extended). False with the reason when the clips' sets cannot share one record.
bool MatchEncoderToCopies(const std::vector<ClipCopyFacts>& theClips, AVCodecContext* theEncoder,
                          AVDictionary** ioOptions, std::string& ioX264Params, EncoderMatch& outMatch,
                          std::string& outError);

// The track's avcC record: the clips' sets and the opened encoder's (from its global header).
bool AvcConfigWithEncoder(const EncoderMatch& theMatch, const AVCodecContext* theEncoder,
                          std::vector<uint8_t>& outRecord, std::string& outError);

} // namespace video
