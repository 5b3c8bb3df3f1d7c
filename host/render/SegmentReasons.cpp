#include "SegmentReasons.h"

#include "ClipCopy.h"
#include "avsupport.h"
#include "framescaler.h"
#include "outputformats.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cstdio>

namespace {

std::string ClipText(size_t theIndex)
{
    return "clip " + std::to_string(theIndex + 1);
}

std::string SizeText(SInt32 theWidth, SInt32 theHeight)
{
    return std::to_string(theWidth) + "x" + std::to_string(theHeight);
}

std::string RateText(video::FrameRate theRate)
{
    char theText[32];
    if (theRate.den == 1) std::snprintf(theText, sizeof theText, "%d", int(theRate.num));
    else std::snprintf(theText, sizeof theText, "%.3f", double(theRate.num) / theRate.den);
    return theText;
}

SInt32 ShownWidth(const video::ClipInfo& theInfo)
{
    return SInt32((2 * SInt64(theInfo.width) * theInfo.pixelAspectNum + theInfo.pixelAspectDen) /
                  (2 * SInt64(theInfo.pixelAspectDen)));
}

// As FrameSource fits a picture: a shape within 1 % of the frame's fills it.
bool FillsFrame(const video::ClipInfo& theInfo, SInt32 theWidth, SInt32 theHeight)
{
    const SInt64 theShownWidth = SInt64(theInfo.width) * theInfo.pixelAspectNum;
    const SInt64 theShownHeight = SInt64(theInfo.height) * theInfo.pixelAspectDen;
    if (theShownWidth <= 0 || theShownHeight <= 0) return true;
    SInt64 theFitWidth = theWidth, theFitHeight = theHeight;
    if (theShownWidth * theHeight > theShownHeight * theWidth)
        theFitHeight = (2 * theWidth * theShownHeight + theShownWidth) / (2 * theShownWidth);
    else
        theFitWidth = (2 * theHeight * theShownWidth + theShownHeight) / (2 * theShownHeight);
    return (theWidth - theFitWidth) * 100 < theWidth && (theHeight - theFitHeight) * 100 < theHeight;
}

const char* MatrixName(int theSpace)
{
    const char* theName = av_color_space_name(AVColorSpace(theSpace));
    return theName ? theName : "unknown";
}

} // namespace

std::string WhyMovieNotCopied(const RenderJob& theJob, const RenderPlan& thePlan)
{
    const video::OutputFormat* theFormat = thePlan.format;
    const std::string theKind = theFormat ? theFormat->extension : "";
    if (theKind != ".mp4" && theKind != ".mov" && theKind != ".mkv")
        return theKind.empty() ? "only a movie file takes copied pictures"
                               : "the output is " + theKind + ", which takes no copied pictures";
    if (theJob.reencode) return "--reencode: every frame is encoded";
    if (theJob.proxy) return "--proxy: every frame is made smaller";
    if (theJob.width > 0) return "--size " + SizeText(thePlan.settings.width, thePlan.settings.height) + ": every frame is scaled";
    std::string theWhyNot;
    if (!video::MovieTakesCopies(theJob.output, theWhyNot)) return "the output " + theWhyNot;
    if (theKind == ".mp4") return WhyLosslessNotCopied(theJob);
    return "";
}

std::string WhyLosslessNotCopied(const RenderJob& theJob)
{
    // x264's lossless pictures are High 4:4:4 Predictive, which the clips' pictures are not: one
    // track would mix two profiles that many players do not decode together.
    if (theJob.crf != 0) return "";
    return "--crf 0: lossless pictures cannot sit beside copied ones, so every frame is encoded";
}

