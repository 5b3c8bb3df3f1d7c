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
    explicit ScopeTimer(double* theTotal) : mTotal(theTotal), mStart(theTotal ? ThreadSeconds() : 0.0) {}
    ~ScopeTimer()
    {
        if (mTotal) *mTotal += ThreadSeconds() - mStart;
    }
    ScopeTimer(const ScopeTimer&) = delete;
    ScopeTimer& operator=(const ScopeTimer&) = delete;

private:
    double* mTotal;
    double mStart;
};

// NewPtr and DisposePtr carry no instance; they belong to the session whose call is running on
// this thread (play runs its render's sessions on a thread of their own).
thread_local HostSession* lgCallingSession = nullptr;

constexpr const char* cCallbackNames[] = {"NewPtr",      "DisposePtr", "GetFrame",          "ReleaseFrame",
                                          "GetClipInfo", "SetClipInfo", "Blit",             "GetTransitionInfo",
                                          "ReleaseTransitionInfo", "MixAudio"};
static_assert(std::size(cCallbackNames) == size_t(HostCallback::Count));

} // namespace

const char* HostCallbackName(HostCallback theCallback)
{
    return cCallbackNames[size_t(theCallback)];
}

HostSession::HostSession(HYPluginMainProc theMain, ClipFrames& theSource) : mMain(theMain), mSource(theSource)
{
    mProcs.NewPtr = NewPtrCallback;
    mProcs.DisposePtr = DisposePtrCallback;
    mProcs.GetFrame = GetFrameCallback;
    mProcs.ReleaseFrame = ReleaseFrameCallback;
    mProcs.GetClipInfo = GetClipInfoCallback;
    mProcs.SetClipInfo = SetClipInfoCallback;
    mProcs.Blit = BlitCallback;
    mProcs.GetTransitionInfo = GetTransitionInfoCallback;
    mProcs.ReleaseTransitionInfo = ReleaseTransitionInfoCallback;
    mProcs.MixAudio = MixAudioCallback;

    mParams.interfaceVersion = 4;
    mParams.instance = reinterpret_cast<HYPluginInstance>(this);
    mParams.procs = &mProcs;
    mTransitionInfo.speed = 0.5f;
    mTransitionInfo.ver2.direction = kPluginDirectionRight;
    mClipInfo.volume = 255;
    std::snprintf(mClipInfo.name, sizeof mClipInfo.name, "Clip A");
}

HostSession::~HostSession()
{
    // Frames a plug-in never handed back are the host's to free; tests check FramesBack first.
    for (auto& [theCookie, theFrame] : mDelivered) DisposeGWorld(theFrame.frame);
    if (mOutput) DisposeGWorld(mOutput);
    if (lgCallingSession == this) lgCallingSession = nullptr;
}

SInt32 HostSession::Call(SInt32 theWhich, HYPluginSelector theSelector)
{
    mParams.selector = theSelector;
    HostSession* theOuter = lgCallingSession;
    lgCallingSession = this;
    SInt32 theResult;
    {
        ScopeTimer theTimer(mCallDepth++ == 0 ? &mEntrySeconds : nullptr);
        theResult = mMain(theWhich, &mParams);
    }
    --mCallDepth;
    lgCallingSession = theOuter;
    return theResult;
}

bool HostSession::SetOutputSize(SInt16 theWidth, SInt16 theHeight, std::string& outError)
{
    if (mOutput) DisposeGWorld(mOutput);
    mOutput = nullptr;
    Rect theBounds{0, 0, theHeight, theWidth};
    const OSErr theMade = theWidth > 0 && theHeight > 0 ? NewGWorld(&mOutput, 32, &theBounds, nullptr, nullptr, 0) : OSErr(paramErr);
    mParams.frame = mOutput;
    mParams.frameRect = theBounds;
    if (theMade == noErr && mOutput) return true;
    outError = "no output frame of " + std::to_string(theWidth) + "x" + std::to_string(theHeight) + " pixels: " +
               (theMade == paramErr ? "not a size a frame can have" : "out of memory");
    return false;
}

void HostSession::FailAt(HostCallback theCallback, long theCall, HYPluginResult theResult)
{
    mFaults[theCallback] = {Calls(theCallback) + theCall, theResult};
}

void HostSession::ClearFaults()
{
    mFaults.clear();
}

