#include "ClipCopy.h"

#include "framecount.h"
#include "framescaler.h"
#include "mediainput.h"
#include "outputformats.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <new>

namespace video {

namespace {

// A picture's time, and whether its NAL units make it an IDR picture.
struct PacketSeen {
    int64_t pts = 0;
    bool idr = false;
    bool flaggedKey = false;
};

std::string SizeText(int theWidth, int theHeight)
{
    return std::to_string(theWidth) + "x" + std::to_string(theHeight);
}

std::string RateText(AVRational theRate)
{
    char theText[32];
    std::snprintf(theText, sizeof theText, "%.3g", av_q2d(theRate));
    return std::string(theText) + " frames a second";
}

// Untagged pictures are read as the usual ones for their size, as the writer tags them.
int SettledPrimaries(int thePrimaries, int theHeight)
{
    if (thePrimaries != AVCOL_PRI_UNSPECIFIED) return thePrimaries;
    return theHeight >= 720 ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M;
}
int SettledTransfer(int theTransfer, int theHeight)
{
    if (theTransfer != AVCOL_TRC_UNSPECIFIED) return theTransfer;
    return theHeight >= 720 ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
}
int SettledMatrix(int theMatrix, int theHeight)
{
    if (theMatrix == AVCOL_SPC_UNSPECIFIED) return ColorSpaceForHeight(theHeight);
    return theMatrix == AVCOL_SPC_BT470BG ? AVCOL_SPC_SMPTE170M : theMatrix; // the same matrix
}

bool CheckStream(const AVStream* theStream, const MovieSettings& theMovie, std::string& outWhyNot)
{
    const AVCodecParameters* theCodec = theStream->codecpar;
    if (theCodec->codec_id != AV_CODEC_ID_H264) {
        outWhyNot = std::string("is ") + avcodec_get_name(theCodec->codec_id) + ", not H.264";
        return false;
    }
    if (theCodec->width != theMovie.width || theCodec->height != theMovie.height) {
        outWhyNot = "is " + SizeText(theCodec->width, theCodec->height) + ", the movie " + SizeText(theMovie.width, theMovie.height);
        return false;
    }
    if (theCodec->format != AV_PIX_FMT_YUV420P) {
        const char* theName = av_get_pix_fmt_name(AVPixelFormat(theCodec->format));
        outWhyNot = std::string("is stored as ") + (theName ? theName : "unknown pixels") + ", not 8-bit 4:2:0";
        return false;
    }
    // The encoder between copied stretches makes whole frames.
    if (theCodec->field_order != AV_FIELD_UNKNOWN && theCodec->field_order != AV_FIELD_PROGRESSIVE) {
        outWhyNot = "is interlaced";
        return false;
    }
    if (theCodec->color_range == AVCOL_RANGE_JPEG) {
        outWhyNot = "has full-range colour";
        return false;
    }
    const AVRational theShape = theCodec->sample_aspect_ratio;
    if (theShape.num > 0 && theShape.num != theShape.den) {
        outWhyNot = "has pixels of shape " + std::to_string(theShape.num) + ":" + std::to_string(theShape.den) + ", not square";
        return false;
    }
    const uint8_t* theMatrix = av_stream_get_side_data(theStream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
    if (theMatrix) {
        const double theAngle = av_display_rotation_get(reinterpret_cast<const int32_t*>(theMatrix));
        if (!std::isnan(theAngle) && std::lround(theAngle) % 360 != 0) {
            outWhyNot = "is shown turned";
            return false;
        }
    }
    const int theHeight = theMovie.height;
    if (SettledPrimaries(theCodec->color_primaries, theHeight) != SettledPrimaries(theMovie.primaries, theHeight) ||
        SettledTransfer(theCodec->color_trc, theHeight) != SettledTransfer(theMovie.transfer, theHeight) ||
        SettledMatrix(theCodec->color_space, theHeight) != SettledMatrix(AVCOL_SPC_UNSPECIFIED, theHeight)) {
        outWhyNot = "has other colour tags than the movie";
        return false;
    }
    return true;
}

// Parameter sets sent with the pictures join the avcC record's: the encoder's id must clash with
// none of them, and a clip that gives one id two meanings cannot share a record.
bool ReadPackets(MediaInput& theInput, h264::ParameterSets& ioSets, std::vector<PacketSeen>& outPackets,
                 std::string& outWhyNot)
{
    const int theLengthSize = ioSets.lengthSize;
    PacketPtr thePacket(av_packet_alloc());
    if (!thePacket) throw std::bad_alloc();
    std::vector<int> theTypes;
    while (theInput.ReadPacket(thePacket.get())) {
        PacketSeen theSeen;
        theSeen.pts = thePacket->pts;
        theSeen.flaggedKey = thePacket->flags & AV_PKT_FLAG_KEY;
        const bool theHidden = thePacket->flags & AV_PKT_FLAG_DISCARD;
        const bool theParsed = h264::NalTypesOf(thePacket->data, size_t(thePacket->size), theLengthSize, theTypes);
        const bool theCarriesSets = theParsed && std::any_of(theTypes.begin(), theTypes.end(), [](int theType) {
                                        return theType == h264::cSps || theType == h264::cPps;
                                    });
        if (theCarriesSets) {
            std::string theClash;
            if (!h264::MergeParameterSets(
                    ioSets, h264::ParameterSetsInSample(thePacket->data, size_t(thePacket->size), theLengthSize), theClash)) {
                av_packet_unref(thePacket.get());
                outWhyNot = "changes the meaning of a parameter set id among its pictures";
                return false;
            }
        }
        av_packet_unref(thePacket.get());
        if (theHidden) {
            outWhyNot = "has an edit list that hides some of its pictures";
            return false;
        }
        if (theSeen.pts == AV_NOPTS_VALUE) {
            outWhyNot = "has pictures without a presentation time";
            return false;
        }
        if (!theParsed) {
            outWhyNot = "has a damaged packet (picture " + std::to_string(outPackets.size()) + " in decode order)";
            return false;
        }
        theSeen.idr = std::find(theTypes.begin(), theTypes.end(), h264::cIdrSlice) != theTypes.end();
        outPackets.push_back(theSeen);
    }
    if (outPackets.empty()) {
        outWhyNot = "has no pictures";
        return false;
    }
    return true;
}

// Frame numbers from the packets' times, as the clip's frames are numbered when decoded: one
// picture to each frame of the movie's rate.
bool NumberPictures(const AVStream* theStream, const MovieSettings& theMovie, const std::vector<PacketSeen>& thePackets,
                    ClipCopyFacts& ioFacts, std::vector<SInt32>& outShown, std::string& outWhyNot)
{
    const FrameNumbering theNumbering = NumberingOf(theStream);
    const AVRational theMovieRate{theMovie.rate.num, theMovie.rate.den};
    // A variable rate shows as a base rate that only fits every time, far above the average.
    const AVRational theBase = theStream->r_frame_rate, theAverage = theStream->avg_frame_rate;
    if (theBase.num > 0 && theBase.den > 0 && theAverage.num > 0 && theAverage.den > 0 &&
        std::fabs(av_q2d(theBase) / av_q2d(theAverage) - 1.0) >= 0.01) {
        outWhyNot = "varies its frame rate";
        return false;
    }
    if (av_cmp_q(theNumbering.rate, theMovieRate) != 0) {
        outWhyNot = "runs at " + RateText(theNumbering.rate) + ", the movie at " + RateText(theMovieRate);
        return false;
    }
    ioFacts.origin = theNumbering.origin;
    ioFacts.timeBaseNum = theNumbering.timeBase.num;
    ioFacts.timeBaseDen = theNumbering.timeBase.den;
    ioFacts.rateNum = theMovieRate.num;
    ioFacts.rateDen = theMovieRate.den;
    std::vector<SInt64> theNumbers;
    theNumbers.reserve(thePackets.size());
    for (const PacketSeen& thePacket : thePackets) {
        if (thePacket.pts < ioFacts.origin) {
            outWhyNot = "shows pictures before its start (an edit list)";
            return false;
        }
        theNumbers.push_back(ioFacts.FrameOf(thePacket.pts));
    }
    std::sort(theNumbers.begin(), theNumbers.end());
    for (size_t i = 0; i < theNumbers.size(); ++i) {
        if (theNumbers[i] == SInt64(i)) continue;
        outWhyNot = i == 0 ? "does not start with its first picture (an edit list moves it)" : "varies its frame rate";
        return false;
    }
    outShown.clear();
    for (const PacketSeen& thePacket : thePackets) outShown.push_back(SInt32(ioFacts.FrameOf(thePacket.pts)));
    return true;
}

void FindSplits(const std::vector<PacketSeen>& thePackets, const std::vector<SInt32>& theShown, ClipCopyFacts& ioFacts)
{
    // Shown is a permutation of 0..n-1: the first k packets decoded show frames 0..k-1 exactly
    // when the latest of them shown is k-1.
    SInt32 theLatest = -1;
    const SInt32 theCount = SInt32(theShown.size());
    for (SInt32 k = 0; k < theCount; ++k) {
        if (theShown[size_t(k)] == k && theLatest == k - 1 && thePackets[size_t(k)].idr) ioFacts.starts.push_back(k);
        theLatest = std::max(theLatest, theShown[size_t(k)]);
        ioFacts.reorderDepth = std::max(ioFacts.reorderDepth, int(k - theShown[size_t(k)]));
        if (theLatest == k) ioFacts.ends.push_back(k + 1);
    }
}

} // namespace

SInt64 ClipCopyFacts::FrameOf(int64_t theTimestamp) const
{
    FrameNumbering theNumbering;
    theNumbering.timeBase = AVRational{timeBaseNum, timeBaseDen};
    theNumbering.rate = AVRational{rateNum, rateDen};
    theNumbering.origin = origin;
    return theNumbering.NumberOf(theTimestamp);
}

bool ClipCopyFacts::CanStartAt(SInt32 theFrame) const
{
    return std::binary_search(starts.begin(), starts.end(), theFrame);
}

bool ClipCopyFacts::CanEndAt(SInt32 theFrame) const
{
    return std::binary_search(ends.begin(), ends.end(), theFrame);
}

SInt32 ClipCopyFacts::StartAtOrAfter(SInt32 theFrame) const
{
    auto theStart = std::lower_bound(starts.begin(), starts.end(), theFrame);
    return theStart == starts.end() ? frameCount : *theStart;
}

SInt32 ClipCopyFacts::EndAtOrBefore(SInt32 theFrame) const
{
    auto theEnd = std::upper_bound(ends.begin(), ends.end(), theFrame);
    return theEnd == ends.begin() ? 0 : *(theEnd - 1);
}

bool ExamineClipForCopy(const std::string& thePath, const MovieSettings& theMovie, ClipCopyFacts& outFacts,
                        std::string& outWhyNot) noexcept
{
    try {
        outFacts = ClipCopyFacts();
        outFacts.path = thePath;
        MediaInput theInput;
        std::string theError;
        if (!theInput.Open(thePath, AVMEDIA_TYPE_VIDEO, theError)) {
            outWhyNot = "cannot be read (" + theError + ")";
            return false;
        }
        const AVStream* theStream = theInput.Stream();
        if (!CheckStream(theStream, theMovie, outWhyNot)) return false;
        const AVCodecParameters* theCodec = theStream->codecpar;
        if (!h264::ReadAvcConfig(theCodec->extradata, size_t(std::max(0, theCodec->extradata_size)), outFacts.parameterSets,
                                 outWhyNot))
            return false;
        if (outFacts.parameterSets.lengthSize != 4) {
            outWhyNot = "gives its NAL units " + std::to_string(outFacts.parameterSets.lengthSize) + "-byte lengths, not 4";
            return false;
        }
        if (!h264::ReadSps(outFacts.parameterSets.sps.front(), outFacts.sps)) {
            outWhyNot = "has a damaged SPS";
            return false;
        }
        outFacts.primaries = theCodec->color_primaries;
        outFacts.transfer = theCodec->color_trc;
        outFacts.matrix = theCodec->color_space;
        outFacts.range = theCodec->color_range;
        outFacts.tagsAspect = theCodec->sample_aspect_ratio.num > 0;

        std::vector<PacketSeen> thePackets;
        std::vector<SInt32> theShown;
        if (!ReadPackets(theInput, outFacts.parameterSets, thePackets, outWhyNot)) return false;
        // Before the numbering: pictures cut from their references leave gaps in it.
        if (!thePackets.front().idr) {
            outWhyNot = "starts on a picture that is not an IDR picture";
            return false;
        }
        if (!NumberPictures(theStream, theMovie, thePackets, outFacts, theShown, outWhyNot)) return false;
        outFacts.frameCount = SInt32(thePackets.size());
        FindSplits(thePackets, theShown, outFacts);
        for (size_t k = 0; k < thePackets.size(); ++k) {
            if (thePackets[k].flaggedKey && thePackets[k].idr && !outFacts.CanStartAt(theShown[k])) {
                outWhyNot = "has IDR pictures that later pictures are shown before";
                return false;
            }
            if (thePackets[k].flaggedKey && !thePackets[k].idr) {
                outWhyNot = "has keyframes that are not IDR pictures (open GOPs, or a wrong index)";
                return false;
            }
        }
        return true;
    } catch (const std::bad_alloc&) {
        outWhyNot = "cannot be examined: out of memory";
        return false;
    }
}

bool MovieTakesCopies(const std::string& thePath, std::string& outWhyNot) noexcept
{
    try {
        const OutputFormat* theFormat = OutputFormatFor(thePath, outWhyNot);
        if (!theFormat) return false;
        if (!theFormat->muxer || std::string(theFormat->muxer) != "mp4") {
            outWhyNot = std::string("is a ") + theFormat->extension + ", not H.264 in .mp4";
            return false;
        }
        if (!avcodec_find_encoder_by_name("libx264")) {
            outWhyNot = "is made without x264, which this FFmpeg lacks";
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        outWhyNot = "cannot be examined: out of memory";
        return false;
    }
}

bool FitsWithCopiedClips(const ClipCopyFacts& theClip, const std::vector<ClipCopyFacts>& theCopied,
                         std::string& outWhyNot) noexcept
{
    try {
        h264::ParameterSets theSets = theClip.parameterSets;
        for (const ClipCopyFacts& theOther : theCopied) {
            if (!h264::MergeParameterSets(theSets, theOther.parameterSets, outWhyNot)) return false;
        }
        if (h264::FreeParameterSetId(theSets) > 31) {
            outWhyNot = "leaves no SPS id free for the pictures encoded around it";
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        outWhyNot = "cannot be examined: out of memory";
        return false;
    }
}

} // namespace video
