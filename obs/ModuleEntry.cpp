// The module OBS Studio loads as glintweave: registers the two transitions when its data is
// in place.
#include "DissolveTransition.h"

#include <util/platform.h>

OBS_DECLARE_MODULE()
OBS_MODULE_USE_DEFAULT_LOCALE("glintweave", "en-US")

MODULE_EXPORT const char* obs_module_description(void)
{
    return "Glintweave: a random-pixel dissolve between scenes";
}

MODULE_EXPORT bool obs_module_load(void)
{
    // Without its effect every transition would fail at creation: better not to offer them.
    char* theEffect = obs_module_file("glintweave.effect");
    const bool thePresent = theEffect && os_file_exists(theEffect);
    bfree(theEffect);
    if (!thePresent) {
        blog(LOG_ERROR, "[glintweave] glintweave.effect is missing from the module's data folder; not registering");
        return false;
    }
    const obs_source_info theDissolve = DescribeDissolve(false);
    const obs_source_info theColour = DescribeDissolve(true);
    obs_register_source(&theDissolve);
    obs_register_source(&theColour);
    return true;
}
