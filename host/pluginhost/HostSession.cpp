#include "HostSession.h"

#include "MacMemory.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// Processor time of the calling thread: the plug-in runs on the host's thread, and the time
// other threads (an encoder's) take meanwhile is not the plug-in's.
double ThreadSeconds()
{
    timespec theTime{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &theTime);
    return double(theTime.tv_sec) + double(theTime.tv_nsec) * 1e-9;
}

// Adds the thread's processor time until the end of the scope to a total (none when null).
class ScopeTimer {
public:
    explicit ScopeTimer(double* theTotal) : lgTotal(theTotal), lgStart(theTotal ? ThreadSeconds() : 0.0) {}
    ~ScopeTimer()
    {
        if (lgTotal) *lgTotal += ThreadSeconds() - lgStart;
    }
    ScopeTimer(const ScopeTimer&) = delete;
    ScopeTimer& operator=(const ScopeTimer&) = delete;

private:
    double* lgTotal;
    double lgStart;
};

// NewPtr and DisposePtr carry no instance; they belong to the session whose call is running.
HostSession* lgCallingSession = nullptr;

constexpr const char* cCallbackNames[] = {"NewPtr",      "DisposePtr", "GetFrame",          "ReleaseFrame",
                                          "GetClipInfo", "SetClipInfo", "Blit",             "GetTransitionInfo",
                                          "ReleaseTransitionInfo", "MixAudio"};
static_assert(std::size(cCallbackNames) == size_t(HostCallback::Count));

} // namespace

const char* HostCallbackName(HostCallback theCallback)
{
    return cCallbackNames[size_t(theCallback)];
}

HostSession::HostSession(HYPluginMainProc theMain, ClipFrames& theSource) : lgMain(theMain), lgSource(theSource)
{
    lgProcs.NewPtr = NewPtrCallback;
    lgProcs.DisposePtr = DisposePtrCallback;
    lgProcs.GetFrame = GetFrameCallback;
    lgProcs.ReleaseFrame = ReleaseFrameCallback;
    lgProcs.GetClipInfo = GetClipInfoCallback;
    lgProcs.SetClipInfo = SetClipInfoCallback;
    lgProcs.Blit = BlitCallback;
    lgProcs.GetTransitionInfo = GetTransitionInfoCallback;
    lgProcs.ReleaseTransitionInfo = ReleaseTransitionInfoCallback;
    lgProcs.MixAudio = MixAudioCallback;

    lgParams.interfaceVersion = 4;
    lgParams.instance = reinterpret_cast<HYPluginInstance>(this);
    lgParams.procs = &lgProcs;
    lgTransitionInfo.speed = 0.5f;
    lgTransitionInfo.ver2.direction = kPluginDirectionRight;
    lgClipInfo.volume = 255;
    std::snprintf(lgClipInfo.name, sizeof lgClipInfo.name, "Clip A");
}

HostSession::~HostSession()
{
    // Frames a plug-in never handed back are the host's to free; tests check FramesBack first.
    for (auto& [theCookie, theFrame] : lgDelivered) DisposeGWorld(theFrame.frame);
    if (lgOutput) DisposeGWorld(lgOutput);
    if (lgCallingSession == this) lgCallingSession = nullptr;
}

SInt32 HostSession::Call(SInt32 theWhich, HYPluginSelector theSelector)
{
    lgParams.selector = theSelector;
    HostSession* theOuter = lgCallingSession;
    lgCallingSession = this;
    SInt32 theResult;
    {
        ScopeTimer theTimer(lgCallDepth++ == 0 ? &lgEntrySeconds : nullptr);
        theResult = lgMain(theWhich, &lgParams);
    }
    --lgCallDepth;
    lgCallingSession = theOuter;
    return theResult;
}

void HostSession::SetOutputSize(SInt16 theWidth, SInt16 theHeight)
{
    if (lgOutput) DisposeGWorld(lgOutput);
    Rect theBounds{0, 0, theHeight, theWidth};
    (void)NewGWorld(&lgOutput, 32, &theBounds, nullptr, nullptr, 0);
    lgParams.frame = lgOutput;
    lgParams.frameRect = theBounds;
}

void HostSession::FailAt(HostCallback theCallback, long theCall, HYPluginResult theResult)
{
    lgFaults[theCallback] = {Calls(theCallback) + theCall, theResult};
}

void HostSession::ClearFaults()
{
    lgFaults.clear();
}

bool HostSession::CountCall(HostCallback theCallback)
{
    const long theCount = ++lgCalls[size_t(theCallback)];
    auto theFault = lgFaults.find(theCallback);
    return theFault != lgFaults.end() && theFault->second.first == theCount;
}

HostSession* HostSession::SessionOf(HYPluginInstance theInstance)
{
    return reinterpret_cast<HostSession*>(theInstance);
}

Ptr HostSession::NewPtrCallback(SInt32 theSize)
{
    if (lgCallingSession && lgCallingSession->CountCall(HostCallback::NewPtr)) return nullptr;
    // The editor's blocks come uncleared; filling them makes a plug-in that relies on zeros fail
    // on every machine, not only where fresh memory happens to be clear.
    Ptr theBlock = NewPtr(theSize);
    if (theBlock && theSize > 0) std::memset(theBlock, 0xA5, size_t(theSize));
    return theBlock;
}

void HostSession::DisposePtrCallback(Ptr thePtr)
{
    if (lgCallingSession) lgCallingSession->CountCall(HostCallback::DisposePtr);
    DisposePtr(thePtr);
}

