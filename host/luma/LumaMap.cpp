#include "LumaMap.h"

#include "QuickDraw.h"
#include "pixeleffect.h"
#include "pixellib.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Rows of thresholds made at once: the generator runs through a strip as through the whole map.
constexpr SInt32 cStripRows = 64;

// The frame on which a pixel of threshold theThreshold first shows new inside the region: Cross
// and In show the new picture once the frame number has reached the threshold, Out once it has
// passed it.
SInt32 FirstNewFrame(SInt32 theWhich, UInt16 theThreshold)
{
    return theWhich == 1 ? SInt32(theThreshold) + 1 : SInt32(theThreshold);
}

} // namespace

LumaRegion ClipLumaRegion(const relRect& theRegion, SInt32 theWidth, SInt32 theHeight)
{
    Rect theFrame;
    SetRect(&theFrame, 0, 0, SInt16(theWidth), SInt16(theHeight));
    const Rect theRect = Rel2Rect(theRegion, theFrame);
    const SInt32 theLeft = std::clamp<SInt32>(theRect.left, 0, theWidth);
    const SInt32 theTop = std::clamp<SInt32>(theRect.top, 0, theHeight);
    return LumaRegion{theLeft, std::clamp<SInt32>(theRect.right, theLeft, theWidth), theTop,
                      std::clamp<SInt32>(theRect.bottom, theTop, theHeight)};
}

UInt16 LumaLevel(SInt32 theFrame, SInt32 theFrames)
{
    const SInt64 theLevel = 32768 * (2 * SInt64(theFrame) - 1) / theFrames;
    return UInt16(std::clamp<SInt64>(theLevel, 0, 65535));
}

UInt16 WipeLevel(SInt32 theIndex, SInt32 theFrames)
{
    return UInt16(std::clamp<SInt64>(65536 * SInt64(theIndex) / theFrames, 0, 65535));
}

bool MakeLumaMap(const LumaRequest& theRequest, const std::function<bool(const UInt16* theLevels)>& theRow)
{
    const SInt32 theWidth = theRequest.width, theHeight = theRequest.height;
    const LumaRegion theRegion = ClipLumaRegion(theRequest.region, theWidth, theHeight);
    // Outside the region a Cross shows the new clip at once and In its clip from the start (the
    // fill colour is the old picture); Out leaves its clip, the old picture, alone.
    const UInt16 theOutside = theRequest.which == 1 ? 65535 : 0;

    std::vector<UInt32> theCells(size_t(theWidth) * cStripRows);
    std::vector<UInt16> theLevels(static_cast<size_t>(theWidth));
    const SInt32 theSavedSeed = GetQDGlobalsRandomSeed();
    SetQDGlobalsRandomSeed(1);
    bool theGoingOn = true;
    for (SInt32 theTop = 0; theTop < theHeight && theGoingOn; theTop += cStripRows) {
        const SInt32 theStrip = std::min(cStripRows, theHeight - theTop);
        Rect theBounds;
        SetRect(&theBounds, 0, 0, SInt16(theWidth), SInt16(theStrip));
        GWorldPtr theMap = nullptr;
        if (NewGWorldFromPtr(&theMap, k32ARGBPixelFormat, &theBounds, nullptr, nullptr, 0,
                             reinterpret_cast<Ptr>(theCells.data()), theWidth * 4) != noErr || !theMap) {
            theGoingOn = false;
            break;
        }
        SetupRandomDoneFrame(theMap, theRequest.frames);
        DisposeGWorld(theMap);
        for (SInt32 r = 0; r < theStrip && theGoingOn; ++r) {
            const SInt32 theY = theTop + r;
            const bool theRowInside = theY >= theRegion.top && theY < theRegion.bottom;
            for (SInt32 c = 0; c < theWidth; ++c) {
                intRec theCell;
                std::memcpy(&theCell, &theCells[size_t(r) * theWidth + c], sizeof theCell);
                const bool theInside = theRowInside && c >= theRegion.left && c < theRegion.right;
                theLevels[c] = theInside ? LumaLevel(FirstNewFrame(theRequest.which, theCell.num1), theRequest.frames)
                                         : theOutside;
            }
            theGoingOn = theRow(theLevels.data());
        }
    }
    SetQDGlobalsRandomSeed(theSavedSeed);
    return theGoingOn;
}
