#include "MovieWriter.h"

#include "clippackets.h"
#include "frameoutput.h"
#include "h264syntax.h"
#include "pendingfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace video {

struct MovieWriter::Impl {
    MovieSettings settings;
    std::unique_ptr<FrameOutput> output;
    std::string description;
    bool carriesAudio = false;
    std::string failure; // the first error; the writer refuses further work after it
    SInt32 framesWritten = 0;
    bool finished = false;
    AudioBlock audio;

    bool Refuse(std::string& outError) const
    {
        if (failure.empty() && !finished) return false;
        outError = finished ? "the movie is already finished" : failure;
        return true;
    }
    bool Fail(std::string& outError)
    {
        failure = outError;
        output.reset(); // discards what was written
        return false;
    }
    // The sound of the frame just written, which then counts as written.
    bool WriteSound(const AudioBlock* theAudio, std::string& outError)
    {
        if (output->CarriesAudio()) {
            if (theAudio) audio = *theAudio;
            else audio.samples.clear();
            if (!FitAudioLength(audio, AudioSamplesInFrame(framesWritten, settings.rate), outError)) return false;
            ClipAudio(audio);
            if (!output->WriteAudio(audio, outError)) return false;
        }
        ++framesWritten;
        return true;
    }
};

bool CheckMovieOutput(const std::string& thePath, std::string& outError, OutputKind theKind) noexcept
{
    try {
        if (!CheckOutputIsNoFolderOrDevice(thePath, theKind == OutputKind::kMatte ? "matte.mkv" : "movie.mp4", outError))
            return false;
        const OutputFormat* theFormat = OutputFormatFor(thePath, outError, theKind);
        if (!theFormat) return false;
        if (!theFormat->muxer) return CheckOutputFolder(thePath, outError) && CheckPngSequenceOutput(thePath, outError);
        return CheckOutputFile(thePath, outError);
    } catch (const std::bad_alloc&) {
        outError = "out of memory";
        return false;
    }
}

std::string FirstFileOf(const std::string& thePath)
{
    std::string theError;
    const OutputFormat* theFormat = OutputFormatFor(thePath, theError);
    FrameNamePattern thePattern;
    if (theFormat && !theFormat->muxer && ParseFrameNamePattern(FileNameOf(thePath), thePattern, theError)) {
        const size_t theSlash = thePath.find_last_of('/');
        return (theSlash == std::string::npos ? "" : thePath.substr(0, theSlash + 1)) + thePattern.NameOf(0);
    }
    return thePath;
}

