// Writes a movie frame by frame from GWorlds and per-frame sound. The kind of file comes from
// the output's extension:
//   .mp4  H.264 (libx264 when FFmpeg has it, else MPEG-4 Part 2) with AAC sound
//   .mov  ProRes 422 HQ with 24-bit PCM sound, for further editing
//   .mkv  UT Video on RGB with FLAC sound: lossless, for further editing
//   .y4m  raw 4:2:0 pictures, no sound
//   .png  one PNG per frame, no sound. The name holds the frame number as %d or %05d
//         ("shot_%04d.png"); a name without one gets _%05d before the extension. Frames are
//         numbered from 0.
// Nothing appears under the output name until Finish succeeds: the data go to an unnamed or
// hidden file in the same folder, and a failure, a destroyed writer or a killed program leaves
// no partial output. 4:2:0 formats need even sizes; an odd width or height drops its last
// column or line.
//
// Errors come back as one line in theError; nothing throws.
#pragma once

#include "AudioFrames.h"
#include "ClipCopyFacts.h"
#include "QuickDraw.h"
#include "VideoTypes.h"
#include "outputformats.h"

struct AVFrame;

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace video {

struct MovieSettings {
    SInt32 width = 0;
    SInt32 height = 0;
    FrameRate rate;
    bool withAudio = false;       // ignored by formats without sound (see CarriesAudio)
    SInt32 keyFrameInterval = 0;  // frames between key frames; 0: about two seconds
    // The pictures' primaries and transfer, tagged on the movie (ClipInfo's numbers); untagged
    // ones are tagged as the usual ones for the movie's size.
    int primaries = 2;
    int transfer = 2;
    // H.264 only: x264's preset and constant rate factor; empty and -1 for veryfast and 18.
    std::string preset;
    int crf = -1;
    // .mp4, .mov and .mkv only: the clips whose pictures AddCopiedPackets copies, examined for
    // this movie (ExamineClipForCopy). In an .mp4, x264 then matches the first (profile, level,
    // B-frames, pixel shape, colour tags) and gives its parameter sets an id none of them uses,
    // so all fit in the track's one sample description; their own sets must not clash
    // (FitsWithCopiedClips). ProRes and UT Video pictures stand alone, and need only the
    // encoder's codec tag and private data.
    std::vector<ClipCopyFacts> copySources;
    // A matte's kinds of file for the same extensions (see OutputFormatFor): no sound.
    OutputKind kind = OutputKind::kMovie;
};

class MovieWriter {
public:
    // Checks the extension, the settings and that the folder takes a new file, before any
    // encoding. Null with the reason in theError.
    static std::unique_ptr<MovieWriter> Create(const std::string& thePath, const MovieSettings& theSettings,
                                               std::string& outError) noexcept;
    ~MovieWriter(); // without a successful Finish, nothing is left behind
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    // Appends one frame. A GWorld of another size than the movie's is scaled. theAudio may be
    // null (silence); a block of the wrong length is cut or extended to the frame's length,
    // AudioSamplesInFrame(frame, rate), so sound never drifts from picture.
    bool AddFrame(GWorldPtr theFrame, const AudioBlock* theAudio, std::string& outError) noexcept;

    // Appends one frame as a decoder gave it: a YUV picture, not turned, of the movie's colour
    // matrix (ColorSpaceForHeight) and the movie's shape, at any size and in any format, which
    // are converted straight to the encoder's (a picture of the movie's size and the encoder's
    // format goes as it is, never through ARGB). Only for the formats whose encoders work in
    // YUV: .mp4, .mov and .y4m; for the others it fails, as any failed frame does.
    bool AddDecodedFrame(const AVFrame* thePicture, const AudioBlock* theAudio, std::string& outError) noexcept;

    // Appends frames [theFirst, theEnd) of a clip among the settings' copySources, its packets
    // copied as they are: theFirst must be one of its starts and theEnd one of its ends. The
    // frames around them are encoded (AddFrame, AddDecodedFrame), the encoder starting afresh
    // (x264 on an IDR picture) after each copied stretch. theSound gives each frame's sound by its number in
    // the movie (null: silence).
    using SoundOfFrame = std::function<const AudioBlock*(SInt32 theMovieFrame)>;
    bool AddCopiedPackets(const ClipCopyFacts& theClip, SInt32 theFirst, SInt32 theEnd, const SoundOfFrame& theSound,
                          std::string& outError) noexcept;

    // True when the writer takes AddCopiedPackets.
    bool CopiesPackets() const noexcept;

    // Completes the file and puts it under its name.
    bool Finish(std::string& outError) noexcept;

    bool CarriesAudio() const noexcept;
    SInt32 FramesWritten() const noexcept;
    // For people: codecs and container, e.g. "H.264 (libx264) and AAC in MP4".
    const std::string& Description() const noexcept;

    struct Impl;

private:
    explicit MovieWriter(std::unique_ptr<Impl> theImpl);
    std::unique_ptr<Impl> mImpl;
};

// The first file a movie of thePath is written into: thePath, or for a picture sequence its
// first picture, named as the sequence names it.
std::string FirstFileOf(const std::string& thePath);

// True when thePath exists, or for a picture sequence its first picture, which a finished
// movie would replace.
bool MovieOutputExists(const std::string& thePath) noexcept;

// The checks Create makes before any work (extension, folder, what stands under the name), for
// a caller that wants to fail before opening its inputs.
bool CheckMovieOutput(const std::string& thePath, std::string& outError,
                      OutputKind theKind = OutputKind::kMovie) noexcept;

// False with the reason when writing thePath would replace one of theInputs: the same file by
// device and inode, whatever the path or hard link, or for a picture sequence any picture of
// it. An input may itself be a sequence ("shot_%04d.png").
bool CheckOutputSparesInputs(const std::string& thePath, const std::vector<std::string>& theInputs,
                             std::string& outError) noexcept;

} // namespace video
