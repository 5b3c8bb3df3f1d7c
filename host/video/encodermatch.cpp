#include "encodermatch.h"

#include <algorithm>

namespace video {

namespace {

const char* X264Profile(int theProfile)
{
    switch (theProfile) {
    case 66:
        return "baseline";
    case 77:
        return "main";
    default:
        return "high";
    }
}

} // namespace

bool MatchEncoderToCopies(const std::vector<ClipCopyFacts>& theClips, AVCodecContext* theEncoder,
                          AVDictionary** ioOptions, std::string& ioX264Params, EncoderMatch& outMatch,
                          std::string& outError)
{
    outMatch = EncoderMatch();
    if (theClips.empty()) {
        outError = "no clip to copy from";
        return false;
    }
    outMatch.sets = theClips.front().parameterSets;
    for (const ClipCopyFacts& theClip : theClips) {
        std::string theWhyNot;
        if (!h264::MergeParameterSets(outMatch.sets, theClip.parameterSets, theWhyNot)) {
            outError = "cannot copy from " + Quoted(FileNameOf(theClip.path)) + ": it " + theWhyNot;
            return false;
        }
        outMatch.reorderDepth = std::max(outMatch.reorderDepth, theClip.reorderDepth);
    }
    outMatch.encoderId = h264::FreeParameterSetId(outMatch.sets);
    if (outMatch.encoderId > 31) {
        outError = "cannot copy from the clips: they use every SPS id";
        return false;
    }
    const ClipCopyFacts& theModel = theClips.front();
    // Reorder depth 1 is one B-frame; 2 takes a pyramid, which needs at least two.
    const int theDepth = std::min(outMatch.reorderDepth, 2);
    ioX264Params += ":bframes=" + std::to_string(theDepth == 0 ? 0 : theDepth == 1 ? 1 : 3) +
                    ":b-pyramid=" + (theDepth == 2 ? "normal" : "none") + ":level=" + std::to_string(theModel.sps.level) +
                    ":sps-id=" + std::to_string(outMatch.encoderId) + ":stitchable=1:open-gop=0";
    av_dict_set(ioOptions, "profile", X264Profile(theModel.sps.profile), 0);
    theEncoder->color_primaries = AVColorPrimaries(theModel.primaries);
    theEncoder->color_trc = AVColorTransferCharacteristic(theModel.transfer);
    theEncoder->colorspace = AVColorSpace(theModel.matrix);
    theEncoder->color_range = AVColorRange(theModel.range);
    theEncoder->sample_aspect_ratio = theModel.tagsAspect ? AVRational{1, 1} : AVRational{0, 1};
    return true;
}

bool AvcConfigWithEncoder(const EncoderMatch& theMatch, const AVCodecContext* theEncoder,
                          std::vector<uint8_t>& outRecord, std::string& outError)
{
    h264::ParameterSets theOwn;
    theOwn.lengthSize = 4;
    for (h264::Nal& theUnit : h264::SplitAnnexB(theEncoder->extradata, size_t(std::max(0, theEncoder->extradata_size)))) {
        if ((theUnit[0] & 0x1F) == h264::cSps) theOwn.sps.push_back(std::move(theUnit));
        else if ((theUnit[0] & 0x1F) == h264::cPps) theOwn.pps.push_back(std::move(theUnit));
    }
    h264::SpsFacts theFacts;
    int thePps = -1, theSps = -1;
    if (theOwn.sps.size() != 1 || theOwn.pps.size() != 1 || !h264::ReadSps(theOwn.sps.front(), theFacts) ||
        !h264::ReadPpsIds(theOwn.pps.front(), thePps, theSps) || theFacts.id != theMatch.encoderId ||
        thePps != theMatch.encoderId) {
        outError = "the H.264 encoder did not give the parameter sets asked of it";
        return false;
    }
    h264::ParameterSets theAll = theMatch.sets;
    std::string theWhyNot;
    if (!h264::MergeParameterSets(theAll, theOwn, theWhyNot)) {
        outError = "cannot copy from the clips: their NAL units carry other than 4-byte lengths";
        return false;
    }
    outRecord = h264::WriteAvcConfig(theAll);
    return true;
}

} // namespace video
