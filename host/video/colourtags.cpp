#include "colourtags.h"

namespace video {

AVColorSpace ColorSpaceForHeight(int theHeight)
{
    return theHeight >= 720 ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
}

int SettledPrimaries(int thePrimaries, int theHeight)
{
    if (thePrimaries != AVCOL_PRI_UNSPECIFIED && thePrimaries != AVCOL_PRI_RESERVED && thePrimaries != AVCOL_PRI_RESERVED0)
        return thePrimaries;
    return theHeight >= 720 ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M;
}

int SettledTransfer(int theTransfer, int theHeight)
{
    if (theTransfer != AVCOL_TRC_UNSPECIFIED && theTransfer != AVCOL_TRC_RESERVED && theTransfer != AVCOL_TRC_RESERVED0)
        return theTransfer;
    return theHeight >= 720 ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
}

int SettledMatrix(int theMatrix, int theHeight, bool theRgb)
{
    if (theRgb) return AVCOL_SPC_RGB;
    // A YUV picture tagged RGB lies about itself: read it as an untagged one.
    if (theMatrix == AVCOL_SPC_UNSPECIFIED || theMatrix == AVCOL_SPC_RESERVED || theMatrix == AVCOL_SPC_RGB)
        return ColorSpaceForHeight(theHeight);
    return theMatrix == AVCOL_SPC_BT470BG ? AVCOL_SPC_SMPTE170M : theMatrix;
}

} // namespace video
