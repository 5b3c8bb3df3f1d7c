// One PNG per frame. The pictures gather in a hidden folder beside the destination and move
// into place together when the sequence is complete. The sequence behaves as one file: the
// pictures of an earlier one, to its last, step aside first and are removed only once every new
// picture is in place; a failure puts them back.
#include "frameoutput.h"

#include "pendingfile.h"
#include "signalcleanup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace video {

namespace {

class PngSequence : public FrameOutput {
public:
    ~PngSequence() override;
    bool Open(const std::string& thePath, const OutputFormat& theFormat, const MovieSettings& theSettings,
              std::string& outError);
    bool WriteVideo(const ArgbPixels& thePicture, std::string& outError) override;
    bool WriteAudio(const AudioBlock&, std::string&) override { return true; }
    bool Finish(std::string& outError) override;
    bool CarriesAudio() const override { return false; }
    std::string Description() const override { return "PNG sequence " + mPatternText + ", no sound"; }

private:
    std::string StagedPath(const std::string& theName) const { return mStaging + "/" + theName; }
    std::string FinalPath(const std::string& theName) const { return mFolder + "/" + theName; }
    bool WritePacket(std::string& outError);
    void RemoveStaging();
    bool MoveIntoPlace(std::string& outError);

    std::string mFolder;
    std::string mPatternText;
    FrameNamePattern mPattern;
    std::string mStaging; // hidden folder of finished pictures; empty once moved into place
    SignalCleanup mCleanup;
    std::vector<std::string> mNames;
    CodecPtr mEncoder;
    FramePtr mFrame;
    PacketPtr mPacket;
    FrameScaler mScaler;
};

PngSequence::~PngSequence()
{
    RemoveStaging();
}

void PngSequence::RemoveStaging()
{
    if (mStaging.empty()) return;
    for (const std::string& theName : mNames) unlink(StagedPath(theName).c_str());
    rmdir(mStaging.c_str());
    mCleanup.Forget();
    mStaging.clear();
}

bool PngSequence::Open(const std::string& thePath, const OutputFormat& theFormat, const MovieSettings& theSettings,
                       std::string& outError)
{
    mFolder = FolderOf(thePath);
    if (!ParseFrameNamePattern(FileNameOf(thePath), mPattern, outError)) return false;
    mPatternText = Quoted(mPattern.prefix + (mPattern.digits > 1 ? "%0" + std::to_string(mPattern.digits) + "d" : "%d") +
                          mPattern.suffix);
    if (!CheckPngSequenceOutput(thePath, outError)) return false;
    std::string theTemplate = HiddenTemplateFor(FinalPath(mPattern.prefix + "frames"));
    std::vector<char> theName(theTemplate.begin(), theTemplate.end());
    theName.push_back('\0');
    if (!mkdtemp(theName.data())) {
        outError = "cannot write in " + Quoted(mFolder) + ": " + std::strerror(errno);
        return false;
    }
    mStaging = theName.data();
    mCleanup.Remember(mStaging);

    const AVCodec* theCodec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!theCodec) {
        outError = "FFmpeg has no PNG encoder";
        return false;
    }
    mEncoder.reset(avcodec_alloc_context3(theCodec));
    mFrame.reset(av_frame_alloc());
    mPacket.reset(av_packet_alloc());
    if (!mEncoder || !mFrame || !mPacket) {
        outError = "out of memory for " + mPatternText;
        return false;
    }
    mEncoder->width = theSettings.width;
    mEncoder->height = theSettings.height;
    mEncoder->pix_fmt = AVPixelFormat(theFormat.pixelFormat);
    mEncoder->time_base = AVRational{theSettings.rate.den, theSettings.rate.num};
    int theResult = avcodec_open2(mEncoder.get(), theCodec, nullptr);
    if (theResult >= 0) {
        mFrame->format = AVPixelFormat(theFormat.pixelFormat);
        mFrame->width = theSettings.width;
        mFrame->height = theSettings.height;
        theResult = av_frame_get_buffer(mFrame.get(), 0);
    }
    if (theResult < 0) {
        outError = "cannot start the PNG encoder for " + mPatternText + ": " + ErrorText(theResult);
        return false;
    }
    return true;
}

bool PngSequence::WritePacket(std::string& outError)
{
    std::string theName = mPattern.NameOf(SInt64(mNames.size()));
    std::string thePath = StagedPath(theName);
    std::FILE* theFile = std::fopen(thePath.c_str(), "wb");
    bool theOk = theFile && std::fwrite(mPacket->data, 1, size_t(mPacket->size), theFile) == size_t(mPacket->size);
    int theCode = errno;
    if (theFile && std::fclose(theFile) != 0 && theOk) {
        theOk = false;
        theCode = errno;
    }
    if (theFile) mNames.push_back(theName); // removed with the staging folder even when incomplete
    if (!theOk) {
        outError = DescribeWriteFailure(FinalPath(theName), theCode);
        return false;
    }
    return true;
}

