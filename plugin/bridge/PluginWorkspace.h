// The configuration dialog's working state, shared by the controller, the preview and the
// frame-region control, which the toolbox calls separately.
#pragma once

#include "DataHandling.h"
#include "HIToolboxTypes.h"

struct pluginWorkSpace {
    pluginDataPtr theConfig;
    void* iMovieParams;
    GWorldPtr sourceClip;
    GWorldPtr theOtherClip;
    GWorldPtr theFXClip;
    SInt32 currFrameIndex;
    SInt32 minFrameIndex;
    SInt32 maxFrameIndex;
    SInt32 wid;
    SInt32 hig;
    SInt16 activeRel;
    ControlRef theFrameCtrl;
    OneBasedArray<ControlRef, cNumSliders> sliders;
    ControlRef clipSlider;
    OneBasedArray<ControlRef, cNumColors> colors;
    WindowRef theWindow;
};

extern pluginWorkSpace gConfigWorkspace;
extern pluginDataPtr gTheConfig;

// The region being edited: startRel of the workspace's configuration.
relRect GetCurrentRel();
void PutCurrentRel(const relRect& theRel);
