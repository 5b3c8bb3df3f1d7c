// Whether a clip's compressed pictures can go into an H.264 .mp4 movie as they are, and where
// a copied stretch may start and end.
#pragma once

#include "ClipCopyFacts.h"
#include "MovieWriter.h"

#include <string>
#include <vector>

namespace video {

// Reads every packet of the clip's pictures (not decoding them). False when the clip cannot be
// copied into theMovie, with the reason as a phrase about the clip, for the caller to name it:
// "is 640x360, the movie 1280x720". Keyframe flags and the container's index are not trusted:
// the NAL units and the packets' times decide. The time base need not be the movie's: copied
// pictures are given the times of their frame numbers, so only the frame rate must match.
bool ExamineClipForCopy(const std::string& thePath, const MovieSettings& theMovie, ClipCopyFacts& outFacts,
                        std::string& outWhyNot) noexcept;

// Whether a movie written to thePath can take copied pictures: an .mp4, with FFmpeg's x264.
// False with the reason as a phrase about the movie: "is a .mov, not H.264 in .mp4".
bool MovieTakesCopies(const std::string& thePath, std::string& outWhyNot) noexcept;

// Whether theClip's parameter sets can join theCopied's in the movie's one sample description
// (no id given to two different sets), with the reason when not.
bool FitsWithCopiedClips(const ClipCopyFacts& theClip, const std::vector<ClipCopyFacts>& theCopied,
                         std::string& outWhyNot) noexcept;

} // namespace video
