// Process-wide state of the plug-in.
#pragma once

#include "DataHandling.h"

extern Boolean gEngineInited;
extern pluginDataPtr gMasterConfig;
extern SInt32 gMostRecentStartFrame;
extern SInt32 gMostRecentFrameCount;
