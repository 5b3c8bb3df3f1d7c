// Builds for other processors have no display backend.
#include "backend.h"

namespace toolbox_internal {

bool OpenVisibleVideo(std::string& outProblem)
{
    outProblem = "this build has no display support";
    return false;
}

Backend* OpenDisplayBackend(std::string& outProblem)
{
    outProblem = "this build has no display support";
    return nullptr;
}

} // namespace toolbox_internal
