#include "FrameSource.h"

#include "audiotrack.h"
#include "framecache.h"
#include "framecount.h"
#include "framescaler.h"
#include "mediainput.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace video {

namespace {

// Scrubbing happens at preview sizes, where 12 frames fit; the byte limit keeps two at 1080p.
// A render reads in order and turns the cache off.
constexpr int cCacheFrames = 12;
constexpr SInt64 cCacheBytes = SInt64(16) << 20;
// A seek costs about as much as decoding this many frames.
constexpr SInt64 cSeekCostFrames = 2;
// Without an index to tell where key frames are, jumps up to this far decode forward.
constexpr SInt64 cForwardWithoutIndex = 64;
// Seeks that land past their target before the reader starts over from the top of the file.
constexpr int cMaxLateLandings = 6;

// Where a picture of theInfo's shape goes in a destination of theWidth x theHeight, with
// FrameSource::SetFitting.
ArgbPixels FittedTarget(const ArgbPixels& theWhole, const ClipInfo& theInfo)
{
    const SInt64 theShownWidth = SInt64(theInfo.width) * theInfo.pixelAspectNum;
    const SInt64 theShownHeight = SInt64(theInfo.height) * theInfo.pixelAspectDen;
    if (theShownWidth <= 0 || theShownHeight <= 0) return theWhole;
    SInt64 theWidth = theWhole.width, theHeight = theWhole.height;
    // Rounded to the nearest pixel, in whole numbers so that every machine agrees.
    if (theShownWidth * theWhole.height > theShownHeight * theWhole.width)
        theHeight = (2 * theWhole.width * theShownHeight + theShownWidth) / (2 * theShownWidth);
    else
        theWidth = (2 * theWhole.height * theShownWidth + theShownHeight) / (2 * theShownHeight);
    if ((theWhole.width - theWidth) * 100 < theWhole.width && (theWhole.height - theHeight) * 100 < theWhole.height)
        return theWhole;
    ArgbPixels theFitted = theWhole;
    theFitted.width = int(std::max<SInt64>(1, theWidth));
    theFitted.height = int(std::max<SInt64>(1, theHeight));
    theFitted.base += SInt64((theWhole.height - theFitted.height) / 2) * theWhole.rowBytes +
                      SInt64((theWhole.width - theFitted.width) / 2) * 4;
    return theFitted;
}

// Opaque black wherever theWhole is not theInside.
void FillAround(const ArgbPixels& theWhole, const ArgbPixels& theInside)
{
    const SInt64 theOffset = theInside.base - theWhole.base;
    const int theTop = int(theOffset / theWhole.rowBytes), theLeft = int(theOffset % theWhole.rowBytes / 4);
    const auto theFill = [](uint8_t* theStart, int thePixels) {
        for (int i = 0; i < thePixels; ++i) {
            theStart[4 * i] = 0xFF;
            std::memset(theStart + 4 * i + 1, 0, 3);
        }
    };
    for (int theRow = 0; theRow < theWhole.height; ++theRow) {
        uint8_t* theLine = theWhole.base + SInt64(theRow) * theWhole.rowBytes;
        if (theRow < theTop || theRow >= theTop + theInside.height) {
            theFill(theLine, theWhole.width);
        } else {
            theFill(theLine, theLeft);
            theFill(theLine + 4 * size_t(theLeft + theInside.width), theWhole.width - theLeft - theInside.width);
        }
    }
}

// Quarter turns clockwise from a display matrix (the stream's, or a photo's from its
// orientation tag); 0 for none, or for a mirrored one, which is left as stored.
int QuarterTurnsOf(const int32_t* theMatrix)
{
    if (!theMatrix) return 0;
    const double theDeterminant = double(theMatrix[0]) * theMatrix[4] - double(theMatrix[1]) * theMatrix[3];
    if (!(theDeterminant > 0.0)) return 0;
    const double theDegrees = -av_display_rotation_get(theMatrix); // clockwise
    if (std::isnan(theDegrees)) return 0;
    return int(((std::lround(theDegrees / 90.0) % 4) + 4) % 4);
}

// theTo is theFrom turned theTurns quarter turns clockwise.
void TurnPixels(const ArgbPixels& theFrom, const ArgbPixels& theTo, int theTurns)
{
    for (int y = 0; y < theTo.height; ++y) {
        uint8_t* theLine = theTo.base + SInt64(y) * theTo.rowBytes;
        for (int x = 0; x < theTo.width; ++x) {
            int theX = x, theY = y;
            if (theTurns == 1) theX = y, theY = theFrom.height - 1 - x;
            else if (theTurns == 2) theX = theFrom.width - 1 - x, theY = theFrom.height - 1 - y;
            else if (theTurns == 3) theX = theFrom.width - 1 - y, theY = x;
            std::memcpy(theLine + 4 * size_t(x), theFrom.base + SInt64(theY) * theFrom.rowBytes + 4 * SInt64(theX), 4);
        }
    }
}

std::string RateText(FrameRate theRate)
{
    char theText[32];
    if (theRate.den == 1) std::snprintf(theText, sizeof theText, "%" PRId32, theRate.num);
    else std::snprintf(theText, sizeof theText, "%.3f", double(theRate.num) / theRate.den);
    return theText;
}

} // namespace

