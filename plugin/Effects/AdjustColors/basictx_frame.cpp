#include "basictx.h"

#include "EffectBridge.h"
#include "Globals.h"
#include "MacMemory.h"

#include <cmath>

namespace {

// A frame's pixel map locked for the duration of a request, with what to restore afterwards.
struct FrameLock {
    PixMapHandle pixMap;
    SInt8 handleState;
    GWorldFlags pixelState;
};

FrameLock LockFrame(GWorldPtr theFrame)
{
    FrameLock theLock;
    theLock.pixMap = GetGWorldPixMap(theFrame);
    theLock.handleState = HGetState(reinterpret_cast<Handle>(theLock.pixMap));
    theLock.pixelState = GetPixelsState(theLock.pixMap);
    MoveHHi(reinterpret_cast<Handle>(theLock.pixMap));
    HLock(reinterpret_cast<Handle>(theLock.pixMap));
    LockPixels(theLock.pixMap);
    return theLock;
}

void UnlockFrame(const FrameLock& theLock)
{
    SetPixelsState(theLock.pixMap, theLock.pixelState);
    HSetState(reinterpret_cast<Handle>(theLock.pixMap), theLock.handleState);
}

// The host's volume (255 counting as full) at the given share, kept within 0..256 even for
// frame positions outside the transition.
SInt16 AudioLevel(SInt16 theVolume, double theShare)
{
    const double theFull = theVolume == 255 ? 256.0 : theVolume;
    const double theLevel = std::trunc(theFull * theShare);
    if (!(theLevel > 0)) return 0;
    return static_cast<SInt16>(std::min(theLevel, 256.0));
}

// Keeps the first failing result of a series of host callbacks.
struct FirstFailure {
    HYPluginResult result = kPluginOK;
    bool Failed() const { return result != kPluginOK; }
    void Mark(HYPluginResult theResult)
    {
        if (!Failed()) result = theResult;
    }
};

} // namespace

HYPluginResult EffectDrives(SInt16 which, HYPluginParams* params)
{
    if (!params->clientData || !params->frame) return kPluginBadParams;
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(params->frame, nullptr);
    HYPluginResult theResult = which >= 1 && which <= 3 ? TransitionFade(params, which) : kPluginOK;
    SetGWorld(theSavedPort, theSavedDevice);
    return theResult;
}

HYPluginResult TransitionFade(HYPluginParams* params, SInt16 which)
{
    HYProcs* theProcs = params->procs;
    const double theProgress = double(params->renderFrame + 1) / params->frameCount;
    const SInt16 theWidth = static_cast<SInt16>(params->frameRect.right - params->frameRect.left);
    const SInt16 theHeight = static_cast<SInt16>(params->frameRect.bottom - params->frameRect.top);

    HYPluginTransitionInfo* theInfo = nullptr;
    (void)theProcs->GetTransitionInfo(params->instance, &theInfo);
    auto finish = [&](HYPluginResult theResult) {
        (void)theProcs->ReleaseTransitionInfo(params->instance, theInfo);
        return theResult;
    };

    const HYRefDVQuality theQuality = params->proxyOnly && theHeight <= 259 ? kDVLowQuality : kDVHighQuality;
    const SInt32 theFirstFrame = params->startFrame + params->renderFrame;
    const SInt32 theSecondFrame = params->startFrame + params->frameCount + params->renderFrame;
    gMostRecentStartFrame = params->startFrame;
    gMostRecentFrameCount = params->frameCount;
    if (theFirstFrame < 0) return finish(kPluginFailed);

    GWorldPtr theBefore = nullptr;
    SInt16 theVolume = 0;
    HYFrameCookie theFirstCookie = nullptr;
    HYPluginResult theResult = theProcs->GetFrame(params->instance, theFirstFrame, &theBefore, theWidth, theHeight,
                                                  theQuality, &theVolume, &theFirstCookie);
    if (theResult != kPluginOK) return finish(theResult);

    FirstFailure theFailure;
    Rect theSourceRect;
    GetPortBounds(theBefore, &theSourceRect);
    const FrameLock theBeforeLock = LockFrame(theBefore);
    const FrameLock theDestLock = LockFrame(params->frame);
    theFailure.Mark(theProcs->Blit(*theBeforeLock.pixMap, *theDestLock.pixMap, &theSourceRect, &params->frameRect, 255));
    if (!params->proxyOnly && !theFailure.Failed())
        theFailure.Mark(theProcs->MixAudio(params->instance, theFirstCookie, AudioLevel(theVolume, 1.0 - theProgress)));
    UnlockFrame(theBeforeLock);
    theFailure.Mark(theProcs->ReleaseFrame(params->instance, theFirstCookie));

    const bool theNeedsSecondClip = params->getInfo.pluginType != kPluginTransitionAfterType &&
                                    params->getInfo.pluginType != kPluginTransitionBeforeType;
    GWorldPtr theAfter = nullptr;
    HYFrameCookie theSecondCookie = nullptr;
    FrameLock theAfterLock{};
    if (theNeedsSecondClip && !theFailure.Failed()) {
        SInt16 theSecondVolume = 0;
        HYPluginResult theSecondResult = theProcs->GetFrame(params->instance, theSecondFrame, &theAfter, theWidth,
                                                            theHeight, theQuality, &theSecondVolume, &theSecondCookie);
        theFailure.Mark(theSecondResult);
        if (theSecondResult != kPluginOK) theAfter = nullptr;
        if (theAfter) theAfterLock = LockFrame(theAfter);
    }

    // Without its incoming frame the dissolve is not drawn: the outgoing frame stays.
    if (!theNeedsSecondClip || theAfter) (void)ApplyEffect(theAfter, params, which);

    if (theAfter) {
        if (!params->proxyOnly && !theFailure.Failed())
            theFailure.Mark(theProcs->MixAudio(params->instance, theSecondCookie, 256));
        UnlockFrame(theAfterLock);
        theFailure.Mark(theProcs->ReleaseFrame(params->instance, theSecondCookie));
    }
    UnlockFrame(theDestLock);
    return finish(theFailure.result);
}

HYPluginResult ApplyEffect(GWorldPtr sourceFrame, HYPluginParams* params, SInt16 which)
{
    ApplyLineArtEffect(sourceFrame, params->frame, params, which);
    return kPluginOK;
}

void ApplyLineArtEffect(GWorldPtr sourceFrame, GWorldPtr targetFrame, HYPluginParams* params, SInt16 which)
{
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(targetFrame, nullptr);
    EffectData* theWorkspace = static_cast<EffectData*>(params->clientData);
    DoEffect(theWorkspace->configCopy, sourceFrame, targetFrame, params->renderFrame, params->frameCount, which);
    SetGWorld(theSavedPort, theSavedDevice);
}
