#include "basictx.h"

#include "EffectBridge.h"
#include "Globals.h"

HYPluginResult EffectBegins(SInt16, HYPluginParams* params)
{
    const bool theNewWorkspace = !params->clientData;
    if (theNewWorkspace) {
        params->clientData = params->procs->NewPtr(sizeof(EffectData));
        if (!params->clientData) return kPluginOutOfMemory;
    }
    EffectData* theWorkspace = static_cast<EffectData*>(params->clientData);
    theWorkspace->configCopy = nullptr;
    UInt32 theSize;
    pGetConfigSize(&theSize);
    theWorkspace->configCopy = reinterpret_cast<pluginDataPtr>(params->procs->NewPtr(static_cast<SInt32>(theSize)));
    if (!theWorkspace->configCopy) {
        // No end request follows a failed begin, so a workspace made here goes now.
        if (theNewWorkspace) {
            params->procs->DisposePtr(static_cast<Ptr>(params->clientData));
            params->clientData = nullptr;
        }
        return kPluginOutOfMemory;
    }
    pCopyConfig(gMasterConfig, theWorkspace->configCopy);
    theWorkspace->frameCount = 0;
    return kPluginOK;
}

HYPluginResult EffectEnds(SInt16 which, HYPluginParams* params)
{
    HYPluginClipInfo theClipInfo;
    if (params->procs->GetClipInfo(params->instance, 1, &theClipInfo) == kPluginOK) {
        if (which == 1) {
            theClipInfo.fadeOut = true;
            theClipInfo.ver2.fadeOutFrames = params->frameCount;
        } else if (which == 2) {
            theClipInfo.fadeIn = true;
            theClipInfo.ver2.fadeInFrames = params->frameCount;
        }
        (void)params->procs->SetClipInfo(params->instance, &theClipInfo);
    }
    if (EffectData* theWorkspace = static_cast<EffectData*>(params->clientData)) {
        if (theWorkspace->configCopy) {
            pUncopyConfig(theWorkspace->configCopy);
            params->procs->DisposePtr(reinterpret_cast<Ptr>(theWorkspace->configCopy));
        }
        params->procs->DisposePtr(reinterpret_cast<Ptr>(theWorkspace));
        params->clientData = nullptr;
    }
    return kPluginOK;
}

HYPluginResult MakeEffectPlaceHolders(SInt16 which, HYPluginParams* params)
{
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    SetGWorld(params->frame, nullptr);

    // A copy of the block runs begin, one frame and end with a workspace of its own.
    HYPluginParams theCopy = *params;
    theCopy.renderFrame = params->getInfo.bestThumbOffset;
    theCopy.clientData = nullptr;
    theCopy.selector = kPlugInitialize;
    HYPluginResult theResult = EffectBegins(which, &theCopy);
    if (theResult == kPluginOK) {
        theCopy.selector = kPlugDoFrame;
        theResult = EffectDrives(which, &theCopy);
        theCopy.selector = kPlugTerminate;
        (void)EffectEnds(which, &theCopy);
    }

    SetGWorld(theSavedPort, theSavedDevice);
    return theResult;
}