struct FrameSource::State {
    enum class Outcome { found, late, failed };

    std::string path;
    MediaInput input;
    FrameNumbering numbering;
    ClipInfo info;
    FrameScaler scaler;
    FrameCache cache;
    std::unique_ptr<AudioTrack> audio;
    Statistics statistics;
    bool fitting = false;
    std::vector<uint8_t> turning; // the picture before it is turned upright

    // Scales a decoded picture, turned upright, to the whole of theTarget.
    bool ScaleUpright(const AVFrame* theDecoded, const ArgbPixels& theTarget, std::string& outError);

    // The latest picture decoded at or before the last frame asked for, and one decoded past it.
    FramePtr held;
    FramePtr pending;
    FramePtr scratch;
    SInt64 heldNumber = -1;
    SInt64 pendingNumber = -1;
    SInt64 lastNumber = -1;        // of the last picture decoded; -1 right after a seek
    bool countFromStart = false;   // the next picture is frame lastNumber + 1 even without a timestamp
    bool ended = false;            // the decoder has given its last picture
    bool timestampsMissing = false;

    bool Open(const std::string& thePath, FrameRate theRate, std::string& outError);
    const AVFrame* Decoded(SInt64 theNumber, std::string& outError);
    Outcome DecodeForwardTo(SInt64 theNumber, bool theFromStart, const AVFrame*& theFound, std::string& outError);
    SInt64 NumberOf(const AVFrame* theFrame);
    bool ShouldSeek(SInt64 theNumber) const;
    bool SeekToFrame(SInt64 theNumber, std::string& outError);
    bool Restart(std::string& outError);
    void ForgetDecoded();
    // The file as it is, whatever rate it is conformed to.
    std::string Describe(FrameRate theRate, SInt64 theCount) const;
};

