// What the movie writer drives: a container file, or a folder of PNGs.
#pragma once

#include "AudioFrames.h"
#include "MovieWriter.h"
#include "framescaler.h"
#include "outputformats.h"

#include <memory>
#include <string>
#include <vector>

namespace video {

class FrameOutput {
public:
    virtual ~FrameOutput() = default;
    virtual bool WriteVideo(const ArgbPixels& thePicture, std::string& outError) = 0;
    // A decoded YUV picture of the movie's colour matrix, converted only in size or format;
    // false where the encoder takes RGB.
    virtual bool WriteDecoded(const AVFrame* thePicture, std::string& outError)
    {
        (void)thePicture;
        outError = "this output takes only drawn pictures";
        return false;
    }
    // Exactly the sound of the frame just written, already clipped.
    virtual bool WriteAudio(const AudioBlock& theAudio, std::string& outError) = 0;
    // A picture copied from a clip as it is, its PTS the frame number in the movie. Only an
    // output that CopiesPackets takes it.
    virtual bool WriteCopiedPacket(PacketPtr thePacket, std::string& outError)
    {
        (void)thePacket;
        outError = "only .mp4, .mov and .mkv movies take copied pictures";
        return false;
    }
    virtual bool CopiesPackets() const { return false; }
    virtual bool Finish(std::string& outError) = 0;
    virtual bool CarriesAudio() const = 0;
    virtual std::string Description() const = 0;
};

std::unique_ptr<FrameOutput> OpenContainerOutput(const std::string& thePath, const OutputFormat& theFormat,
                                                 const MovieSettings& theSettings, std::string& outError);
std::unique_ptr<FrameOutput> OpenPngSequence(const std::string& thePath, const OutputFormat& theFormat,
                                             const MovieSettings& theSettings, std::string& outError);

// The names of the frames of a PNG sequence: "shot_%04d.png" gives shot_0000.png, shot_0001.png...
struct FrameNamePattern {
    std::string prefix;
    int digits = 1;
    std::string suffix;

    std::string NameOf(SInt64 theFrame) const;
    // True when theFileName is NameOf some frame.
    bool Matches(const std::string& theFileName) const;
};
bool ParseFrameNamePattern(const std::string& theFileName, FrameNamePattern& thePattern, std::string& outError);

// The names in theFolder of pictures of the sequence, in no order; false with the reason when
// the folder cannot be read.
bool FindPictures(const std::string& theFolder, const FrameNamePattern& thePattern, std::vector<std::string>& outNames,
                  std::string& outError);

// The checks before a sequence is written over the pictures already there: each must be a
// regular file (not a link) that the user may write.
bool CheckPngSequenceOutput(const std::string& thePath, std::string& outError);

} // namespace video
