#include "Globals.h"

Boolean gEngineInited = false;
pluginDataPtr gMasterConfig = nullptr;
SInt32 gMostRecentStartFrame = 0;
SInt32 gMostRecentFrameCount = 0;