HYPluginResult HostSession::GetFrameCallback(HYPluginInstance theInstance, SInt32 theFrameNumber, GWorldPtr* theFrame,
                                             SInt16 theWidth, SInt16 theHeight, HYRefDVQuality theQuality,
                                             SInt16* theVolume, HYFrameCookie* theCookie)
{
    HostSession* theSession = SessionOf(theInstance);
    ScopeTimer theTimer(&theSession->lgHostSeconds);
    if (theSession->CountCall(HostCallback::GetFrame)) return theSession->lgFaults[HostCallback::GetFrame].second;
    if (!theFrame || !theVolume || !theCookie || theWidth <= 0 || theHeight <= 0) return kPluginBadParams;
    theSession->lgFrameRequests.push_back(FrameRequest{theFrameNumber, theWidth, theHeight, theQuality});

    Rect theBounds{0, 0, theHeight, theWidth};
    GWorldPtr theGW = nullptr;
    if (NewGWorld(&theGW, 32, &theBounds, nullptr, nullptr, 0) != noErr) return kPluginOutOfMemory;
    std::string theError;
    theSession->lgSource.SetQuickFrames(theQuality == kDVLowQuality);
    if (!theSession->lgSource.DrawFrame(theFrameNumber, theGW, theError)) {
        DisposeGWorld(theGW);
        if (theSession->lgLastError.empty()) theSession->lgLastError = theError;
        return kPluginCantGetNeededFrame;
    }
    *theFrame = theGW;
    *theVolume = theSession->lgSource.Volume(theFrameNumber);
    *theCookie = theGW;
    theSession->lgDelivered[theGW] = DeliveredFrame{theGW, theFrameNumber};
    ++theSession->lgFramesOut;
    return kPluginOK;
}

HYPluginResult HostSession::ReleaseFrameCallback(HYPluginInstance theInstance, HYFrameCookie theCookie)
{
    HostSession* theSession = SessionOf(theInstance);
    ScopeTimer theTimer(&theSession->lgHostSeconds);
    // A failing release still takes the frame back: the plug-in has given it up.
    const bool theFails = theSession->CountCall(HostCallback::ReleaseFrame);
    auto theFound = theSession->lgDelivered.find(theCookie);
    if (theFound == theSession->lgDelivered.end()) {
        if (theSession->lgLastError.empty()) theSession->lgLastError = "a frame was handed back twice or never given";
        return theFails ? theSession->lgFaults[HostCallback::ReleaseFrame].second : kPluginBadParams;
    }
    DisposeGWorld(theFound->second.frame);
    theSession->lgDelivered.erase(theFound);
    ++theSession->lgFramesBack;
    return theFails ? theSession->lgFaults[HostCallback::ReleaseFrame].second : kPluginOK;
}

HYPluginResult HostSession::GetClipInfoCallback(HYPluginInstance theInstance, SInt32, HYPluginClipInfo* theInfo)
{
    HostSession* theSession = SessionOf(theInstance);
    if (theSession->CountCall(HostCallback::GetClipInfo)) return theSession->lgFaults[HostCallback::GetClipInfo].second;
    if (!theInfo) return kPluginBadParams;
    *theInfo = theSession->lgClipInfo;
    return kPluginOK;
}

HYPluginResult HostSession::SetClipInfoCallback(HYPluginInstance theInstance, HYPluginClipInfo* theInfo)
{
    HostSession* theSession = SessionOf(theInstance);
    if (theSession->CountCall(HostCallback::SetClipInfo)) return theSession->lgFaults[HostCallback::SetClipInfo].second;
    if (!theInfo) return kPluginBadParams;
    theSession->lgClipInfo = *theInfo;
    return kPluginOK;
}

HYPluginResult HostSession::BlitCallback(PixMap* theSource, PixMap* theDest, const Rect* theSourceRect,
                                         const Rect* theDestRect, SInt32)
{
    ScopeTimer theTimer(lgCallingSession ? &lgCallingSession->lgHostSeconds : nullptr);
    if (lgCallingSession && lgCallingSession->CountCall(HostCallback::Blit))
        return lgCallingSession->lgFaults[HostCallback::Blit].second;
    if (!theSource || !theDest || !theSourceRect || !theDestRect) return kPluginBadParams;
    CopyBits(reinterpret_cast<const BitMap*>(theSource), reinterpret_cast<const BitMap*>(theDest), theSourceRect,
             theDestRect, srcCopy, nullptr);
    return kPluginOK;
}

HYPluginResult HostSession::GetTransitionInfoCallback(HYPluginInstance theInstance, HYPluginTransitionInfo** theInfo)
{
    HostSession* theSession = SessionOf(theInstance);
    if (theSession->CountCall(HostCallback::GetTransitionInfo))
        return theSession->lgFaults[HostCallback::GetTransitionInfo].second;
    if (!theInfo) return kPluginBadParams;
    *theInfo = &theSession->lgTransitionInfo;
    return kPluginOK;
}

HYPluginResult HostSession::ReleaseTransitionInfoCallback(HYPluginInstance theInstance, HYPluginTransitionInfo*)
{
    HostSession* theSession = SessionOf(theInstance);
    if (theSession->CountCall(HostCallback::ReleaseTransitionInfo))
        return theSession->lgFaults[HostCallback::ReleaseTransitionInfo].second;
    return kPluginOK;
}

HYPluginResult HostSession::MixAudioCallback(HYPluginInstance theInstance, HYFrameCookie theCookie, SInt16 theLevel)
{
    HostSession* theSession = SessionOf(theInstance);
    if (theSession->CountCall(HostCallback::MixAudio)) return theSession->lgFaults[HostCallback::MixAudio].second;
    auto theFound = theSession->lgDelivered.find(theCookie);
    if (theFound == theSession->lgDelivered.end()) return kPluginBadParams;
    theSession->lgAudioMixes.push_back(AudioMix{theFound->second.frameNumber, theLevel});
    return kPluginOK;
}