bool MovieOutputExists(const std::string& thePath) noexcept
{
    try {
        struct stat theStatus;
        return lstat(FirstFileOf(thePath).c_str(), &theStatus) == 0;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

MovieWriter::MovieWriter(std::unique_ptr<Impl> theImpl) : mImpl(std::move(theImpl)) {}

MovieWriter::~MovieWriter() = default;

std::unique_ptr<MovieWriter> MovieWriter::Create(const std::string& thePath, const MovieSettings& theSettings,
                                                 std::string& outError) noexcept
{
    try {
        QuietFFmpegLog();
        if (!CheckMovieOutput(thePath, outError, theSettings.kind)) return nullptr;
        if (theSettings.width <= 0 || theSettings.height <= 0 || theSettings.width > 32767 || theSettings.height > 32767) {
            outError = "cannot write " + Quoted(FileNameOf(thePath)) + " at " + std::to_string(theSettings.width) + "x" +
                       std::to_string(theSettings.height);
            return nullptr;
        }
        if (theSettings.rate.num <= 0 || theSettings.rate.den <= 0) {
            outError = "cannot write " + Quoted(FileNameOf(thePath)) + " at " + std::to_string(theSettings.rate.num) + "/" +
                       std::to_string(theSettings.rate.den) + " frames per second";
            return nullptr;
        }
        const OutputFormat* theFormat = OutputFormatFor(thePath, outError, theSettings.kind);
        auto theImpl = std::make_unique<Impl>();
        theImpl->settings = theSettings;
        theImpl->output = theFormat->muxer ? OpenContainerOutput(thePath, *theFormat, theSettings, outError)
                                           : OpenPngSequence(thePath, *theFormat, theSettings, outError);
        if (!theImpl->output) return nullptr;
        if (!theSettings.copySources.empty() && !theImpl->output->CopiesPackets()) {
            outError = "only .mp4, .mov and .mkv movies take copied pictures, not " + Quoted(FileNameOf(thePath));
            return nullptr;
        }
        theImpl->description = theImpl->output->Description();
        theImpl->carriesAudio = theImpl->output->CarriesAudio();
        return std::unique_ptr<MovieWriter>(new MovieWriter(std::move(theImpl)));
    } catch (const std::bad_alloc&) {
        outError = "out of memory preparing " + Quoted(FileNameOf(thePath));
        return nullptr;
    }
}

bool MovieWriter::AddFrame(GWorldPtr theFrame, const AudioBlock* theAudio, std::string& outError) noexcept
{
    Impl& theImpl = *mImpl;
    if (theImpl.Refuse(outError)) return false;
    try {
        PixMapHandle thePixMap = GetGWorldPixMap(theFrame);
        if (!thePixMap || GetPixDepth(thePixMap) != 32) {
            outError = "movies are written only from 32-bit GWorlds";
            return false;
        }
        Rect theBounds;
        GetPixBounds(thePixMap, &theBounds);
        ArgbPixels thePicture;
        thePicture.base = reinterpret_cast<uint8_t*>(GetPixBaseAddr(thePixMap));
        thePicture.rowBytes = GetPixRowBytes(thePixMap);
        thePicture.width = theBounds.right - theBounds.left;
        thePicture.height = theBounds.bottom - theBounds.top;
        if (thePicture.width <= 0 || thePicture.height <= 0) {
            outError = "cannot write an empty frame";
            return false;
        }
        if (!theImpl.output->WriteVideo(thePicture, outError) || !theImpl.WriteSound(theAudio, outError))
            return theImpl.Fail(outError);
        return true;
    } catch (const std::bad_alloc&) {
        outError = "out of memory writing frame " + std::to_string(theImpl.framesWritten);
        return theImpl.Fail(outError);
    }
}

bool MovieWriter::AddDecodedFrame(const AVFrame* thePicture, const AudioBlock* theAudio, std::string& outError) noexcept
{
    Impl& theImpl = *mImpl;
    if (theImpl.Refuse(outError)) return false;
    try {
        if (!theImpl.output->WriteDecoded(thePicture, outError) || !theImpl.WriteSound(theAudio, outError))
            return theImpl.Fail(outError);
        return true;
    } catch (const std::bad_alloc&) {
        outError = "out of memory writing frame " + std::to_string(theImpl.framesWritten);
        return theImpl.Fail(outError);
    }
}

bool MovieWriter::AddCopiedPackets(const ClipCopyFacts& theClip, SInt32 theFirst, SInt32 theEnd, const SoundOfFrame& theSound,
                                   std::string& outError) noexcept
{
    Impl& theImpl = *mImpl;
    if (theImpl.Refuse(outError)) return false;
    try {
        const std::string theName = Quoted(FileNameOf(theClip.path));
        bool theKnown = false;
        for (const ClipCopyFacts& theSource : theImpl.settings.copySources) theKnown = theKnown || theSource.path == theClip.path;
        if (!theImpl.output->CopiesPackets() || !theKnown) {
            outError = "cannot copy the pictures of " + theName + " into " + theImpl.description;
            return theImpl.Fail(outError);
        }
        if (theFirst >= theEnd || !theClip.CanEndAt(theEnd)) {
            outError = "cannot copy frames " + std::to_string(theFirst) + " to " + std::to_string(theEnd) + " of " + theName +
                       ": no clean split at their end";
            return theImpl.Fail(outError);
        }
        ClipPackets thePackets;
        if (!thePackets.Open(theClip, theFirst, outError)) return theImpl.Fail(outError);
        const SInt32 theMovieFirst = theImpl.framesWritten;
        std::vector<int> theTypes;
        for (SInt32 i = theFirst; i < theEnd; ++i) {
            PacketPtr thePacket(av_packet_alloc());
            SInt32 theFrame = 0;
            if (!thePacket) throw std::bad_alloc();
            if (!thePackets.Next(thePacket.get(), theFrame, outError)) return theImpl.Fail(outError);
            if (theFrame < theFirst || theFrame >= theEnd) {
                outError = theName + " changed while the movie was made";
                return theImpl.Fail(outError);
            }
            // The container's keyframe flags are not trusted for H.264: an IDR picture is one.
            const bool theIdr = theClip.intraOnly ||
                                (h264::NalTypesOf(thePacket->data, size_t(thePacket->size), 4, theTypes) &&
                                 std::find(theTypes.begin(), theTypes.end(), h264::cIdrSlice) != theTypes.end());
            thePacket->flags = theIdr ? AV_PKT_FLAG_KEY : 0;
            thePacket->pts = theMovieFirst + (theFrame - theFirst);
            thePacket->dts = AV_NOPTS_VALUE;
            thePacket->pos = -1;
            av_packet_free_side_data(thePacket.get());
            if (!theImpl.output->WriteCopiedPacket(std::move(thePacket), outError)) return theImpl.Fail(outError);
            if (!theImpl.WriteSound(theSound ? theSound(theImpl.framesWritten) : nullptr, outError)) return theImpl.Fail(outError);
        }
        return true;
    } catch (const std::bad_alloc&) {
        outError = "out of memory copying frame " + std::to_string(theImpl.framesWritten);
        return theImpl.Fail(outError);
    }
}

bool MovieWriter::CopiesPackets() const noexcept
{
    return mImpl->output && mImpl->output->CopiesPackets();
}

bool MovieWriter::Finish(std::string& outError) noexcept
{
    Impl& theImpl = *mImpl;
    if (theImpl.Refuse(outError)) return false;
    try {
        if (theImpl.framesWritten == 0) {
            outError = "cannot write a movie without frames";
            return theImpl.Fail(outError);
        }
        if (!theImpl.output->Finish(outError)) return theImpl.Fail(outError);
        theImpl.finished = true;
        theImpl.output.reset();
        return true;
    } catch (const std::bad_alloc&) {
        outError = "out of memory finishing the movie";
        return theImpl.Fail(outError);
    }
}

bool MovieWriter::CarriesAudio() const noexcept
{
    return mImpl->carriesAudio;
}

SInt32 MovieWriter::FramesWritten() const noexcept
{
    return mImpl->framesWritten;
}

const std::string& MovieWriter::Description() const noexcept
{
    return mImpl->description;
}

} // namespace video
