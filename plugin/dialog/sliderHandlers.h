// The live preview of the configuration dialog and its sliders.
#pragma once

#include "Controls.h"
#include "MacWindows.h"

// Renders the workspace's previewed frame into theFXClip and has the frame-region control redraw it.
void ReRenderAndBlit();
// Fetches the host frames for preview frame theVal, then renders; currFrameIndex must already hold it.
void AccessRenderAndBlit(SInt32 theVal);
// The clip slider's live action: previews the frame the slider points at.
void ClipSliderAction(ControlRef theControl, ControlPartCode thePart);
// "k/max" next to the clip slider.
void ShowFrameText(SInt32 theFrame);
// Binds the effect sliders and the clip slider of a freshly opened window.
void SetupSliders(WindowRef theWindow);
