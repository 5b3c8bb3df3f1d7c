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

// The host's volume (255 counting as full) at a clip's share of the transition. Frame positions
// outside the transition keep the share within 0..1; the volume itself is the host's.
SInt16 AudioLevel(SInt16 theVolume, double theShare)
{
    const double theKept = theShare > 1.0 ? 1.0 : theShare > 0.0 ? theShare : 0.0;
    const double theFull = theVolume == 255 ? 256.0 : theVolume;
    return static_cast<SInt16>(std::trunc(theFull * theKept));
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
        // In's clip rises with the picture; Out's and Cross's outgoing clip fall.
        theFailure.Mark(theProcs->MixAudio(params->instance, theFirstCookie,
                                           AudioLevel(theVolume, which == 2 ? theProgress : 1.0 - theProgress)));
    UnlockFrame(theBeforeLock);
    theFailure.Mark(theProcs->ReleaseFrame(params->instance, theFirstCookie));

    const bool theNeedsSecondClip = params->getInfo.pluginType != kPluginTransitionAfterType &&
                                    params->getInfo.pluginType != kPluginTransitionBeforeType;
    GWorldPtr theAfter = nullptr;
    HYFrameCookie theSecondCookie = nullptr;
    SInt16 theSecondVolume = 0;
    FrameLock theAfterLock{};
    if (theNeedsSecondClip && !theFailure.Failed()) {
        HYPluginResult theSecondResult = theProcs->GetFrame(params->instance, theSecondFrame, &theAfter, theWidth,
                                                            theHeight, theQuality, &theSecondVolume, &theSecondCookie);
        theFailure.Mark(theSecondResult);
        if (theSecondResult != kPluginOK) theAfter = nullptr;
        if (theAfter) theAfterLock = LockFrame(theAfter);
    }

    // Only the dissolve needs the incoming frame: without it the outgoing frame stays.
    if (which != 3 || theAfter) (void)ApplyEffect(theAfter, params, which);

    if (theAfter) {
        // The incoming clip rises as the outgoing one falls, so together they make one clip's volume.
        if (!params->proxyOnly && !theFailure.Failed())
            theFailure.Mark(theProcs->MixAudio(params->instance, theSecondCookie, AudioLevel(theSecondVolume, theProgress)));
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
