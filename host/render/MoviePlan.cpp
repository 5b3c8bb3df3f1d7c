#include "MoviePlan.h"

#include "ClipCopy.h"
#include "SegmentReasons.h"
#include "avsupport.h"
#include "outputformats.h"

#include <cstdio>

namespace {

void AddSegment(MoviePlan& ioPlan, const RenderJob& theJob, MovieSegment::Source theSource, size_t theClip,
                SInt32 theFirst, SInt32 theEnd, const std::string& theWhy, SInt32& ioMovieFrame)
{
    if (theFirst >= theEnd) return;
    MovieSegment theSegment;
    theSegment.source = theSource;
    theSegment.clip = theClip;
    theSegment.clipB = theClip;
    theSegment.first = theFirst;
    theSegment.end = theEnd;
    theSegment.movieFirst = ioMovieFrame;
    theSegment.movieEnd = ioMovieFrame + (theEnd - theFirst);
    theSegment.why = theWhy;
    if (theSource == MovieSegment::Source::RenderTransition) {
        if (theJob.which == 3) theSegment.clipB = theClip + 1;
        if (theJob.which == 1) ++theSegment.movieEnd;
        theSegment.why = "the transition changes every picture";
    } else if (theSource == MovieSegment::Source::PassDecoded) {
        theSegment.whyDrawn = WhyClipDrawn(ioPlan.render, theClip);
        theSegment.drawn = !theSegment.whyDrawn.empty();
    }
    ioMovieFrame = theSegment.movieEnd;
    ioPlan.segments.push_back(theSegment);
}

// Examines the clips that may be copied, one at a time, and gives the movie those that can;
// outCopyOf holds each clip's place among them (-1: not copied) and outWhyNot the reason.
void ChooseCopiedClips(const RenderJob& theJob, MoviePlan& ioPlan, std::vector<int>& outCopyOf,
                       std::vector<std::string>& outWhyNot)
{
    const size_t theCount = theJob.clips.size();
    outCopyOf.assign(theCount, -1);
    outWhyNot.assign(theCount, ioPlan.smartWhyNot);
    if (!ioPlan.smartWhyNot.empty()) return;
    video::MovieSettings& theSettings = ioPlan.render.settings;
    for (size_t i = 0; i < theCount; ++i) {
        std::string& theWhy = outWhyNot[i];
        theWhy = WhyClipNotCopied(theJob, ioPlan.render, i);
        if (ioPlan.render.stills[i]) continue; // a still is drawn anyway: nothing to say
        video::ClipCopyFacts theFacts;
        std::string thePhrase;
        // A copied picture cannot be converted: one the movie would show otherwise is encoded.
        const std::string theChange = WhyClipConverted(ioPlan.render, i);
        if (theWhy.empty() && !theChange.empty()) theWhy = WhyClipChanged(i, theChange);
        if (theWhy.empty() && (!video::ExamineClipForCopy(theJob.clips[i], theJob.output, theSettings, theFacts, thePhrase) ||
                               !video::FitsWithCopiedClips(theFacts, theSettings.copySources, thePhrase)))
            theWhy = WhyClipFailsExamination(i, thePhrase);
        if (!theWhy.empty()) {
            std::fprintf(stderr, "glintweave: note: %s: every frame of it is encoded\n", theWhy.c_str());
            continue;
        }
        outCopyOf[i] = int(theSettings.copySources.size());
        theSettings.copySources.push_back(std::move(theFacts));
    }
}

// Frames [theFirst, theEnd) of clip theClip that no transition touches: copied between the
// clean splits within them where the clip is copied, encoded around those.
void AddUntouched(MoviePlan& ioPlan, const RenderJob& theJob, size_t theClip, int theCopyOf,
                  const std::string& theWhyNot, SInt32 theFirst, SInt32 theEnd, SInt32& ioMovieFrame)
{
    using Source = MovieSegment::Source;
    if (theCopyOf < 0) {
        AddSegment(ioPlan, theJob, Source::PassDecoded, theClip, theFirst, theEnd, theWhyNot, ioMovieFrame);
        return;
    }
    const video::ClipCopyFacts& theFacts = ioPlan.render.settings.copySources[size_t(theCopyOf)];
    const SInt32 theStart = theFacts.StartAtOrAfter(theFirst);
    const SInt32 theStop = theFacts.EndAtOrBefore(theEnd);
    if (theStart >= theStop) {
        AddSegment(ioPlan, theJob, Source::PassDecoded, theClip, theFirst, theEnd,
                   WhyCopyStartsLater(theClip, theStart, theFacts.frameCount), ioMovieFrame);
        return;
    }
    AddSegment(ioPlan, theJob, Source::PassDecoded, theClip, theFirst, theStart,
               WhyCopyStartsLater(theClip, theStart, theFacts.frameCount), ioMovieFrame);
    AddSegment(ioPlan, theJob, Source::CopyPackets, theClip, theStart, theStop, WhyClipCopied(), ioMovieFrame);
    ioPlan.segments.back().copySource = size_t(theCopyOf);
    AddSegment(ioPlan, theJob, Source::PassDecoded, theClip, theStop, theEnd, WhyCopyEndsEarlier(theClip, theStop),
               ioMovieFrame);
}

const char* TransitionName(SInt32 theWhich)
{
    return theWhich == 1 ? "Out" : theWhich == 2 ? "In" : "Cross";
}

std::string RangeText(SInt32 theFirst, SInt32 theEnd)
{
    return std::to_string(theFirst) + "-" + std::to_string(theEnd - 1);
}

} // namespace

