#include "referencekernels.h"

#include "pixellib.h"
#include "testbuffers.h"

#include <cstring>

using namespace testing_support;

void ReferenceFXPixel(ReferenceTransition theTransition, GWorldPtr sourceLeft, GWorldPtr sourceRight, GWorldPtr dest,
                      const Rect& activeRect, bool copyRest, const pluginDataRec& theConfig, SInt32 frameNum)
{
    const pixRec theFill{255, UInt8(theConfig.colors[1].red >> 8), UInt8(theConfig.colors[1].green >> 8),
                         UInt8(theConfig.colors[1].blue >> 8)};
    for (int r = 0; r < Height(sourceRight); ++r) {
        for (int c = 0; c < Width(sourceRight); ++c) {
            pixRec theLeft, theRight, theOut{};
            intRec theCell;
            std::memcpy(&theLeft, PixelAt(sourceLeft, r, c), 4);
            std::memcpy(&theRight, PixelAt(sourceRight, r, c), 4);
            std::memcpy(&theCell, PixelAt(theConfig.theMask, r, c), 4);
            bool inside = r >= activeRect.top && r < activeRect.bottom && c >= activeRect.left && c < activeRect.right;
            if (!inside) {
                if (copyRest) std::memcpy(PixelAt(dest, r, c), &theRight, 4);
                continue;
            }
            SInt32 t = theCell.num1;
            switch (theTransition) {
            case ReferenceTransition::Cross:
                theOut = t > frameNum ? theLeft : theRight;
                break;
            case ReferenceTransition::In:
                theOut = t > frameNum ? theFill : theRight;
                theOut.alpha = 255;
                break;
            case ReferenceTransition::Out:
                theOut = t < frameNum ? theFill : theLeft;
                theOut.alpha = 255;
                break;
            }
            std::memcpy(PixelAt(dest, r, c), &theOut, 4);
        }
    }
}