bool HostSession::CountCall(HostCallback theCallback)
{
    const long theCount = ++mCalls[size_t(theCallback)];
    auto theFault = mFaults.find(theCallback);
    return theFault != mFaults.end() && theFault->second.first == theCount;
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
    ScopeTimer theTimer(&theSession->mHostSeconds);
    if (theSession->CountCall(HostCallback::GetFrame)) return theSession->mFaults[HostCallback::GetFrame].second;
    if (!theFrame || !theVolume || !theCookie || theWidth <= 0 || theHeight <= 0) return kPluginBadParams;
    theSession->mFrameRequests.push_back(FrameRequest{theFrameNumber, theWidth, theHeight, theQuality});

    Rect theBounds{0, 0, theHeight, theWidth};
    GWorldPtr theGW = nullptr;
    if (NewGWorld(&theGW, 32, &theBounds, nullptr, nullptr, 0) != noErr) return kPluginOutOfMemory;
    std::string theError;
    theSession->mSource.SetQuickFrames(theQuality == kDVLowQuality);
    if (!theSession->mSource.DrawFrame(theFrameNumber, theGW, theError)) {
        DisposeGWorld(theGW);
        if (theSession->mLastError.empty()) theSession->mLastError = theError;
        return kPluginCantGetNeededFrame;
    }
    *theFrame = theGW;
    *theVolume = theSession->mSource.Volume(theFrameNumber);
    *theCookie = theGW;
    theSession->mDelivered[theGW] = DeliveredFrame{theGW, theFrameNumber};
    ++theSession->mFramesOut;
    return kPluginOK;
}

HYPluginResult HostSession::ReleaseFrameCallback(HYPluginInstance theInstance, HYFrameCookie theCookie)
{
    HostSession* theSession = SessionOf(theInstance);
    ScopeTimer theTimer(&theSession->mHostSeconds);
    // A failing release still takes the frame back: the plug-in has given it up.
    const bool theFails = theSession->CountCall(HostCallback::ReleaseFrame);
    auto theFound = theSession->mDelivered.find(theCookie);
    if (theFound == theSession->mDelivered.end()) {
        if (theSession->mLastError.empty()) theSession->mLastError = "a frame was handed back twice or never given";
        return theFails ? theSession->mFaults[HostCallback::ReleaseFrame].second : kPluginBadParams;
    }
    DisposeGWorld(theFound->second.frame);
    theSession->mDelivered.erase(theFound);
    ++theSession->mFramesBack;
    return theFails ? theSession->mFaults[HostCallback::ReleaseFrame].second : kPluginOK;
}

HYPluginResult HostSession::GetClipInfoCallback(HYPluginInstance theInstance, SInt32, HYPluginClipInfo* theInfo)
{
    HostSession* theSession = SessionOf(theInstance);
    if (theSession->CountCall(HostCallback::GetClipInfo)) return theSession->mFaults[HostCallback::GetClipInfo].second;
    if (!theInfo) return kPluginBadParams;
    *theInfo = theSession->mClipInfo;
    return kPluginOK;
}

HYPluginResult HostSession::SetClipInfoCallback(HYPluginInstance theInstance, HYPluginClipInfo* theInfo)
{
    HostSession* theSession = SessionOf(theInstance);
    if (theSession->CountCall(HostCallback::SetClipInfo)) return theSession->mFaults[HostCallback::SetClipInfo].second;
    if (!theInfo) return kPluginBadParams;
    theSession->mClipInfo = *theInfo;
    return kPluginOK;
}

HYPluginResult HostSession::BlitCallback(PixMap* theSource, PixMap* theDest, const Rect* theSourceRect,
                                         const Rect* theDestRect, SInt32)
{
    ScopeTimer theTimer(lgCallingSession ? &lgCallingSession->mHostSeconds : nullptr);
    if (lgCallingSession && lgCallingSession->CountCall(HostCallback::Blit))
        return lgCallingSession->mFaults[HostCallback::Blit].second;
    if (!theSource || !theDest || !theSourceRect || !theDestRect) return kPluginBadParams;
    CopyBits(reinterpret_cast<const BitMap*>(theSource), reinterpret_cast<const BitMap*>(theDest), theSourceRect,
             theDestRect, srcCopy, nullptr);
    return kPluginOK;
}

HYPluginResult HostSession::GetTransitionInfoCallback(HYPluginInstance theInstance, HYPluginTransitionInfo** theInfo)
{
    HostSession* theSession = SessionOf(theInstance);
    if (theSession->CountCall(HostCallback::GetTransitionInfo))
        return theSession->mFaults[HostCallback::GetTransitionInfo].second;
    if (!theInfo) return kPluginBadParams;
    *theInfo = &theSession->mTransitionInfo;
    return kPluginOK;
}

HYPluginResult HostSession::ReleaseTransitionInfoCallback(HYPluginInstance theInstance, HYPluginTransitionInfo*)
{
    HostSession* theSession = SessionOf(theInstance);
    if (theSession->CountCall(HostCallback::ReleaseTransitionInfo))
        return theSession->mFaults[HostCallback::ReleaseTransitionInfo].second;
    return kPluginOK;
}

HYPluginResult HostSession::MixAudioCallback(HYPluginInstance theInstance, HYFrameCookie theCookie, SInt16 theLevel)
{
    HostSession* theSession = SessionOf(theInstance);
    if (theSession->CountCall(HostCallback::MixAudio)) return theSession->mFaults[HostCallback::MixAudio].second;
    auto theFound = theSession->mDelivered.find(theCookie);
    if (theFound == theSession->mDelivered.end()) return kPluginBadParams;
    theSession->mAudioMixes.push_back(AudioMix{theFound->second.frameNumber, theLevel});
    return kPluginOK;
}
