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
#include <cstring>
#include <new>

namespace video {

namespace {

// The movies that take copied pictures, by their encoder: x264's between H.264 pictures, or
// an intra-only one whose pictures stand alone.
struct CopyKind {
    const char* encoder;
    const char* encoderLabel;
    AVCodecID codec;
    const char* label;
    const char* pixels; // the movie's pixel format, for people
    bool intraOnly;
};

constexpr CopyKind cCopyKinds[] = {
    {"libx264", "x264", AV_CODEC_ID_H264, "H.264", "8-bit 4:2:0", false},
    {"prores_aw", "a ProRes encoder", AV_CODEC_ID_PRORES, "ProRes", "10-bit 4:2:2", true},
    {"utvideo", "a UT Video encoder", AV_CODEC_ID_UTVIDEO, "UT Video", "8-bit RGB", true},
};

const CopyKind* CopyKindOf(const OutputFormat& theFormat)
{
    for (const CopyKind& theKind : cCopyKinds)
        if (std::strcmp(theKind.encoder, theFormat.videoCodec) == 0) return &theKind;
    return nullptr;
}

// A picture's time, and whether it starts a clean decode: an IDR picture by its NAL units, or
// any picture of an intra-only codec.
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

bool CheckStream(const AVStream* theStream, const MovieSettings& theMovie, const OutputFormat& theFormat,
                 const CopyKind& theKind, std::string& outWhyNot)
{
    const AVCodecParameters* theCodec = theStream->codecpar;
    if (theCodec->codec_id != theKind.codec) {
        outWhyNot = std::string("is ") + avcodec_get_name(theCodec->codec_id) + ", not " + theKind.label;
        return false;
    }
    if (theCodec->width != theMovie.width || theCodec->height != theMovie.height) {
        outWhyNot = "is " + SizeText(theCodec->width, theCodec->height) + ", the movie " + SizeText(theMovie.width, theMovie.height);
        return false;
    }
    if (theCodec->format != theFormat.pixelFormat) {
        const char* theName = av_get_pix_fmt_name(AVPixelFormat(theCodec->format));
        outWhyNot = std::string("is stored as ") + (theName ? theName : "unknown pixels") + ", not " + theKind.pixels;
        return false;
    }
    const AVPixFmtDescriptor* theLayout = av_pix_fmt_desc_get(AVPixelFormat(theFormat.pixelFormat));
    const bool theRgb = theLayout && (theLayout->flags & AV_PIX_FMT_FLAG_RGB);
    // The encoder between copied stretches makes whole frames.
    if (theCodec->field_order != AV_FIELD_UNKNOWN && theCodec->field_order != AV_FIELD_PROGRESSIVE) {
        outWhyNot = "is interlaced";
        return false;
    }
    if (!theRgb && theCodec->color_range == AVCOL_RANGE_JPEG) {
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
        SettledMatrix(theCodec->color_space, theHeight, theRgb) != SettledMatrix(AVCOL_SPC_UNSPECIFIED, theHeight, theRgb)) {
        outWhyNot = "has other colour tags than the movie";
        return false;
    }
    return true;
}

// The codec tag and private data of the movie's track: the encoder's, opened at the movie's
// settings, for every picture of the track.
bool CheckIntraHeaders(const AVCodecParameters* theCodec, const MovieSettings& theMovie, const OutputFormat& theFormat,
                       const CopyKind& theKind, std::string& outWhyNot)
{
    const AVCodec* theEncoderCodec = avcodec_find_encoder_by_name(theKind.encoder);
    CodecPtr theEncoder(theEncoderCodec ? avcodec_alloc_context3(theEncoderCodec) : nullptr);
    if (!theEncoder) {
        outWhyNot = std::string("cannot be matched: FFmpeg lacks ") + theKind.encoderLabel;
        return false;
    }
    theEncoder->width = theMovie.width;
    theEncoder->height = theMovie.height;
    theEncoder->pix_fmt = AVPixelFormat(theFormat.pixelFormat);
    theEncoder->time_base = AVRational{theMovie.rate.den, theMovie.rate.num};
    theEncoder->framerate = AVRational{theMovie.rate.num, theMovie.rate.den};
    theEncoder->thread_count = 1;
    const AVOutputFormat* theMuxer = av_guess_format(theFormat.muxer, nullptr, nullptr);
    if (theMuxer && (theMuxer->flags & AVFMT_GLOBALHEADER)) theEncoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* theOptions = nullptr;
    SetIntraEncoderOptions(theKind.encoder, &theOptions);
    const int theResult = avcodec_open2(theEncoder.get(), theEncoderCodec, &theOptions);
    av_dict_free(&theOptions);
    if (theResult < 0) {
        outWhyNot = "cannot be matched: the movie's encoder does not start (" + ErrorText(theResult) + ")";
        return false;
    }
    if (theEncoder->codec_tag != 0 && theCodec->codec_tag != theEncoder->codec_tag) {
        const char* theProfile = avcodec_profile_name(theCodec->codec_id, theCodec->profile);
        char theOwn[AV_FOURCC_MAX_STRING_SIZE], theMovies[AV_FOURCC_MAX_STRING_SIZE];
        outWhyNot = std::string("is ") + theKind.label + (theProfile ? std::string(" ") + theProfile : "") + ", stored as " +
                    av_fourcc_make_string(theOwn, theCodec->codec_tag) + ", the movie as " +
                    av_fourcc_make_string(theMovies, theEncoder->codec_tag);
        return false;
    }
    const auto theSize = [](int theBytes) { return size_t(std::max(0, theBytes)); };
    if (theSize(theCodec->extradata_size) != theSize(theEncoder->extradata_size) ||
        (theCodec->extradata_size > 0 &&
         std::memcmp(theCodec->extradata, theEncoder->extradata, theSize(theCodec->extradata_size)) != 0)) {
        outWhyNot = std::string("has other ") + theKind.label + " settings than the movie (its codec private data differs)";
        return false;
    }
    return true;
}

bool ReadAvcHeaders(const AVCodecParameters* theCodec, ClipCopyFacts& ioFacts, std::string& outWhyNot)
{
    if (!h264::ReadAvcConfig(theCodec->extradata, size_t(std::max(0, theCodec->extradata_size)), ioFacts.parameterSets,
                             outWhyNot))
        return false;
    if (ioFacts.parameterSets.lengthSize != 4) {
        outWhyNot = "gives its NAL units " + std::to_string(ioFacts.parameterSets.lengthSize) + "-byte lengths, not 4";
        return false;
    }
    if (!h264::ReadSps(ioFacts.parameterSets.sps.front(), ioFacts.sps)) {
        outWhyNot = "has a damaged SPS";
        return false;
    }
    return true;
}

// A ProRes frame's interlace mode (0: progressive), from its frame header: after the frame's
// size and 'icpf', the header's size, version, creator, width and height, then frame_flags,
// whose bits 3-2 hold it. -1 when the packet holds no ProRes frame.
int ProResInterlaceMode(const AVPacket& thePacket)
{
    constexpr int cFlags = 20;
    if (thePacket.size <= cFlags || std::memcmp(thePacket.data + 4, "icpf", 4) != 0) return -1;
    return (thePacket.data[cFlags] >> 2) & 3;
}

// Parameter sets sent with the pictures join the avcC record's: the encoder's id must clash with
// none of them, and a clip that gives one id two meanings cannot share a record.
// An intra-only clip has no parameter sets, and every picture must be flagged a keyframe.
// ProRes frames say themselves whether they are interlaced, whatever the container says.
bool ReadPackets(MediaInput& theInput, bool theIntra, h264::ParameterSets& ioSets, std::vector<PacketSeen>& outPackets,
                 std::string& outWhyNot)
{
    const bool theProRes = theInput.Stream()->codecpar->codec_id == AV_CODEC_ID_PRORES;
    const int theLengthSize = ioSets.lengthSize;
    PacketPtr thePacket(av_packet_alloc());
    if (!thePacket) throw std::bad_alloc();
    std::vector<int> theTypes;
    while (theInput.ReadPacket(thePacket.get())) {
        PacketSeen theSeen;
        theSeen.pts = thePacket->pts;
        theSeen.flaggedKey = thePacket->flags & AV_PKT_FLAG_KEY;
        const bool theHidden = thePacket->flags & AV_PKT_FLAG_DISCARD;
        const int theInterlace = theProRes ? ProResInterlaceMode(*thePacket) : 0;
        const bool theParsed = theIntra ? theInterlace >= 0
                                        : h264::NalTypesOf(thePacket->data, size_t(thePacket->size), theLengthSize, theTypes);
        const bool theCarriesSets = !theIntra && theParsed && std::any_of(theTypes.begin(), theTypes.end(), [](int theType) {
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
        if (theInterlace > 0) {
            outWhyNot = "is interlaced";
            return false;
        }
        if (theIntra && !theSeen.flaggedKey) {
            outWhyNot = "has a picture that is not a keyframe (picture " + std::to_string(outPackets.size()) +
                        " in decode order)";
            return false;
        }
        theSeen.idr = theIntra || std::find(theTypes.begin(), theTypes.end(), h264::cIdrSlice) != theTypes.end();
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

bool ExamineClipForCopy(const std::string& thePath, const std::string& theMoviePath, const MovieSettings& theMovie,
                        ClipCopyFacts& outFacts, std::string& outWhyNot) noexcept
{
    try {
        outFacts = ClipCopyFacts();
        outFacts.path = thePath;
        std::string theIgnored;
        const OutputFormat* theFormat = OutputFormatFor(theMoviePath, theIgnored);
        const CopyKind* theKind = theFormat ? CopyKindOf(*theFormat) : nullptr;
        if (!theKind) {
            outWhyNot = "cannot go into " + Quoted(FileNameOf(theMoviePath)) + ", which takes no copied pictures";
            return false;
        }
        MediaInput theInput;
        std::string theError;
        if (!theInput.Open(thePath, AVMEDIA_TYPE_VIDEO, theError)) {
            outWhyNot = "cannot be read (" + theError + ")";
            return false;
        }
        const AVStream* theStream = theInput.Stream();
        if (!CheckStream(theStream, theMovie, *theFormat, *theKind, outWhyNot)) return false;
        const AVCodecParameters* theCodec = theStream->codecpar;
        outFacts.primaries = theCodec->color_primaries;
        outFacts.transfer = theCodec->color_trc;
        outFacts.matrix = theCodec->color_space;
        outFacts.range = theCodec->color_range;
        outFacts.tagsAspect = theCodec->sample_aspect_ratio.num > 0;
        outFacts.intraOnly = theKind->intraOnly;
        if (outFacts.intraOnly) {
            if (!CheckIntraHeaders(theCodec, theMovie, *theFormat, *theKind, outWhyNot)) return false;
            outFacts.codecPrivate.assign(theCodec->extradata, theCodec->extradata + std::max(0, theCodec->extradata_size));
        } else if (!ReadAvcHeaders(theCodec, outFacts, outWhyNot)) {
            return false;
        }

        std::vector<PacketSeen> thePackets;
        std::vector<SInt32> theShown;
        if (!ReadPackets(theInput, outFacts.intraOnly, outFacts.parameterSets, thePackets, outWhyNot)) return false;
        // Before the numbering: pictures cut from their references leave gaps in it.
        if (!thePackets.front().idr) {
            outWhyNot = "starts on a picture that is not an IDR picture";
            return false;
        }
        if (!NumberPictures(theStream, theMovie, thePackets, outFacts, theShown, outWhyNot)) return false;
        outFacts.frameCount = SInt32(thePackets.size());
        FindSplits(thePackets, theShown, outFacts);
        if (outFacts.intraOnly && outFacts.reorderDepth > 0) {
            outWhyNot = "stores its pictures in another order than it shows them";
            return false;
        }
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
        const CopyKind* theKind = CopyKindOf(*theFormat);
        if (!theKind) {
            outWhyNot = std::string("is a ") + theFormat->extension + ", which takes no copied pictures";
            return false;
        }
        if (!avcodec_find_encoder_by_name(theKind->encoder)) {
            outWhyNot = std::string("is made without ") + theKind->encoderLabel + ", which this FFmpeg lacks";
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
        if (theClip.intraOnly) return true; // no parameter sets to share
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
