#include "sliderHandlers.h"

#include "PluginDefines.h"
#include "PluginWorkspace.h"
#include "callpixelfx.h"
#include "carbonmacros.h"
#include "commonprocs.h"
#include "iMovieGlue.h"

namespace {

constexpr OSType cClipSliderSig = FOUR_CHAR_CODE("ClpS");
constexpr OSType cFrameTextSig = FOUR_CHAR_CODE("ClpM");

bool IsCross()
{
    return gConfigWorkspace.theConfig->which == 3;
}

HYPluginParams* HostParams()
{
    return static_cast<HYPluginParams*>(gConfigWorkspace.iMovieParams);
}

} // namespace

void ShowFrameText(SInt32 theFrame)
{
    Str255 theText;
    Str255 theMax;
    Num2Text(theFrame, theText);
    AppendCStr(theText, "/");
    Num2Text(gConfigWorkspace.maxFrameIndex, theMax);
    AppendPStr(theText, theMax);
    SimpleSetControlText(gConfigWorkspace.theWindow, cFrameTextSig, 1, theText);
}

void ReRenderAndBlit()
{
    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);

    Source2Target(gConfigWorkspace.sourceClip, gConfigWorkspace.theFXClip);
    CallPixelEffect(IsCross() ? gConfigWorkspace.theOtherClip : gConfigWorkspace.sourceClip,
                    gConfigWorkspace.theFXClip);

    // The value means nothing; changing it is what makes the toolbox redraw the preview.
    ControlRef theFrameCtrl = gConfigWorkspace.theFrameCtrl;
    if (theFrameCtrl) SetControl32BitValue(theFrameCtrl, static_cast<UInt32>(GetControl32BitValue(theFrameCtrl)) > 0 ? 0 : 1);

    SetGWorld(theSavedPort, theSavedDevice);
}

void AccessRenderAndBlit(SInt32 theVal)
{
    GetFrameIntoGW(gConfigWorkspace.sourceClip, HostParams(), gConfigWorkspace.minFrameIndex + theVal, 1);
    if (IsCross()) {
        GetFrameIntoGW(gConfigWorkspace.theOtherClip, HostParams(),
                       gConfigWorkspace.minFrameIndex + gConfigWorkspace.maxFrameIndex + theVal, 1);
    }
    ReRenderAndBlit();
}

void ClipSliderAction(ControlRef theControl, ControlPartCode)
{
    const SInt32 theVal = GetControl32BitValue(theControl);
    gConfigWorkspace.currFrameIndex = theVal;
    ShowFrameText(theVal);
    AccessRenderAndBlit(theVal);
}

void SetupSliders(WindowRef theWindow)
{
    for (SInt16 i = 1; i <= cNumSliders; ++i) {
        ControlRef theSlider = SimpleGetControlByID(theWindow, FOUR_CHAR_CODE("Sldr"), i);
        Str255 theLocation;
        Str255 theNumber;
        CopyCStrToPStr("Cannot access slider ", theLocation);
        Num2Text(i, theNumber);
        AppendPStr(theLocation, theNumber);
        Assert(theSlider, theLocation);
        gConfigWorkspace.sliders[i] = theSlider;
        SimpleHideControl(theWindow, FOUR_CHAR_CODE("Sldr"), i);
        SimpleHideControl(theWindow, FOUR_CHAR_CODE("Lgnd"), i);
        SimpleHideControl(theWindow, FOUR_CHAR_CODE("Labl"), i);
    }

    ControlRef theClipSlider = SimpleGetControlByID(theWindow, cClipSliderSig, 1);
    Assert(theClipSlider, PSTR("Cannot access clip slider"));
    gConfigWorkspace.clipSlider = theClipSlider;
    SetControlAction(theClipSlider, NewControlActionUPP(ClipSliderAction));
    SetControl32BitMinimum(theClipSlider, 0);
    SetControl32BitMaximum(theClipSlider, gConfigWorkspace.maxFrameIndex);
    SetControl32BitValue(theClipSlider, gConfigWorkspace.currFrameIndex);
    ShowFrameText(gConfigWorkspace.currFrameIndex);
}
