// Why a clip's pictures are encoded again rather than copied, and why frames passed on are
// drawn rather than handed over as decoded: every such reason lives here.
#pragma once

#include "RenderPlan.h"

#include <string>

// Why no clip of the movie can be copied (the output's kind, --reencode, --size, --proxy);
// empty when it depends on the clip.
std::string WhyMovieNotCopied(const RenderJob& theJob, const RenderPlan& thePlan);

// Why a lossless .mp4 (--crf 0) copies nothing, as a note says; empty when it is not lossless.
std::string WhyLosslessNotCopied(const RenderJob& theJob);

// Why clip theIndex cannot be copied into the movie, as far as its facts without reading its
// packets tell; empty when only ExamineClipForCopy can say.
std::string WhyClipNotCopied(const RenderJob& theJob, const RenderPlan& thePlan, size_t theIndex);

// ExamineClipForCopy's or FitsWithCopiedClips's phrase, about clip theIndex.
std::string WhyClipFailsExamination(size_t theIndex, const std::string& theWhyNot);

// Why clip theIndex's pictures cannot be copied when the movie shows them changed, for
// theWhyConverted.
std::string WhyClipChanged(size_t theIndex, const std::string& theWhyConverted);

// Why a stretch is copied, and why the frames of a copied clip around it are encoded: before
// its first clean split theStart (frameCount when none), after its last, theEnd.
std::string WhyClipCopied();
std::string WhyCopyStartsLater(size_t theIndex, SInt32 theStart, SInt32 theFrameCount);
std::string WhyCopyEndsEarlier(size_t theIndex, SInt32 theEnd);

// Why clip theIndex's frames are drawn on their way to the output; empty when they go as
// decoded.
std::string WhyClipDrawn(const RenderPlan& thePlan, size_t theIndex);

// Why the movie shows clip theIndex's pictures other than as they are decoded (turned, fitted,
// colours converted to the movie's); empty when it shows them unchanged.
std::string WhyClipConverted(const RenderPlan& thePlan, size_t theIndex);
