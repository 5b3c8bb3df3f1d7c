#include "SyntheticClip.h"

#include "AudioFrames.h"
#include "MovieWriter.h"
#include "avsupport.h"

extern "C" {
#include <libavfilter/buffersink.h>
}

#include <cstring>
#include <new>

namespace video {

namespace {

constexpr const char* cPatterns[] = {"testsrc2", "testsrc", "smptehdbars", "smptebars", "rgbtestsrc", "mandelbrot"};

// A source filter chain ending in a sink: "theChain" is FFmpeg's filter-graph text.
struct Generator {
    GraphPtr graph;
    AVFilterContext* sink = nullptr;

    bool Build(const std::string& theChain, bool theAudio, std::string& outError)
    {
        graph.reset(avfilter_graph_alloc());
        if (!graph) {
            outError = "out of memory";
            return false;
        }
        const AVFilter* theSinkFilter = avfilter_get_by_name(theAudio ? "abuffersink" : "buffersink");
        int theResult = avfilter_graph_create_filter(&sink, theSinkFilter, "out", nullptr, nullptr, graph.get());
        AVFilterInOut* theOutputs = nullptr;
        AVFilterInOut* theInputs = avfilter_inout_alloc();
        if (theResult >= 0 && !theInputs) theResult = AVERROR(ENOMEM);
        if (theResult >= 0) {
            theInputs->name = av_strdup("out");
            theInputs->filter_ctx = sink;
            theInputs->pad_idx = 0;
            theInputs->next = nullptr;
            theResult = avfilter_graph_parse_ptr(graph.get(), theChain.c_str(), &theInputs, &theOutputs, nullptr);
        }
        avfilter_inout_free(&theInputs);
        avfilter_inout_free(&theOutputs);
        if (theResult >= 0) theResult = avfilter_graph_config(graph.get(), nullptr);
        if (theResult < 0) {
            outError = "cannot set up the generator " + Quoted(theChain) + ": " + ErrorText(theResult);
            return false;
        }
        return true;
    }
};

bool CopyToGWorld(const AVFrame* theFrame, GWorldPtr theWorld)
{
    PixMapHandle thePixMap = GetGWorldPixMap(theWorld);
    Ptr theBase = GetPixBaseAddr(thePixMap);
    SInt32 theRowBytes = GetPixRowBytes(thePixMap);
    for (int theRow = 0; theRow < theFrame->height; ++theRow) {
        std::memcpy(theBase + SInt64(theRow) * theRowBytes, theFrame->data[0] + SInt64(theRow) * theFrame->linesize[0],
                    size_t(theFrame->width) * 4);
    }
    return true;
}

bool MakeClip(const std::string& thePath, const SyntheticClip& theClip, std::string& outError)
{
    bool theKnown = false;
    for (const char* thePattern : cPatterns) theKnown = theKnown || theClip.pattern == thePattern;
    if (!theKnown) {
        outError = "unknown test pattern " + Quoted(theClip.pattern);
        return false;
    }
    if (theClip.frameCount <= 0 || theClip.toneHertz < 0 || theClip.toneHertz > 20000) {
        outError = "a test clip needs frames, and a tone between 0 and 20000 Hz";
        return false;
    }
    MovieSettings theSettings;
    theSettings.width = theClip.width;
    theSettings.height = theClip.height;
    theSettings.rate = theClip.rate;
    theSettings.withAudio = theClip.toneHertz > 0;
    theSettings.keyFrameInterval = theClip.keyFrameInterval;
    std::unique_ptr<MovieWriter> theWriter = MovieWriter::Create(thePath, theSettings, outError);
    if (!theWriter) return false;

    std::string theSize = std::to_string(theClip.width) + "x" + std::to_string(theClip.height);
    std::string theRate = std::to_string(theClip.rate.num) + "/" + std::to_string(theClip.rate.den);
    Generator thePictures;
    if (!thePictures.Build(theClip.pattern + "=size=" + theSize + ":rate=" + theRate + ",format=argb", false, outError))
        return false;
    Generator theTone;
    if (theSettings.withAudio &&
        !theTone.Build("sine=frequency=" + std::to_string(theClip.toneHertz) + ":sample_rate=" +
                           std::to_string(cAudioSampleRate) + ",pan=stereo|c0=c0|c1=c0,aformat=sample_fmts=flt",
                       true, outError))
        return false;

    GWorldPtr theWorld = nullptr;
    Rect theBounds{0, 0, SInt16(theClip.height), SInt16(theClip.width)};
    if (NewGWorld(&theWorld, 32, &theBounds, nullptr, nullptr, 0) != noErr) {
        outError = "out of memory for a " + theSize + " picture";
        return false;
    }
    std::unique_ptr<OpaqueGrafPort, void (*)(GWorldPtr)> theWorldOwner(theWorld, DisposeGWorld);
    FramePtr thePicture(av_frame_alloc());
    FramePtr theSound(av_frame_alloc());
    AudioBlock theAudio;
    if (!thePicture || !theSound) {
        outError = "out of memory";
        return false;
    }
    for (SInt32 theFrame = 0; theFrame < theClip.frameCount; ++theFrame) {
        int theResult = av_buffersink_get_frame(thePictures.sink, thePicture.get());
        if (theResult < 0) {
            outError = "the " + theClip.pattern + " generator stopped: " + ErrorText(theResult);
            return false;
        }
        CopyToGWorld(thePicture.get(), theWorld);
        av_frame_unref(thePicture.get());
        if (theSettings.withAudio) {
            SInt32 theLength = AudioSamplesInFrame(theFrame, theClip.rate);
            theResult = av_buffersink_get_samples(theTone.sink, theSound.get(), theLength);
            if (theResult < 0) {
                outError = "the tone generator stopped: " + ErrorText(theResult);
                return false;
            }
            const float* theSamples = reinterpret_cast<const float*>(theSound->data[0]);
            theAudio.samples.assign(theSamples, theSamples + size_t(theSound->nb_samples) * cAudioChannels);
            av_frame_unref(theSound.get());
        }
        if (!theWriter->AddFrame(theWorld, theSettings.withAudio ? &theAudio : nullptr, outError)) return false;
    }
    return theWriter->Finish(outError);
}

} // namespace

bool MakeSyntheticClip(const std::string& thePath, const SyntheticClip& theClip, std::string& outError) noexcept
{
    try {
        return MakeClip(thePath, theClip, outError);
    } catch (const std::bad_alloc&) {
        outError = "out of memory making " + Quoted(FileNameOf(thePath));
        return false;
    }
}

} // namespace video
