#include "clipCTRL.h"

#include "PluginWorkspace.h"

// Until the preview's ReRenderAndBlit is linked in, flip the control's value as it does, so
// the toolbox redraws the control. Replace the body with ReRenderAndBlit().
void ReRenderForRegion()
{
    ControlRef theControl = gConfigWorkspace.theFrameCtrl;
    if (!theControl) return;
    SetControl32BitValue(theControl, static_cast<UInt32>(GetControl32BitValue(theControl)) > 0 ? 0 : 1);
}