bool FrameSource::State::Open(const std::string& thePath, FrameRate theRate, std::string& outError)
{
    path = thePath;
    held.reset(av_frame_alloc());
    pending.reset(av_frame_alloc());
    scratch.reset(av_frame_alloc());
    if (!held || !pending || !scratch) {
        outError = "out of memory opening " + Quoted(FileNameOf(thePath));
        return false;
    }
    if (!input.Open(thePath, AVMEDIA_TYPE_VIDEO, outError)) return false;
    numbering = NumberingOf(input.Stream());
    SInt64 theCount = 0;
    if (!CountFrames(input, numbering, theCount, outError)) return false;
    const FrameRate theOwnRate{numbering.rate.num, numbering.rate.den};
    const SInt64 theOwnCount = theCount;
    if (theRate.num > 0 && theRate.den > 0) ConformNumbering(AVRational{theRate.num, theRate.den}, numbering, theCount);
    if (theCount > INT32_MAX) {
        outError = Quoted(FileNameOf(thePath)) + " is too long";
        return false;
    }
    cache.SetLimits(cCacheFrames, cCacheBytes);

    const AVFrame* theFirst = Decoded(0, outError);
    if (!theFirst) {
        if (outError.empty()) outError = Quoted(FileNameOf(thePath)) + " holds no picture that can be decoded";
        return false;
    }
    info.width = theFirst->width;
    info.height = theFirst->height;
    info.rate = FrameRate{numbering.rate.num, numbering.rate.den};
    info.ownRate = theOwnRate;
    info.rateVaries = numbering.varies;
    info.frameCount = static_cast<SInt32>(theCount);
    info.primaries = theFirst->color_primaries;
    info.transfer = theFirst->color_trc;
    const AVPixFmtDescriptor* theLayout = av_pix_fmt_desc_get(AVPixelFormat(theFirst->format));
    const bool theYuv = theLayout && !(theLayout->flags & AV_PIX_FMT_FLAG_RGB) && theLayout->nb_components >= 3;
    info.colorSpace = theYuv ? InputColorSpace(theFirst) : AVCOL_SPC_RGB;
    info.fullRange = IsFullRangeYuv(theFirst);
    const AVRational theAspect = av_guess_sample_aspect_ratio(input.Format(), input.Stream(), const_cast<AVFrame*>(theFirst));
    if (theAspect.num > 0 && theAspect.den > 0) {
        info.pixelAspectNum = theAspect.num;
        info.pixelAspectDen = theAspect.den;
    }
    info.still = theOwnCount == 1;
    const uint8_t* theStreamMatrix = av_stream_get_side_data(input.Stream(), AV_PKT_DATA_DISPLAYMATRIX, nullptr);
    const AVFrameSideData* theFrameMatrix = av_frame_get_side_data(theFirst, AV_FRAME_DATA_DISPLAYMATRIX);
    info.quarterTurns = QuarterTurnsOf(reinterpret_cast<const int32_t*>(
        theStreamMatrix ? theStreamMatrix : theFrameMatrix ? theFrameMatrix->data : nullptr));
    if (info.quarterTurns % 2) {
        std::swap(info.width, info.height);
        std::swap(info.pixelAspectNum, info.pixelAspectDen);
    }
    const AVCodec* theAudioCodec = nullptr;
    info.hasAudio = av_find_best_stream(input.Format(), AVMEDIA_TYPE_AUDIO, -1, -1, &theAudioCodec, 0) >= 0;
    info.description = Describe(theOwnRate, theOwnCount);
    statistics = Statistics{};
    return true;
}

