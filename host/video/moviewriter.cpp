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

    bool Refuse(std::string& theError) const
    {
        if (failure.empty() && !finished) return false;
        theError = finished ? "The movie is already finished" : failure;
        return true;
    }
    bool Fail(std::string& theError)
    {
        failure = theError;
        output.reset(); // discards what was written
        return false;
    }
    // The sound of the frame just written, which then counts as written.
    bool WriteSound(const AudioBlock* theAudio, std::string& theError)
    {
        if (output->CarriesAudio()) {
            if (theAudio) audio = *theAudio;
            else audio.samples.clear();
            if (!FitAudioLength(audio, AudioSamplesInFrame(framesWritten, settings.rate), theError)) return false;
            ClipAudio(audio);
            if (!output->WriteAudio(audio, theError)) return false;
        }
        ++framesWritten;
        return true;
    }
};

namespace {

bool CheckFolder(const std::string& thePath, std::string& theError)
{
    std::string theFolder = FolderOf(thePath);
    struct stat theStatus;
    if (stat(theFolder.c_str(), &theStatus) != 0) {
        theError = "Cannot write in " + Quoted(theFolder) + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(theStatus.st_mode)) {
        theError = "Cannot write in " + Quoted(theFolder) + ": it is not a folder";
        return false;
    }
    if (access(theFolder.c_str(), W_OK | X_OK) != 0) {
        theError = "Cannot write in " + Quoted(theFolder) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

bool CheckMovieOutput(const std::string& thePath, std::string& theError) noexcept
{
    try {
        const OutputFormat* theFormat = OutputFormatFor(thePath, theError);
        if (!theFormat) return false;
        if (!theFormat->muxer) return CheckFolder(thePath, theError) && CheckPngSequenceOutput(thePath, theError);
        mode_t theMode;
        return CheckFolder(FollowLinks(thePath), theError) && CheckReplaceable(thePath, theMode, theError);
    } catch (const std::bad_alloc&) {
        theError = "Out of memory";
        return false;
    }
}

bool MovieOutputExists(const std::string& thePath) noexcept
{
    try {
        std::string theError;
        const OutputFormat* theFormat = OutputFormatFor(thePath, theError);
        std::string theFile = thePath;
        FrameNamePattern thePattern;
        if (theFormat && !theFormat->muxer && ParseFrameNamePattern(FileNameOf(thePath), thePattern, theError))
            theFile = FolderOf(thePath) + "/" + thePattern.NameOf(0);
        struct stat theStatus;
        return lstat(theFile.c_str(), &theStatus) == 0;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

MovieWriter::MovieWriter(std::unique_ptr<Impl> theImpl) : mImpl(std::move(theImpl)) {}

MovieWriter::~MovieWriter() = default;

std::unique_ptr<MovieWriter> MovieWriter::Create(const std::string& thePath, const MovieSettings& theSettings,
                                                 std::string& theError) noexcept
{
    try {
        QuietFFmpegLog();
        if (!CheckMovieOutput(thePath, theError)) return nullptr;
        if (theSettings.width <= 0 || theSettings.height <= 0 || theSettings.width > 32767 || theSettings.height > 32767) {
            theError = "Cannot write " + Quoted(FileNameOf(thePath)) + " at " + std::to_string(theSettings.width) + "x" +
                       std::to_string(theSettings.height);
            return nullptr;
        }
        if (theSettings.rate.num <= 0 || theSettings.rate.den <= 0) {
            theError = "Cannot write " + Quoted(FileNameOf(thePath)) + " at " + std::to_string(theSettings.rate.num) + "/" +
                       std::to_string(theSettings.rate.den) + " frames per second";
            return nullptr;
        }
        const OutputFormat* theFormat = OutputFormatFor(thePath, theError);
        auto theImpl = std::make_unique<Impl>();
        theImpl->settings = theSettings;
        theImpl->output = theFormat->muxer ? OpenContainerOutput(thePath, *theFormat, theSettings, theError)
                                           : OpenPngSequence(thePath, theSettings, theError);
        if (!theImpl->output) return nullptr;
        if (!theSettings.copySources.empty() && !theImpl->output->CopiesPackets()) {
            theError = "Only H.264 .mp4 movies take copied pictures, not " + Quoted(FileNameOf(thePath));
            return nullptr;
        }
        theImpl->description = theImpl->output->Description();
        theImpl->carriesAudio = theImpl->output->CarriesAudio();
        return std::unique_ptr<MovieWriter>(new MovieWriter(std::move(theImpl)));
    } catch (const std::bad_alloc&) {
        theError = "Out of memory preparing " + Quoted(FileNameOf(thePath));
        return nullptr;
    }
}

bool MovieWriter::AddFrame(GWorldPtr theFrame, const AudioBlock* theAudio, std::string& theError) noexcept
{
    Impl& theImpl = *mImpl;
    if (theImpl.Refuse(theError)) return false;
    try {
        PixMapHandle thePixMap = GetGWorldPixMap(theFrame);
        if (!thePixMap || GetPixDepth(thePixMap) != 32) {
            theError = "Movies are written only from 32-bit GWorlds";
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
            theError = "Cannot write an empty frame";
            return false;
        }
        if (!theImpl.output->WriteVideo(thePicture, theError) || !theImpl.WriteSound(theAudio, theError))
            return theImpl.Fail(theError);
        return true;
    } catch (const std::bad_alloc&) {
        theError = "Out of memory writing frame " + std::to_string(theImpl.framesWritten);
        return theImpl.Fail(theError);
    }
}

bool MovieWriter::AddDecodedFrame(const AVFrame* thePicture, const AudioBlock* theAudio, std::string& theError) noexcept
{
    Impl& theImpl = *mImpl;
    if (theImpl.Refuse(theError)) return false;
    try {
        if (!theImpl.output->WriteDecoded(thePicture, theError) || !theImpl.WriteSound(theAudio, theError))
            return theImpl.Fail(theError);
        return true;
    } catch (const std::bad_alloc&) {
        theError = "Out of memory writing frame " + std::to_string(theImpl.framesWritten);
        return theImpl.Fail(theError);
    }
}

bool MovieWriter::AddCopiedPackets(const ClipCopyFacts& theClip, SInt32 theFirst, SInt32 theEnd, const SoundOfFrame& theSound,
                                   std::string& theError) noexcept
{
    Impl& theImpl = *mImpl;
    if (theImpl.Refuse(theError)) return false;
    try {
        const std::string theName = Quoted(FileNameOf(theClip.path));
        bool theKnown = false;
        for (const ClipCopyFacts& theSource : theImpl.settings.copySources) theKnown = theKnown || theSource.path == theClip.path;
        if (!theImpl.output->CopiesPackets() || !theKnown) {
            theError = "Cannot copy the pictures of " + theName + " into " + theImpl.description;
            return theImpl.Fail(theError);
        }
        if (theFirst >= theEnd || !theClip.CanEndAt(theEnd)) {
            theError = "Cannot copy frames " + std::to_string(theFirst) + " to " + std::to_string(theEnd) + " of " + theName +
                       ": no clean split at their end";
            return theImpl.Fail(theError);
        }
        ClipPackets thePackets;
        if (!thePackets.Open(theClip, theFirst, theError)) return theImpl.Fail(theError);
        const SInt32 theMovieFirst = theImpl.framesWritten;
        std::vector<int> theTypes;
        for (SInt32 i = theFirst; i < theEnd; ++i) {
            PacketPtr thePacket(av_packet_alloc());
            SInt32 theFrame = 0;
            if (!thePacket) throw std::bad_alloc();
            if (!thePackets.Next(thePacket.get(), theFrame, theError)) return theImpl.Fail(theError);
            if (theFrame < theFirst || theFrame >= theEnd) {
                theError = theName + " changed while the movie was made";
                return theImpl.Fail(theError);
            }
            // The container's keyframe flags are not trusted: an IDR picture is one.
            const bool theIdr = h264::NalTypesOf(thePacket->data, size_t(thePacket->size), 4, theTypes) &&
                                std::find(theTypes.begin(), theTypes.end(), h264::cIdrSlice) != theTypes.end();
            thePacket->flags = theIdr ? AV_PKT_FLAG_KEY : 0;
            thePacket->pts = theMovieFirst + (theFrame - theFirst);
            thePacket->dts = AV_NOPTS_VALUE;
            thePacket->pos = -1;
            av_packet_free_side_data(thePacket.get());
            if (!theImpl.output->WriteCopiedPacket(std::move(thePacket), theError)) return theImpl.Fail(theError);
            if (!theImpl.WriteSound(theSound ? theSound(theImpl.framesWritten) : nullptr, theError)) return theImpl.Fail(theError);
        }
        return true;
    } catch (const std::bad_alloc&) {
        theError = "Out of memory copying frame " + std::to_string(theImpl.framesWritten);
        return theImpl.Fail(theError);
    }
}

bool MovieWriter::CopiesPackets() const noexcept
{
    return mImpl->output && mImpl->output->CopiesPackets();
}

bool MovieWriter::Finish(std::string& theError) noexcept
{
    Impl& theImpl = *mImpl;
    if (theImpl.Refuse(theError)) return false;
    try {
        if (theImpl.framesWritten == 0) {
            theError = "Cannot write a movie without frames";
            return theImpl.Fail(theError);
        }
        if (!theImpl.output->Finish(theError)) return theImpl.Fail(theError);
        theImpl.finished = true;
        theImpl.output.reset();
        return true;
    } catch (const std::bad_alloc&) {
        theError = "Out of memory finishing the movie";
        return theImpl.Fail(theError);
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