std::string WhyClipNotCopied(const RenderJob& theJob, const RenderPlan& thePlan, size_t theIndex)
{
    const std::string theMovieWide = WhyMovieNotCopied(theJob, thePlan);
    if (!theMovieWide.empty()) return theMovieWide;
    const video::ClipInfo& theInfo = thePlan.infos[theIndex];
    const video::MovieSettings& theMovie = thePlan.settings;
    if (theInfo.still) return ClipText(theIndex) + " is a still picture";
    if (theInfo.quarterTurns != 0) return ClipText(theIndex) + " is turned upright";
    const SInt32 theWidth = ShownWidth(theInfo);
    if (theWidth != theMovie.width || theInfo.height != theMovie.height)
        return ClipText(theIndex) + " is " + SizeText(theWidth, theInfo.height) + ", the movie " +
               SizeText(theMovie.width, theMovie.height);
    if (theInfo.rateVaries)
        return ClipText(theIndex) + " varies its frame rate (" + RateText(theInfo.ownRate) + " fps on average)";
    if (SInt64(theInfo.ownRate.num) * theMovie.rate.den != SInt64(theMovie.rate.num) * theInfo.ownRate.den)
        return ClipText(theIndex) + " runs at " + RateText(theInfo.ownRate) + " fps, the movie at " +
               RateText(theMovie.rate);
    return "";
}

std::string WhyClipFailsExamination(size_t theIndex, const std::string& theWhyNot)
{
    return ClipText(theIndex) + " " + theWhyNot;
}

std::string WhyClipChanged(size_t theIndex, const std::string& theWhyConverted)
{
    return ClipText(theIndex) + " is changed on its way: " + theWhyConverted;
}

std::string WhyClipCopied()
{
    return "no transition touches them, and they lie between clean splits";
}

std::string WhyCopyStartsLater(size_t theIndex, SInt32 theStart, SInt32 theFrameCount)
{
    if (theStart >= theFrameCount) return ClipText(theIndex) + " has no clean split to start a copy from here on";
    return "a copy starts on a clean split; " + ClipText(theIndex) + "'s next is frame " + std::to_string(theStart);
}

std::string WhyCopyEndsEarlier(size_t theIndex, SInt32 theEnd)
{
    return "a copy ends on a clean split; " + ClipText(theIndex) + "'s last before the transition is frame " +
           std::to_string(theEnd);
}

std::string WhyClipDrawn(const RenderPlan& thePlan, size_t theIndex)
{
    const video::OutputFormat* theFormat = thePlan.format;
    if (!theFormat) return "the player shows drawn frames";
    const AVPixFmtDescriptor* theLayout = av_pix_fmt_desc_get(AVPixelFormat(theFormat->pixelFormat));
    if (!theLayout || (theLayout->flags & AV_PIX_FMT_FLAG_RGB)) return std::string(theFormat->extension) + " is encoded from RGB";
    return WhyClipConverted(thePlan, theIndex);
}

std::string WhyClipConverted(const RenderPlan& thePlan, size_t theIndex)
{
    const video::OutputFormat* theFormat = thePlan.format;
    const AVPixFmtDescriptor* theLayout = theFormat ? av_pix_fmt_desc_get(AVPixelFormat(theFormat->pixelFormat)) : nullptr;
    const bool theRgb = theLayout && (theLayout->flags & AV_PIX_FMT_FLAG_RGB);
    const video::ClipInfo& theInfo = thePlan.infos[theIndex];
    const video::MovieSettings& theMovie = thePlan.settings;
    if (theInfo.still) return "a still is drawn once for all its frames";
    if (theInfo.quarterTurns != 0) return "turned upright";
    if (!FillsFrame(theInfo, theMovie.width, theMovie.height)) return "fitted on black";
    if (theRgb) return theInfo.colorSpace == AVCOL_SPC_RGB ? "" : "its pictures are not RGB";
    if (theInfo.colorSpace == AVCOL_SPC_RGB) return "its pictures are not YUV";
    const int theMovieSpace = video::ColorSpaceForHeight(theMovie.height & ~1);
    if (theInfo.colorSpace != theMovieSpace)
        return std::string("its colours are converted from ") + MatrixName(theInfo.colorSpace) + " to " +
               MatrixName(theMovieSpace);
    if (theInfo.fullRange) return "its full-range levels are converted";
    return "";
}
