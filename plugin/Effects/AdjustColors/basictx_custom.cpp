#include "basictx.h"

HYPluginResult CustomButtons(SInt16, HYPluginParams*)
{
    return kPluginOK;
}
