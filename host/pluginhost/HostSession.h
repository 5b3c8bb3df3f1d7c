// The host's side of one plug-in instance: the parameter block, the callback table and what
// the callbacks did, with faults that tests can inject into any callback.
#pragma once

#include "ClipFrames.h"
#include "iMovieRecords.h"

#include <array>
#include <map>
#include <string>
#include <vector>

enum class HostCallback {
    NewPtr,
    DisposePtr,
    GetFrame,
    ReleaseFrame,
    GetClipInfo,
    SetClipInfo,
    Blit,
    GetTransitionInfo,
    ReleaseTransitionInfo,
    MixAudio,
    Count
};

const char* HostCallbackName(HostCallback theCallback);

struct FrameRequest {
    SInt32 frameNumber;
    SInt16 width;
    SInt16 height;
    HYRefDVQuality quality;
};

struct AudioMix {
    SInt32 frameNumber;
    SInt16 level;
};

class HostSession {
public:
    HostSession(HYPluginMainProc theMain, ClipFrames& theSource);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    HYPluginParams& Params() { return mParams; }
    ClipFrames& Source() { return mSource; }
    HYProcs& Procs() { return mProcs; }
    // Calls the entry point with this selector and the session's parameter block.
    SInt32 Call(SInt32 theWhich, HYPluginSelector theSelector);

    void SetSpeed(float theSpeed) { mTransitionInfo.speed = theSpeed; }
    // The destination frame of frame requests, owned by the session; false with the reason when
    // there is none.
    bool SetOutputSize(SInt16 theWidth, SInt16 theHeight, std::string& outError);

    // The theCall-th call (from 1) of a callback from now on fails with theResult
    // (NewPtr returns null instead).
    void FailAt(HostCallback theCallback, long theCall, HYPluginResult theResult = kPluginFailed);
    void ClearFaults();
    long Calls(HostCallback theCallback) const { return mCalls[size_t(theCallback)]; }

    long FramesOut() const { return mFramesOut; }
    long FramesBack() const { return mFramesBack; }
    long TransitionInfosOut() const { return Calls(HostCallback::GetTransitionInfo); }
    long TransitionInfosBack() const { return Calls(HostCallback::ReleaseTransitionInfo); }
    const std::vector<FrameRequest>& FrameRequests() const { return mFrameRequests; }
    const std::vector<AudioMix>& AudioMixes() const { return mAudioMixes; }
    const HYPluginClipInfo& ClipInfo() const { return mClipInfo; }
    // The first problem a callback met (a frame the source could not give, a bad cookie).
    const std::string& LastError() const { return mLastError; }
    // Processor seconds spent in the entry point less those in the callbacks that do the host's
    // work (getting, releasing and blitting frames): the plug-in's own time.
    double PluginSeconds() const { return mEntrySeconds - mHostSeconds; }

private:
    struct DeliveredFrame {
        GWorldPtr frame;
        SInt32 frameNumber;
    };

    // True when this call of the callback is to fail.
    bool CountCall(HostCallback theCallback);
    static HostSession* SessionOf(HYPluginInstance theInstance);

    static Ptr NewPtrCallback(SInt32 theSize);
    static void DisposePtrCallback(Ptr thePtr);
    static HYPluginResult GetFrameCallback(HYPluginInstance theInstance, SInt32 theFrameNumber, GWorldPtr* theFrame,
                                           SInt16 theWidth, SInt16 theHeight, HYRefDVQuality theQuality,
                                           SInt16* theVolume, HYFrameCookie* theCookie);
    static HYPluginResult ReleaseFrameCallback(HYPluginInstance theInstance, HYFrameCookie theCookie);
    static HYPluginResult GetClipInfoCallback(HYPluginInstance theInstance, SInt32 theWhich, HYPluginClipInfo* theInfo);
    static HYPluginResult SetClipInfoCallback(HYPluginInstance theInstance, HYPluginClipInfo* theInfo);
    static HYPluginResult BlitCallback(PixMap* theSource, PixMap* theDest, const Rect* theSourceRect,
                                       const Rect* theDestRect, SInt32 theMode);
    static HYPluginResult GetTransitionInfoCallback(HYPluginInstance theInstance, HYPluginTransitionInfo** theInfo);
    static HYPluginResult ReleaseTransitionInfoCallback(HYPluginInstance theInstance, HYPluginTransitionInfo* theInfo);
    static HYPluginResult MixAudioCallback(HYPluginInstance theInstance, HYFrameCookie theCookie, SInt16 theLevel);

    HYPluginMainProc mMain;
    ClipFrames& mSource;
    HYPluginParams mParams{};
    HYProcs mProcs{};
    HYPluginTransitionInfo mTransitionInfo{};
    HYPluginClipInfo mClipInfo{};
    GWorldPtr mOutput = nullptr;

    std::array<long, size_t(HostCallback::Count)> mCalls{};
    std::map<HostCallback, std::pair<long, HYPluginResult>> mFaults; // callback -> (call number, result)
    long mFramesOut = 0;
    long mFramesBack = 0;
    std::map<HYFrameCookie, DeliveredFrame> mDelivered;
    std::vector<FrameRequest> mFrameRequests;
    std::vector<AudioMix> mAudioMixes;
    std::string mLastError;
    int mCallDepth = 0;
    double mEntrySeconds = 0.0;
    double mHostSeconds = 0.0;
};
