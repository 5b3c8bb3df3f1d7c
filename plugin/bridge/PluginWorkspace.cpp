#include "PluginWorkspace.h"

pluginWorkSpace gConfigWorkspace;
pluginDataPtr gTheConfig = nullptr;

relRect GetCurrentRel()
{
    return gConfigWorkspace.theConfig->startRel;
}

void PutCurrentRel(const relRect& theRel)
{
    gConfigWorkspace.theConfig->startRel = theRel;
}
