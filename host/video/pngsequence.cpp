// One PNG per frame. The pictures gather in a hidden folder beside the destination and move
// into place together when the sequence is complete.
#include "frameoutput.h"

#include "pendingfile.h"

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
    bool Open(const std::string& thePath, const MovieSettings& theSettings, std::string& theError);
    bool WriteVideo(const ArgbPixels& thePicture, std::string& theError) override;
    bool WriteAudio(const AudioBlock&, std::string&) override { return true; }
    bool Finish(std::string& theError) override;
    bool CarriesAudio() const override { return false; }
    std::string Description() const override { return "PNG sequence " + mPatternText + ", no sound"; }

private:
    std::string StagedPath(const std::string& theName) const { return mStaging + "/" + theName; }
    std::string FinalPath(const std::string& theName) const { return mFolder + "/" + theName; }
    bool WritePacket(std::string& theError);
    void RemoveStaging();

    std::string mFolder;
    std::string mPatternText;
    FrameNamePattern mPattern;
    std::string mStaging; // hidden folder of finished pictures; empty once moved into place
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
    mStaging.clear();
}

bool PngSequence::Open(const std::string& thePath, const MovieSettings& theSettings, std::string& theError)
{
    mFolder = FolderOf(thePath);
    if (!ParseFrameNamePattern(FileNameOf(thePath), mPattern, theError)) return false;
    mPatternText = Quoted(mPattern.prefix + (mPattern.digits > 1 ? "%0" + std::to_string(mPattern.digits) + "d" : "%d") +
                          mPattern.suffix);
    struct stat theStatus;
    if (stat(FinalPath(mPattern.NameOf(0)).c_str(), &theStatus) == 0 && S_ISDIR(theStatus.st_mode)) {
        theError = "Cannot write " + Quoted(FinalPath(mPattern.NameOf(0))) + ": it is a folder";
        return false;
    }
    std::string theTemplate = HiddenTemplateFor(FinalPath(mPattern.prefix + "frames"));
    std::vector<char> theName(theTemplate.begin(), theTemplate.end());
    theName.push_back('\0');
    if (!mkdtemp(theName.data())) {
        theError = "Cannot write in " + Quoted(mFolder) + ": " + std::strerror(errno);
        return false;
    }
    mStaging = theName.data();

    const AVCodec* theCodec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!theCodec) {
        theError = "FFmpeg has no PNG encoder";
        return false;
    }
    mEncoder.reset(avcodec_alloc_context3(theCodec));
    mFrame.reset(av_frame_alloc());
    mPacket.reset(av_packet_alloc());
    if (!mEncoder || !mFrame || !mPacket) {
        theError = "Out of memory for " + mPatternText;
        return false;
    }
    mEncoder->width = theSettings.width;
    mEncoder->height = theSettings.height;
    mEncoder->pix_fmt = AV_PIX_FMT_RGB24;
    mEncoder->time_base = AVRational{theSettings.rate.den, theSettings.rate.num};
    int theResult = avcodec_open2(mEncoder.get(), theCodec, nullptr);
    if (theResult >= 0) {
        mFrame->format = AV_PIX_FMT_RGB24;
        mFrame->width = theSettings.width;
        mFrame->height = theSettings.height;
        theResult = av_frame_get_buffer(mFrame.get(), 0);
    }
    if (theResult < 0) {
        theError = "Cannot start the PNG encoder for " + mPatternText + ": " + ErrorText(theResult);
        return false;
    }
    return true;
}

bool PngSequence::WritePacket(std::string& theError)
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
        theError = "Cannot write " + Quoted(theName) + ": " + std::strerror(theCode);
        return false;
    }
    return true;
}

bool PngSequence::WriteVideo(const ArgbPixels& thePicture, std::string& theError)
{
    int theResult = av_frame_make_writable(mFrame.get());
    if (theResult < 0) {
        theError = "Cannot encode " + mPatternText + ": " + ErrorText(theResult);
        return false;
    }
    if (!mScaler.FromArgb(thePicture, mFrame.get(), theError)) return false;
    theResult = avcodec_send_frame(mEncoder.get(), mFrame.get());
    while (theResult >= 0) {
        theResult = avcodec_receive_packet(mEncoder.get(), mPacket.get());
        if (theResult == AVERROR(EAGAIN)) return true;
        if (theResult < 0) break;
        bool theOk = WritePacket(theError);
        av_packet_unref(mPacket.get());
        if (!theOk) return false;
    }
    theError = "Cannot encode " + mPatternText + ": " + ErrorText(theResult);
    return false;
}

bool PngSequence::Finish(std::string& theError)
{
    size_t theMoved = 0;
    for (; theMoved < mNames.size(); ++theMoved) {
        const std::string& theName = mNames[theMoved];
        if (rename(StagedPath(theName).c_str(), FinalPath(theName).c_str()) != 0) break;
    }
    if (theMoved < mNames.size()) {
        theError = "Cannot create " + Quoted(FinalPath(mNames[theMoved])) + ": " + std::strerror(errno);
        // All or nothing: take back what was already moved.
        for (size_t i = 0; i < theMoved; ++i) unlink(FinalPath(mNames[i]).c_str());
        mNames.erase(mNames.begin(), mNames.begin() + long(theMoved));
        RemoveStaging();
        return false;
    }
    mNames.clear();
    RemoveStaging();
    return true;
}

} // namespace

std::unique_ptr<FrameOutput> OpenPngSequence(const std::string& thePath, const MovieSettings& theSettings,
                                             std::string& theError)
{
    auto theOutput = std::make_unique<PngSequence>();
    if (!theOutput->Open(thePath, theSettings, theError)) return nullptr;
    return theOutput;
}

} // namespace video
