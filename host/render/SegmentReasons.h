// Why a clip's pictures are encoded again rather than copied, and why frames passed on are
// drawn rather than handed over as decoded: every such reason lives here.
#pragma once

#include "RenderPlan.h"

#include <string>

// Why no clip of the movie can be copied (the output's kind, --reencode, --size, --proxy);
// empty when it depends on the clip.
std::string WhyMovieNotCopied(const RenderJob& theJob, const RenderPlan& thePlan);

// Why clip theIndex cannot be copied into the movie.
std::string WhyClipNotCopied(const RenderJob& theJob, const RenderPlan& thePlan, size_t theIndex);

// Why clip theIndex's frames are drawn on their way to the output; empty when they go as
// decoded.
std::string WhyClipDrawn(const RenderJob& theJob, const RenderPlan& thePlan, size_t theIndex);