std::string FrameSource::State::Describe(FrameRate theRate, SInt64 theCount) const
{
    std::string theContainer = input.Format()->iformat->name;
    theContainer = theContainer.substr(0, theContainer.find(','));
    char theLength[32];
    std::snprintf(theLength, sizeof theLength, "%.2f", theCount * double(theRate.den) / theRate.num);
    std::string theText = theContainer + ": " + avcodec_get_name(input.Stream()->codecpar->codec_id) + " " +
                          std::to_string(info.width) + "x" + std::to_string(info.height) + ", " + RateText(theRate) +
                          " fps, " + std::to_string(theCount) + " frames (" + theLength + " s)";
    int theAudio = av_find_best_stream(input.Format(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (theAudio >= 0) {
        const AVCodecParameters* theParameters = input.Format()->streams[theAudio]->codecpar;
        theText += std::string(", audio ") + avcodec_get_name(theParameters->codec_id) + " " +
                   std::to_string(theParameters->sample_rate) + " Hz " +
                   std::to_string(theParameters->ch_layout.nb_channels) + " ch";
        if (!info.hasAudio) theText += " (no decoder)";
    } else {
        theText += ", no audio";
    }
    return theText;
}

void FrameSource::State::ForgetDecoded()
{
    av_frame_unref(held.get());
    av_frame_unref(pending.get());
    heldNumber = -1;
    pendingNumber = -1;
}

SInt64 FrameSource::State::NumberOf(const AVFrame* theFrame)
{
    int64_t theTimestamp = theFrame->best_effort_timestamp;
    SInt64 theNumber;
    if (theTimestamp != AV_NOPTS_VALUE && !timestampsMissing) {
        theNumber = numbering.NumberOf(theTimestamp);
        // Timestamps that step back belong to a damaged file; keep the numbering in order.
        if (lastNumber >= 0 && theNumber < lastNumber) theNumber = lastNumber;
    } else if (lastNumber >= 0 || countFromStart) {
        theNumber = lastNumber + 1;
    } else {
        return -1;
    }
    lastNumber = theNumber;
    return theNumber;
}

bool FrameSource::State::Restart(std::string& outError)
{
    ForgetDecoded();
    ended = false;
    lastNumber = -1;
    countFromStart = true;
    return input.Rewind(outError);
}

bool FrameSource::State::SeekToFrame(SInt64 theNumber, std::string& outError)
{
    ++statistics.seeks;
    ForgetDecoded();
    ended = false;
    lastNumber = -1;
    countFromStart = false;
    if (timestampsMissing || !input.Seek(numbering.TimestampOf(theNumber))) return Restart(outError);
    return true;
}

bool FrameSource::State::ShouldSeek(SInt64 theNumber) const
{
    SInt64 theDistance = theNumber - heldNumber;
    if (theDistance <= 1 || timestampsMissing) return false;
    const AVIndexEntry* theEntry = avformat_index_get_entry_from_timestamp(input.Stream(), numbering.TimestampOf(theNumber),
                                                                           AVSEEK_FLAG_BACKWARD);
    if (!theEntry) return theDistance > cForwardWithoutIndex;
    SInt64 theKeyFrame = numbering.NumberOf(theEntry->timestamp);
    return theKeyFrame > heldNumber && (theNumber - theKeyFrame) + cSeekCostFrames < theDistance;
}

FrameSource::State::Outcome FrameSource::State::DecodeForwardTo(SInt64 theNumber, bool theFromStart,
                                                                const AVFrame*& theFound, std::string& outError)
{
    for (;;) {
        if (ended) {
            if (heldNumber >= 0) {
                theFound = held.get();
                return Outcome::found;
            }
            if (!theFromStart) return Outcome::late; // landed after the last key frame
            outError = Quoted(FileNameOf(path)) + " holds no picture that can be decoded";
            return Outcome::failed;
        }
        switch (input.ReceiveFrame(scratch.get(), outError)) {
        case MediaInput::Result::failed:
            return Outcome::failed;
        case MediaInput::Result::end:
            ended = true;
            continue;
        case MediaInput::Result::frame:
            break;
        }
        ++statistics.decoded;
        SInt64 theDecoded = NumberOf(scratch.get());
        if (theDecoded < 0) {
            // Pictures without timestamps can only be counted from the start.
            av_frame_unref(scratch.get());
            timestampsMissing = true;
            if (!Restart(outError)) return Outcome::failed;
            theFromStart = true;
            continue;
        }
        if (theDecoded <= theNumber || (heldNumber < 0 && theFromStart)) {
            std::swap(held, scratch);
            av_frame_unref(scratch.get());
            heldNumber = theDecoded;
            // Where pictures share a number the latest wins: only the next one tells.
            if (theDecoded > theNumber || (theDecoded == theNumber && !numbering.byPresentation)) {
                theFound = held.get();
                return Outcome::found;
            }
            continue;
        }
        if (heldNumber < 0) {
            av_frame_unref(scratch.get());
            return Outcome::late;
        }
        // A gap in a variable-rate file: the frame asked for shows the picture before it.
        std::swap(pending, scratch);
        pendingNumber = theDecoded;
        theFound = held.get();
        return Outcome::found;
    }
}

const AVFrame* FrameSource::State::Decoded(SInt64 theNumber, std::string& outError)
{
    // Without a picture decoded after it, the held one is known to be the latest of its number
    // only where numbers are not shared.
    const bool theLatestKnown = !numbering.byPresentation || pendingNumber >= 0 || ended;
    if (heldNumber == theNumber && heldNumber >= 0 && theLatestKnown) return held.get();
    if (pendingNumber >= 0) {
        if (heldNumber < theNumber && theNumber < pendingNumber) return held.get();
        if (pendingNumber <= theNumber) {
            std::swap(held, pending);
            av_frame_unref(pending.get());
            heldNumber = pendingNumber;
            pendingNumber = -1;
            if (heldNumber == theNumber && !numbering.byPresentation) return held.get();
        }
    }
    const AVFrame* theFound = nullptr;
    if (heldNumber >= 0 && heldNumber <= theNumber && pendingNumber < 0) {
        if (ended) return held.get(); // past the last picture the file holds
        if (!ShouldSeek(theNumber)) {
            return DecodeForwardTo(theNumber, false, theFound, outError) == Outcome::found ? theFound : nullptr;
        }
    }
    // Seek to the key frame before the target. Some files land past it (no index, or key frames
    // indexed by decoding time); step back further, and in the end start over from the top.
    SInt64 theBackoff = 0;
    int theLateLandings = 0;
    bool theStartOver = false;
    for (;;) {
        SInt64 theTarget = std::max<SInt64>(theNumber - theBackoff, 0);
        if (theStartOver) {
            ++statistics.seeks;
            if (!Restart(outError)) return nullptr;
        } else if (!SeekToFrame(theTarget, outError)) {
            return nullptr;
        }
        switch (DecodeForwardTo(theNumber, theStartOver, theFound, outError)) {
        case Outcome::found:
            return theFound;
        case Outcome::failed:
            return nullptr;
        case Outcome::late:
            theStartOver = theTarget == 0 || ++theLateLandings >= cMaxLateLandings;
            theBackoff = theBackoff ? 2 * theBackoff : std::max<SInt64>(16, av_q2d(numbering.rate));
            break;
        }
    }
}

bool FrameSource::State::ScaleUpright(const AVFrame* theDecoded, const ArgbPixels& theTarget, std::string& outError)
{
    if (info.quarterTurns == 0) return scaler.ToArgb(theDecoded, theTarget, outError);
    ArgbPixels theStored;
    theStored.width = info.quarterTurns % 2 ? theTarget.height : theTarget.width;
    theStored.height = info.quarterTurns % 2 ? theTarget.width : theTarget.height;
    theStored.rowBytes = theStored.width * 4;
    turning.resize(size_t(theStored.rowBytes) * size_t(theStored.height));
    theStored.base = turning.data();
    if (!scaler.ToArgb(theDecoded, theStored, outError)) return false;
    TurnPixels(theStored, theTarget, info.quarterTurns);
    return true;
}

FrameSource::FrameSource(std::unique_ptr<State> theState) : mState(std::move(theState)) {}

FrameSource::~FrameSource() = default;

std::unique_ptr<FrameSource> FrameSource::Open(const std::string& thePath, std::string& outError) noexcept
{
    return Open(thePath, FrameRate{0, 0}, outError);
}

std::unique_ptr<FrameSource> FrameSource::Open(const std::string& thePath, FrameRate theRate, std::string& outError) noexcept
{
    try {
        auto theState = std::make_unique<State>();
        if (!theState->Open(thePath, theRate, outError)) return nullptr;
        return std::unique_ptr<FrameSource>(new FrameSource(std::move(theState)));
    } catch (const std::bad_alloc&) {
        outError = "out of memory opening " + Quoted(FileNameOf(thePath));
        return nullptr;
    }
}

const ClipInfo& FrameSource::Info() const noexcept
{
    return mState->info;
}

bool FrameSource::DrawFrame(SInt32 theFrame, GWorldPtr theDestination, std::string& outError) noexcept
{
    try {
        State& theState = *mState;
        PixMapHandle thePixMap = GetGWorldPixMap(theDestination);
        if (!thePixMap || GetPixDepth(thePixMap) != 32) {
            outError = "frames are drawn only into 32-bit GWorlds";
            return false;
        }
        Rect theBounds;
        GetPixBounds(thePixMap, &theBounds);
        const int theWholeWidth = theBounds.right - theBounds.left;
        const int theWholeHeight = theBounds.bottom - theBounds.top;
        if (theWholeWidth <= 0 || theWholeHeight <= 0) {
            outError = "cannot draw a frame into an empty GWorld";
            return false;
        }
        if (theFrame < 0 || theFrame >= theState.info.frameCount) {
            outError = "frame " + std::to_string(theFrame) + " is outside " + Quoted(FileNameOf(theState.path)) +
                       ", which has frames 0 to " + std::to_string(theState.info.frameCount - 1);
            return false;
        }
        const ArgbPixels theWhole{reinterpret_cast<uint8_t*>(GetPixBaseAddr(thePixMap)), GetPixRowBytes(thePixMap),
                                  theWholeWidth, theWholeHeight};
        const ArgbPixels theTarget = theState.fitting ? FittedTarget(theWhole, theState.info) : theWhole;
        if (theTarget.base != theWhole.base || theTarget.width != theWhole.width || theTarget.height != theWhole.height)
            FillAround(theWhole, theTarget);
        const int theWidth = theTarget.width, theHeight = theTarget.height;
        const ArgbPixels* thePixels = theState.cache.Find(theFrame, theWidth, theHeight);
        if (thePixels) {
            ++theState.statistics.cacheHits;
        } else {
            const AVFrame* theDecoded = theState.Decoded(theFrame, outError);
            if (!theDecoded) return false;
            if (!theState.cache.Keeps()) return theState.ScaleUpright(theDecoded, theTarget, outError);
            thePixels = theState.cache.Store(theFrame, theWidth, theHeight);
            if (!thePixels) {
                outError = "out of memory for a frame of " + std::to_string(theWidth) + "x" + std::to_string(theHeight);
                return false;
            }
            if (!theState.ScaleUpright(theDecoded, *thePixels, outError)) {
                theState.cache.Forget(theFrame, theWidth, theHeight);
                return false;
            }
        }
        for (int theRow = 0; theRow < theHeight; ++theRow) {
            std::memcpy(theTarget.base + SInt64(theRow) * theTarget.rowBytes,
                        thePixels->base + SInt64(theRow) * thePixels->rowBytes, size_t(theWidth) * 4);
        }
        return true;
    } catch (const std::bad_alloc&) {
        outError = "out of memory decoding frame " + std::to_string(theFrame);
        return false;
    }
}

const AVFrame* FrameSource::DecodedFrame(SInt32 theFrame, std::string& outError) noexcept
{
    try {
        State& theState = *mState;
        if (theFrame < 0 || theFrame >= theState.info.frameCount) {
            outError = "frame " + std::to_string(theFrame) + " is outside " + Quoted(FileNameOf(theState.path));
            return nullptr;
        }
        return theState.Decoded(theFrame, outError);
    } catch (const std::bad_alloc&) {
        outError = "out of memory decoding frame " + std::to_string(theFrame);
        return nullptr;
    }
}

bool FrameSource::GetFrameAudio(SInt32 theFrame, AudioBlock& theAudio, std::string& outError) noexcept
{
    try {
        State& theState = *mState;
        if (theFrame < 0) {
            outError = "frame " + std::to_string(theFrame) + " has no sound";
            return false;
        }
        SInt32 theLength = AudioSamplesInFrame(theFrame, theState.info.rate);
        theAudio.samples.assign(size_t(theLength) * cAudioChannels, 0.0f);
        if (!theState.info.hasAudio) return true;
        if (!theState.audio) {
            auto theTrack = std::make_unique<AudioTrack>();
            int64_t theOrigin = av_rescale_q(theState.numbering.origin, theState.numbering.timeBase, AV_TIME_BASE_Q);
            if (!theTrack->Open(theState.path, theOrigin, outError)) return false;
            theState.audio = std::move(theTrack);
        }
        return theState.audio->Read(FirstAudioSampleOfFrame(theFrame, theState.info.rate), theLength,
                                    theAudio.samples.data(), outError);
    } catch (const std::bad_alloc&) {
        outError = "out of memory decoding the sound of frame " + std::to_string(theFrame);
        return false;
    }
}

void FrameSource::SetCacheLimits(SInt32 theFrames, SInt64 theBytes) noexcept
{
    try {
        mState->cache.SetLimits(theFrames, theBytes);
    } catch (const std::bad_alloc&) {
        // The old limits stay; the cache is only emptied.
    }
}

void FrameSource::SetFitting(bool theFitting) noexcept
{
    mState->fitting = theFitting;
}

void FrameSource::SetQuickScaling(bool theQuick) noexcept
{
    mState->scaler.SetQuick(theQuick);
}

FrameSource::Statistics FrameSource::GetStatistics() const noexcept
{
    return mState->statistics;
}

} // namespace video
