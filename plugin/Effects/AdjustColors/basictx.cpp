#include "basictx.h"

#include "EffectBridge.h"
#include "Globals.h"

// The host finds the plug-in by this one exported symbol.
extern "C" __attribute__((visibility("default"))) SInt32 main(SInt32 which, HYPluginParams* params)
{
    if (!params) return kPluginBadParams;
    if (params->interfaceVersion <= 3) return kPluginAppIsTooOld;
    if (!gEngineInited) {
        InitEffectEngine();
        gEngineInited = true;
    }
    if (!gMasterConfig) {
        UInt32 theSize;
        pGetConfigSize(&theSize);
        gMasterConfig = reinterpret_cast<pluginDataPtr>(params->procs->NewPtr(static_cast<SInt32>(theSize)));
        InitMyPlugIn(reinterpret_cast<Ptr*>(&gMasterConfig));
    }

    const SInt16 theWhich = static_cast<SInt16>(which);
    switch (params->selector) {
    case kPlugGetInfo: return EffectGetInfos(theWhich, params);
    case kPlugInitialize: return EffectBegins(theWhich, params);
    case kPlugFilePlaceHolder: return MakeEffectPlaceHolders(theWhich, params);
    case kPlugDoFrame: return EffectDrives(theWhich, params);
    case kPlugTerminate: return EffectEnds(theWhich, params);
    case kPlugCustomButtonClick: return CustomButtons(theWhich, params);
    default: return kPluginOK;
    }
}
