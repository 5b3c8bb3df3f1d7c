#include "DataHandling.h"

void ResetConfig(pluginDataPtr theConfig, Boolean fullInit)
{
    InitRelRect(&theConfig->startRel);
    InitRelRect(&theConfig->endRel);
    theConfig->colors[1] = RGBColor{0, 0, 65535};
    theConfig->colors[2] = RGBColor{65535, 65535, 65535};
    for (int i = 3; i <= cNumColors; ++i) theConfig->colors[i] = RGBColor{0, 0, 0};
    theConfig->sliders[1] = 17;
    for (int i = 2; i <= cNumSliders; ++i) theConfig->sliders[i] = 0;
    theConfig->frameStartColor = RGBColor{65535, 0, 0};
    theConfig->mediaType = 1;
    theConfig->keepProps = false;
    theConfig->method = 1;
    if (fullInit) {
        // A fresh record owns nothing yet, so nothing is released.
        theConfig->theOriginalImage = nullptr;
        theConfig->theRendered = nullptr;
    }
}
