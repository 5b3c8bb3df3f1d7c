#include "basictx.h"

#include "EffectBridge.h"
#include "Globals.h"

HYPluginResult CustomButtons(SInt16 which, HYPluginParams* params)
{
    const SInt32 theFrameNumber = params->renderFrame + gMostRecentStartFrame;
    SInt16 theWidth = 720;
    SInt16 theHeight = 480;
    switch (GetMediaFormat(gMasterConfig)) {
    case 2: theHeight = 576; break;
    case 3: theWidth = 960; theHeight = 540; break;
    default: break;
    }

    GWorldPtr theGW = nullptr;
    SInt16 theVolume = 0;
    HYFrameCookie theCookie = nullptr;
    const HYPluginResult theResult = params->procs->GetFrame(params->instance, theFrameNumber, &theGW, theWidth,
                                                             theHeight, kDVHighQuality, &theVolume, &theCookie);
    // A failed fetch delivered nothing to hand back; without a frame there is nothing to
    // preview, and the host learns why.
    if (theResult != kPluginOK) return theResult;
    if (theGW) ConfigurePlugIn(gMasterConfig, theGW, params, theFrameNumber, gMostRecentFrameCount, which);
    (void)params->procs->ReleaseFrame(params->instance, theCookie);
    return theGW ? kPluginOK : kPluginFailed;
}
