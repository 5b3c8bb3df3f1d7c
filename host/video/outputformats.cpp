#include "outputformats.h"

#include "avsupport.h"

extern "C" {
#include <libavutil/dict.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <span>

namespace video {

namespace {

// .mp4: H.264 (x264, else MPEG-4 Part 2) and AAC, for playing anywhere.
// .mkv: UT Video on RGB and FLAC, lossless, for further editing. (FFmpeg's FFV1 encoder zeroes
//       a packet for the worst case of every frame, some 150 bytes a pixel: 300 MB at 1080p.)
// .mov: ProRes 422 HQ and PCM, as editing programs take them in; FFmpeg's prores_aw, five times
//       as fast as prores_ks.
// .y4m: raw 4:2:0 pictures for piping to other encoders; no sound.
// .png: one lossless picture per frame; no sound.
constexpr OutputFormat cFormats[] = {
    {".mp4", "mp4", "libx264", "mpeg4", AV_PIX_FMT_YUV420P, "aac"},
    {".mkv", "matroska", "utvideo", nullptr, AV_PIX_FMT_GBRP, "flac"},
    {".mov", "mov", "prores_aw", nullptr, AV_PIX_FMT_YUV422P10LE, "pcm_s24le"},
    {".y4m", "yuv4mpegpipe", "wrapped_avframe", nullptr, AV_PIX_FMT_YUV420P, nullptr},
    {".png", nullptr, "png", nullptr, AV_PIX_FMT_RGB24, nullptr},
};

// Mattes hold only full black and full white. .mkv: FFV1 grey, lossless and read by every
// FFmpeg-based editor (qtrle's grey decodes as a palette, which OpenShot and Blender misread).
// .mov: ProRes 4444, the matte in the picture and in alpha, for Final Cut and Resolve; by
//       prores_ks, whose 16-bit alpha is lossless (prores_aw's is not).
// .png: grey pictures.
constexpr OutputFormat cMatteFormats[] = {
    {".mkv", "matroska", "ffv1", nullptr, AV_PIX_FMT_GRAY8, nullptr},
    {".mov", "mov", "prores_ks", nullptr, AV_PIX_FMT_YUVA444P10LE, nullptr},
    {".png", nullptr, "png", nullptr, AV_PIX_FMT_GRAY8, nullptr},
};

} // namespace

void SetIntraEncoderOptions(const char* theEncoder, AVDictionary** ioOptions)
{
    if (std::strcmp(theEncoder, "prores_aw") == 0 || std::strcmp(theEncoder, "prores_ks") == 0) {
        av_dict_set(ioOptions, "profile", "3", 0); // HQ; prores_aw knows profiles by number only
        av_dict_set(ioOptions, "vendor", "apl0", 0);
    } else if (std::strcmp(theEncoder, "utvideo") == 0) {
        av_dict_set(ioOptions, "pred", "median", 0);
    }
}

bool NeedsEvenSize(const OutputFormat& theFormat)
{
    const AVPixFmtDescriptor* theLayout = av_pix_fmt_desc_get(AVPixelFormat(theFormat.pixelFormat));
    return theLayout && theLayout->log2_chroma_w > 0 && std::string(theFormat.videoCodec) != "wrapped_avframe";
}

const OutputFormat* OutputFormatFor(const std::string& thePath, std::string& outError, OutputKind theKind)
{
    std::string theName = FileNameOf(thePath);
    size_t theDot = theName.find_last_of('.');
    std::string theExtension = theDot == std::string::npos ? "" : theName.substr(theDot);
    std::transform(theExtension.begin(), theExtension.end(), theExtension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    const bool theMatte = theKind == OutputKind::kMatte;
    for (const OutputFormat& theFormat : theMatte ? std::span<const OutputFormat>(cMatteFormats)
                                                  : std::span<const OutputFormat>(cFormats)) {
        if (theExtension == theFormat.extension) return &theFormat;
    }
    outError = "cannot write " + Quoted(theName) + ": " +
               (theExtension.empty() ? "it has no extension" : "unknown type " + Quoted(theExtension)) +
               (theMatte ? "; use .mkv, .mov or .png" : "; use .mp4, .mov, .mkv, .y4m or .png");
    return nullptr;
}

} // namespace video
