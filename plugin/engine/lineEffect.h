// Keeps a configuration's rendered image in step with its source image.
#pragma once

#include "DataHandling.h"

void RenderLineArt(pluginDataPtr theConfig);
