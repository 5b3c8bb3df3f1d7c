#include "DissolveMap.h"

#include "LumaMap.h"

#include <cstring>
#include <mutex>
#include <new>

namespace {

// The engine's generator and memory stand-ins are process-wide in this module.
std::mutex lgEngineLock;

// The engine counts pixels in 16 bits.
constexpr uint32_t cLargestSide = 16384;

} // namespace

uint32_t PadMapWidth(uint32_t theWidth)
{
    return theWidth + (theWidth & 1);
}

std::vector<uint16_t> MakeMapLevels(int32_t theWhich, int32_t theFrames, uint32_t theWidth, uint32_t theHeight)
{
    std::vector<uint16_t> theLevels;
    const size_t thePitch = PadMapWidth(theWidth);
    try {
        theLevels.resize(thePitch * theHeight);
    } catch (const std::bad_alloc&) {
        return {};
    }
    // The region is left to the effect: outside it Out never shows new, even at its end state.
    const LumaRequest theRequest{SInt32(theWidth), SInt32(theHeight), theFrames, SInt32(theWhich), {0.0, 1.0, 0.0, 1.0}};
    size_t theRow = 0;
    std::lock_guard<std::mutex> theLock(lgEngineLock);
    const bool theMade = MakeLumaMap(theRequest, [&](const UInt16* theRowLevels) {
        std::memcpy(&theLevels[theRow++ * thePitch], theRowLevels, theWidth * sizeof(uint16_t));
        return true;
    });
    if (!theMade) return {};
    return theLevels;
}

bool PrepareDissolveMap(DissolveMap& ioMap, int32_t theWhich, int32_t theFrames, uint32_t theWidth,
                        uint32_t theHeight)
{
    if (ioMap.texture && ioMap.which == theWhich && ioMap.frames == theFrames && ioMap.width == theWidth &&
        ioMap.height == theHeight)
        return true;
    ReleaseDissolveMap(ioMap);
    if (theWidth == 0 || theHeight == 0 || theWidth > cLargestSide || theHeight > cLargestSide) return false;
    const std::vector<uint16_t> theLevels = MakeMapLevels(theWhich, theFrames, theWidth, theHeight);
    if (theLevels.empty()) return false;
    const uint8_t* theData = reinterpret_cast<const uint8_t*>(theLevels.data());
    ioMap.texture = gs_texture_create(PadMapWidth(theWidth), theHeight, GS_R16, 1, &theData, 0);
    if (!ioMap.texture) return false;
    ioMap = DissolveMap{ioMap.texture, theWhich, theFrames, theWidth, theHeight};
    return true;
}

void ReleaseDissolveMap(DissolveMap& ioMap)
{
    if (ioMap.texture) gs_texture_destroy(ioMap.texture);
    ioMap = DissolveMap{};
}