bool PngSequence::WriteVideo(const ArgbPixels& thePicture, std::string& outError)
{
    int theResult = av_frame_make_writable(mFrame.get());
    if (theResult < 0) {
        outError = "cannot encode " + mPatternText + ": " + ErrorText(theResult);
        return false;
    }
    if (!mScaler.FromArgb(thePicture, mFrame.get(), outError)) return false;
    theResult = avcodec_send_frame(mEncoder.get(), mFrame.get());
    while (theResult >= 0) {
        theResult = avcodec_receive_packet(mEncoder.get(), mPacket.get());
        if (theResult == AVERROR(EAGAIN)) return true;
        if (theResult < 0) break;
        bool theOk = WritePacket(outError);
        av_packet_unref(mPacket.get());
        if (!theOk) return false;
    }
    outError = "cannot encode " + mPatternText + ": " + ErrorText(theResult);
    return false;
}

bool PngSequence::Finish(std::string& outError)
{
    SignalHold theHold;
    bool theDone = MoveIntoPlace(outError);
    RemoveStaging();
    return theDone;
}

bool PngSequence::MoveIntoPlace(std::string& outError)
{
    std::vector<std::string> theEarlier;
    if (!FindPictures(mFolder, mPattern, theEarlier, outError)) return false;
    // Only pictures step aside: anything else that took a name since Open makes the move fail.
    std::erase_if(theEarlier, [&](const std::string& theName) {
        struct stat theStatus;
        return lstat(FinalPath(theName).c_str(), &theStatus) != 0 || !S_ISREG(theStatus.st_mode);
    });
    std::string theAside;
    if (!theEarlier.empty()) {
        std::string theTemplate = HiddenTemplateFor(FinalPath(mPattern.prefix + "earlier"));
        std::vector<char> theName(theTemplate.begin(), theTemplate.end());
        theName.push_back('\0');
        if (!mkdtemp(theName.data())) {
            outError = "cannot write in " + Quoted(mFolder) + ": " + std::strerror(errno);
            return false;
        }
        theAside = theName.data();
    }
    auto theAsidePath = [&](const std::string& theName) { return theAside + "/" + theName; };

    std::string theFailedPath;
    int theCode = 0;
    // Moves the pictures in turn until one fails; how many moved.
    auto theMoveAll = [&](const std::vector<std::string>& theNames, auto theFrom, auto theTo) {
        size_t i = 0;
        for (; i < theNames.size(); ++i) {
            if (rename(theFrom(theNames[i]).c_str(), theTo(theNames[i]).c_str()) != 0) {
                theCode = errno;
                theFailedPath = FinalPath(theNames[i]);
                break;
            }
        }
        return i;
    };
    auto theFinal = [&](const std::string& theName) { return FinalPath(theName); };
    auto theStaged = [&](const std::string& theName) { return StagedPath(theName); };
    const size_t theSetAside = theMoveAll(theEarlier, theFinal, theAsidePath);
    const size_t theMoved = theFailedPath.empty() ? theMoveAll(mNames, theStaged, theFinal) : 0;
    if (theFailedPath.empty()) {
        for (const std::string& theName : theEarlier) unlink(theAsidePath(theName).c_str());
        if (!theAside.empty()) rmdir(theAside.c_str());
        mNames.clear();
        return true;
    }

    // All or nothing: the new pictures go back, the earlier ones return.
    outError = "cannot create " + Quoted(theFailedPath) + ": " + std::strerror(theCode);
    for (size_t i = 0; i < theMoved; ++i) {
        if (rename(FinalPath(mNames[i]).c_str(), StagedPath(mNames[i]).c_str()) != 0) unlink(FinalPath(mNames[i]).c_str());
    }
    bool theRestored = true;
    for (size_t i = 0; i < theSetAside; ++i) {
        theRestored = rename(theAsidePath(theEarlier[i]).c_str(), FinalPath(theEarlier[i]).c_str()) == 0 && theRestored;
    }
    if (!theAside.empty() && theRestored) rmdir(theAside.c_str());
    if (!theRestored) outError += "; the earlier pictures are in " + Quoted(theAside);
    return false;
}

} // namespace

bool CheckPngSequenceOutput(const std::string& thePath, std::string& outError)
{
    FrameNamePattern thePattern;
    if (!ParseFrameNamePattern(FileNameOf(thePath), thePattern, outError)) return false;
    const std::string theFolder = FolderOf(thePath);
    std::vector<std::string> theNames;
    if (!FindPictures(theFolder, thePattern, theNames, outError)) return false;
    for (const std::string& theName : theNames) {
        const std::string thePicture = theFolder + "/" + theName;
        struct stat theStatus;
        if (lstat(thePicture.c_str(), &theStatus) == 0 && S_ISLNK(theStatus.st_mode)) {
            outError = "cannot write " + Quoted(thePicture) + ": it is a symbolic link; a sequence replaces only pictures";
            return false;
        }
        mode_t theMode;
        if (!CheckReplaceable(thePicture, theMode, outError)) return false;
    }
    return true;
}

std::unique_ptr<FrameOutput> OpenPngSequence(const std::string& thePath, const OutputFormat& theFormat,
                                             const MovieSettings& theSettings, std::string& outError)
{
    auto theOutput = std::make_unique<PngSequence>();
    if (!theOutput->Open(thePath, theFormat, theSettings, outError)) return nullptr;
    return theOutput;
}

} // namespace video
