// Synthetic clips: moving test patterns that differ between clip A and clip B.
#pragma once

#include "ClipFrames.h"

class TestPatternClips : public ClipFrames {
public:
    TestPatternClips(SInt32 theLengthA, SInt32 theLengthB) : mLengthA(theLengthA), mLengthB(theLengthB) {}
    SInt32 ClipALength() const override { return mLengthA; }
    SInt32 ClipBLength() const override { return mLengthB; }
    bool DrawFrame(SInt32 theFrameNumber, GWorldPtr theFrame, std::string& outError) override;

    // The pattern's pixel (memory order A, R, G, B packed as 0xAARRGGBB) at a position.
    static UInt32 PatternPixel(SInt32 theFrameNumber, bool theClipB, int theRow, int theColumn, int theWidth,
                               int theHeight);

private:
    SInt32 mLengthA, mLengthB;
};