bool PlanMovie(HYPluginMainProc theMain, const RenderJob& theJob, MoviePlan& outPlan, std::string& outError,
               const std::function<bool()>& theStopped)
{
    outPlan = MoviePlan{};
    if (!PlanRender(theMain, theJob, outPlan.render, outError, theStopped)) return false;
    const RenderPlan& theRender = outPlan.render;
    outPlan.smartWhyNot = WhyMovieNotCopied(theJob, theRender);
    // The only reason the person did not choose outright.
    if (!outPlan.smartWhyNot.empty() && outPlan.smartWhyNot == WhyLosslessNotCopied(theJob))
        std::fprintf(stderr, "glintweave: note: %s\n", outPlan.smartWhyNot.c_str());
    const size_t theCount = theJob.clips.size();
    const SInt32 theLength = theRender.transitionFrames;
    std::vector<int> theCopyOf;
    std::vector<std::string> theWhyNot;
    ChooseCopiedClips(theJob, outPlan, theCopyOf, theWhyNot);
    using Source = MovieSegment::Source;
    SInt32 theMovieFrame = 0;
    for (size_t i = 0; i < theCount; ++i) {
        const bool theTransitionHere = theJob.which == 3 ? i + 1 < theCount : theJob.which == 2 ? i == 0 : i + 1 == theCount;
        // A Cross showed the head of this clip in the transition before it; --at trims the first.
        const SInt32 theFirst = i == 0 ? theRender.firstOfA : theJob.which == 3 ? theLength : 0;
        const SInt32 theEnd = i == 0 ? theRender.endOfA : theRender.lengths[i];
        if (!theTransitionHere) {
            AddUntouched(outPlan, theJob, i, theCopyOf[i], theWhyNot[i], theFirst, theEnd, theMovieFrame);
        } else if (theJob.which == 2) {
            AddSegment(outPlan, theJob, Source::RenderTransition, i, theFirst, theFirst + theLength, "", theMovieFrame);
            AddUntouched(outPlan, theJob, i, theCopyOf[i], theWhyNot[i], theFirst + theLength, theEnd, theMovieFrame);
        } else {
            AddUntouched(outPlan, theJob, i, theCopyOf[i], theWhyNot[i], theFirst, theEnd - theLength, theMovieFrame);
            AddSegment(outPlan, theJob, Source::RenderTransition, i, theEnd - theLength, theEnd, "", theMovieFrame);
        }
    }
    return true;
}

std::string DescribeMoviePlan(const RenderJob& theJob, const MoviePlan& thePlan)
{
    const video::MovieSettings& theSettings = thePlan.render.settings;
    char theLine[512];
    std::snprintf(theLine, sizeof theLine, "%s: %dx%d at %d/%d fps, %d frames\n", video::Quoted(theJob.output).c_str(),
                  int(theSettings.width), int(theSettings.height), int(theSettings.rate.num), int(theSettings.rate.den),
                  int(thePlan.render.totalFrames));
    std::string theText = theLine;
    if (!thePlan.smartWhyNot.empty()) theText += "nothing is copied: " + thePlan.smartWhyNot + "\n";
    std::snprintf(theLine, sizeof theLine, "%-13s  %-26s  %-14s  %s\n", "movie frames", "pictures", "clip frames", "why");
    theText += theLine;
    for (const MovieSegment& theSegment : thePlan.segments) {
        std::string theWhat, theClipFrames = RangeText(theSegment.first, theSegment.end), theWhy = theSegment.why;
        const std::string theClip = "clip " + std::to_string(theSegment.clip + 1);
        switch (theSegment.source) {
        case MovieSegment::Source::CopyPackets:
            theWhat = "copied from " + theClip;
            break;
        case MovieSegment::Source::PassDecoded:
            theWhat = "encoded from " + theClip;
            if (theSegment.drawn) theWhy += "; drawn: " + theSegment.whyDrawn;
            break;
        case MovieSegment::Source::RenderTransition:
            theWhat = std::string(TransitionName(theJob.which)) + ", " + theClip;
            if (theSegment.clipB != theSegment.clip) {
                theWhat += " into clip " + std::to_string(theSegment.clipB + 1);
                theClipFrames += ", " + RangeText(0, theSegment.end - theSegment.first);
            }
            break;
        }
        std::snprintf(theLine, sizeof theLine, "%-13s  %-26s  %-14s  %s\n",
                      RangeText(theSegment.movieFirst, theSegment.movieEnd).c_str(), theWhat.c_str(),
                      theClipFrames.c_str(), theWhy.c_str());
        theText += theLine;
    }
    const video::OutputFormat* theFormat = thePlan.render.format;
    if (!theSettings.withAudio) theText += "sound: none; the clips have none\n";
    else if (theFormat && !theFormat->audioCodec) theText += std::string("sound: none; ") + theFormat->extension + " carries none\n";
    else theText += "sound: the clips' sound mixed into one track, faded by the plug-in, encoded\n";
    return theText;
}
