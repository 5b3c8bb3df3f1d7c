// Choosing the backend.
#include "Processes.h"
#include "ToolboxDisplay.h"
#include "backend.h"

#include <string>

using namespace toolbox_internal;

namespace {

std::string lgDisplayProblem;
GlintDisplayLostProcPtr lgDisplayLostProc = nullptr;

} // namespace

namespace toolbox_internal {

void DisplayLost()
{
    if (lgDisplayLostProc) lgDisplayLostProc();
    ExitToShell();
}

} // namespace toolbox_internal

extern "C" {

Boolean GlintUseDisplay(void)
{
    if (!CurrentBackend().IsHeadless()) return true;
    lgDisplayProblem.clear();
    Backend* theDisplay = OpenDisplayBackend(lgDisplayProblem);
    if (!theDisplay) return false;
    UseBackend(theDisplay);
    return true;
}

Boolean GlintOpenVisibleDisplay(void)
{
    lgDisplayProblem.clear();
    return OpenVisibleVideo(lgDisplayProblem);
}

Boolean GlintDisplayInUse(void)
{
    return !CurrentBackend().IsHeadless();
}

const char* GlintDisplayProblem(void)
{
    return lgDisplayProblem.c_str();
}

void GlintSetDisplayLostProc(GlintDisplayLostProcPtr theProc)
{
    lgDisplayLostProc = theProc;
}

} // extern "C"
