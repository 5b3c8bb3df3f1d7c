#include "TestPatternClips.h"

UInt32 TestPatternClips::PatternPixel(SInt32 theFrameNumber, bool theClipB, int theRow, int theColumn, int theWidth,
                                       int theHeight)
{
    // Clip A: warm diagonal bands moving right; clip B: cool checkerboard moving down.
    const int x = theColumn * 256 / (theWidth > 0 ? theWidth : 1);
    const int y = theRow * 256 / (theHeight > 0 ? theHeight : 1);
    if (!theClipB) {
        const UInt32 theBand = UInt32((x + y + theFrameNumber * 4) & 0xFF);
        return 0xFF000000u | (0xC0u + (theBand >> 2)) << 16 | theBand << 8 | 0x20u;
    }
    const bool theDark = (((x + theFrameNumber * 2) / 32) ^ ((y + theFrameNumber * 3) / 32)) & 1;
    return theDark ? 0xFF103070u : 0xFF60C0E0u;
}

bool TestPatternClips::DrawFrame(SInt32 theFrameNumber, GWorldPtr theFrame, std::string& outError)
{
    if (theFrameNumber < 0 || theFrameNumber >= mLengthA + mLengthB) {
        outError = "no frame " + std::to_string(theFrameNumber) + " in the movie";
        return false;
    }
    const bool theClipB = theFrameNumber >= mLengthA;
    const SInt32 theClipFrame = theClipB ? theFrameNumber - mLengthA : theFrameNumber;
    PixMapHandle thePixMap = GetGWorldPixMap(theFrame);
    Rect theBounds;
    GetPortBounds(theFrame, &theBounds);
    for (int r = 0; r < theBounds.bottom; ++r) {
        UInt8* theRow = reinterpret_cast<UInt8*>(GetPixBaseAddr(thePixMap)) + r * GetPixRowBytes(thePixMap);
        for (int c = 0; c < theBounds.right; ++c) {
            const UInt32 thePixel = PatternPixel(theClipFrame, theClipB, r, c, theBounds.right, theBounds.bottom);
            theRow[4 * c] = UInt8(thePixel >> 24);
            theRow[4 * c + 1] = UInt8(thePixel >> 16);
            theRow[4 * c + 2] = UInt8(thePixel >> 8);
            theRow[4 * c + 3] = UInt8(thePixel);
        }
    }
    return true;
}
