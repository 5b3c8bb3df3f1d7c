#include "EffectBridge.h"

#include "PluginWorkspace.h"
#include "callpixelfx.h"
#include "clipCTRL.h"
#include "colorCTRL.h"
#include "commonprocs.h"
#include "configdlghandler.h"
#include "iMovieGlue.h"
#include "pictCTRL.h"
#include "pixeleffect.h"

void ConfigurePlugIn(void* theData, GWorldPtr theGW, HYPluginParams* params, SInt32 firstFrameIndex,
                     SInt32 numberOfFrames, SInt16 which)
{
    Assert(theData, PSTR("uninited theData in Configure master proc. need to call init before calling me"));
    Assert(theGW, PSTR("uninited theGW in Configure master proc"));
    gTheConfig = static_cast<pluginDataPtr>(theData);
    gTheConfig->which = which;

    const SInt32 theCount = numberOfFrames < 1 ? 1 : numberOfFrames;
    gConfigWorkspace.theConfig = gTheConfig;
    gConfigWorkspace.sourceClip = theGW;
    gConfigWorkspace.iMovieParams = params;
    gConfigWorkspace.currFrameIndex = 0;
    gConfigWorkspace.minFrameIndex = firstFrameIndex;
    gConfigWorkspace.maxFrameIndex = theCount - 1;
    gConfigWorkspace.activeRel = 1;

    const Rect theRect = GetPortRect(theGW);
    GetDims(theRect, &gConfigWorkspace.wid, &gConfigWorkspace.hig);
    GWorldPtr theProcessed = AllocateRectGWorld(theRect);
    Assert(theProcessed, PSTR("Unable to allocate theProcessed in ConfigurePlug Init run"));
    gConfigWorkspace.theFXClip = theProcessed;
    InitPixelEffect(gTheConfig, theCount, static_cast<SInt16>(gConfigWorkspace.wid),
                    static_cast<SInt16>(gConfigWorkspace.hig));
    gConfigWorkspace.theOtherClip = AllocateRectGWorld(theRect);
    Assert(gConfigWorkspace.theOtherClip, PSTR("Unable to allocate theOtherClip in ConfigurePlugin"));
    if (which == 3) (void)GetFrameIntoGW(gConfigWorkspace.theOtherClip, params, firstFrameIndex + theCount, 1);
    CallPixelEffect(theGW, gConfigWorkspace.theFXClip);

    // The interface file's window is made of these classes.
    RegisterColorBox();
    RegisterClipCTRL();
    RegisterPictureControl();
    DoConfig(gTheConfig);
    UnregisterClipCTRL();
    UnregisterColorBox();
    UnregisterPictureControl();

    ShutdownPixelEffect(gTheConfig);
    DisposeGWorld(gConfigWorkspace.theFXClip);
    DisposeGWorld(gConfigWorkspace.theOtherClip);
    gConfigWorkspace.theFXClip = nullptr;
    gConfigWorkspace.theOtherClip = nullptr;
    gConfigWorkspace.sourceClip = nullptr;
}
