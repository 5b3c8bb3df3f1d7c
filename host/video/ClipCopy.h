// Whether a clip's compressed pictures can go into a movie as they are, and where a copied
// stretch may start and end: H.264 into an .mp4 made with x264, ProRes 422 HQ into a .mov,
// UT Video into a .mkv.
#pragma once

#include "ClipCopyFacts.h"
#include "MovieWriter.h"

#include <string>
#include <vector>

namespace video {

// Reads every packet of the clip's pictures (not decoding them). False when the clip cannot be
// copied into theMovie, written to theMoviePath, with the reason as a phrase about the clip,
// for the caller to name it: "is 640x360, the movie 1280x720". For H.264, keyframe flags and
// the container's index are not trusted: the NAL units and the packets' times decide. An
// intra-only clip must be flagged a keyframe throughout, and carry the codec tag and private
// data the movie's encoder gives the track. The time base need not be the movie's: copied
// pictures are given the times of their frame numbers, so only the frame rate must match.
bool ExamineClipForCopy(const std::string& thePath, const std::string& theMoviePath, const MovieSettings& theMovie,
                        ClipCopyFacts& outFacts, std::string& outWhyNot) noexcept;

// Whether a movie written to thePath can take copied pictures: an .mp4 (with FFmpeg's x264),
// a .mov or a .mkv. False with the reason as a phrase about the movie: "is a .y4m, which takes
// no copied pictures".
bool MovieTakesCopies(const std::string& thePath, std::string& outWhyNot) noexcept;

// Whether theClip's parameter sets can join theCopied's in the movie's one sample description
// (no id given to two different sets), with the reason when not.
bool FitsWithCopiedClips(const ClipCopyFacts& theClip, const std::vector<ClipCopyFacts>& theCopied,
                         std::string& outWhyNot) noexcept;

} // namespace video
