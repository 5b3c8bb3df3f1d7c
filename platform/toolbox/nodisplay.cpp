// Builds for other processors have no display backend.
#include "backend.h"

namespace toolbox_internal {

Backend* OpenDisplayBackend()
{
    return nullptr;
}

} // namespace toolbox_internal
