// Choosing the backend.
#include "ToolboxDisplay.h"
#include "backend.h"

using namespace toolbox_internal;

extern "C" {

Boolean GlintUseDisplay(void)
{
    if (!CurrentBackend().IsHeadless()) return true;
    Backend* theDisplay = OpenDisplayBackend();
    if (!theDisplay) return false;
    UseBackend(theDisplay);
    return true;
}

Boolean GlintDisplayInUse(void)
{
    return !CurrentBackend().IsHeadless();
}

} // extern "C"
