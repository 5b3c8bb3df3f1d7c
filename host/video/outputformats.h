// The kinds of movie file the writer makes, chosen by the output's extension.
#pragma once

#include <string>

struct AVDictionary;

namespace video {

struct OutputFormat {
    const char* extension;  // lower case, with the dot
    const char* muxer;      // FFmpeg's name; null for a PNG sequence
    const char* videoCodec;         // encoder name
    const char* fallbackVideoCodec; // used when FFmpeg was built without the first; may be null
    int pixelFormat;        // AVPixelFormat given to the video encoder
    const char* audioCodec; // null when the format carries no sound
};

// Movies of the render, or black-and-white mattes of the transition for editors' track mattes.
enum class OutputKind { kMovie, kMatte };

// The options of the intra-only encoders (.mov's ProRes profile, .mkv's UT Video prediction),
// for the writer and for the check that a clip's pictures can sit among theirs. Others: none.
void SetIntraEncoderOptions(const char* theEncoder, AVDictionary** ioOptions);

// True for the encoders of subsampled colour that take only even sizes (all but raw .y4m).
bool NeedsEvenSize(const OutputFormat& theFormat);

// The format for thePath's extension (any case), or null with the reason in theError.
const OutputFormat* OutputFormatFor(const std::string& thePath, std::string& outError,
                                    OutputKind theKind = OutputKind::kMovie);

} // namespace video
