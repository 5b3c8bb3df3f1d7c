#include "mixerinstance.h"

#include "MacMemory.h"
#include "mixertiles.h"
#include "pixeleffect.h"

#include <cstring>
#include <mutex>
#include <new>

namespace {

// The engine and its platform keep process-wide state (the random seed, the memory manager's
// error) and were made for one calling thread; editors may render on several.
std::mutex lgEngineLock;

size_t CountInstanceTiles(const MixerInstance& theInstance)
{
    return CountTiles(theInstance.width, theInstance.height);
}

WideRect GetInstanceTile(const MixerInstance& theInstance, size_t theIndex)
{
    return GetTileRect(theInstance.width, theInstance.height, theIndex);
}

void DisposeMaps(MixerInstance* theInstance)
{
    if (!theInstance->maps) return;
    for (size_t i = 0; i < CountInstanceTiles(*theInstance); ++i) DisposeGWorld(theInstance->maps[i]);
    DisposePtr(reinterpret_cast<Ptr>(theInstance->maps));
    theInstance->maps = nullptr;
}

// The tiles' maps take their thresholds in turn from one run of the engine's generator, started
// at the pattern seed: a frame of one tile gets the map the engine makes for it, a larger one a
// pattern that is the same on every call. The generator's own seed is put back so that nothing
// else in the process sees a difference.
bool MakeMaps(MixerInstance* theInstance)
{
    const SInt32 theSeed = PatternSeedToRandomSeed(theInstance->settings.seed);
    if (theInstance->maps && theInstance->mapSeed == theSeed) return true;
    DisposeMaps(theInstance);
    const size_t theCount = CountInstanceTiles(*theInstance);
    theInstance->maps = reinterpret_cast<GWorldPtr*>(NewPtrClear(static_cast<Size>(theCount * sizeof(GWorldPtr))));
    if (!theInstance->maps) return false;
    theInstance->mapSeed = theSeed;

    pluginDataRec& theConfig = theInstance->settings.config;
    const SInt32 theSavedSeed = GetQDGlobalsRandomSeed();
    SetQDGlobalsRandomSeed(theSeed);
    bool theMade = true;
    for (size_t i = 0; i < theCount && theMade; ++i) {
        const WideRect theTile = GetInstanceTile(*theInstance, i);
        InitPixelEffect(&theConfig, cMaxThreshold, static_cast<SInt16>(theTile.right - theTile.left),
                        static_cast<SInt16>(theTile.bottom - theTile.top));
        theInstance->maps[i] = theConfig.theMask;
        theConfig.theMask = nullptr;
        theMade = theInstance->maps[i] != nullptr;
    }
    SetQDGlobalsRandomSeed(theSavedSeed);
    if (!theMade) DisposeMaps(theInstance);
    return theMade;
}

// A tile of a host's frame wrapped as a buffer in the frame's own byte order, without copying it.
GWorldPtr WrapTile(const MixerInstance& theInstance, const uint32_t* theFrame, const WideRect& theTile)
{
    Rect theBounds{0, 0, static_cast<SInt16>(theTile.bottom - theTile.top),
                   static_cast<SInt16>(theTile.right - theTile.left)};
    const uint32_t* theOrigin = theFrame + size_t(theTile.top) * theInstance.width + theTile.left;
    GWorldPtr theGW = nullptr;
    // The kernels only read the sources, so the host's const frames are never written.
    (void)NewGWorldFromPtr(&theGW, k32RGBAPixelFormat, &theBounds, nullptr, nullptr, 0,
                           reinterpret_cast<Ptr>(const_cast<uint32_t*>(theOrigin)),
                           static_cast<SInt32>(theInstance.width * 4));
    return theGW;
}

// A tile's first clip, second clip and output.
struct TileBuffers {
    GWorldPtr first;
    GWorldPtr second;
    GWorldPtr out;
};

void RenderTile(MixerInstance* theInstance, const TileBuffers& theBuffers, GWorldPtr theMap, const Rect& theRegion)
{
    pluginDataRec& theConfig = theInstance->settings.config;
    const SInt32 theFrame = FrameForProgress(theInstance->settings.progress, theConfig.which);
    theConfig.theMask = theMap;
    // With copyRest the kernels write every pixel of the output, so it needs no copy of a clip
    // first; outside the region Out keeps the first clip and In and Cross show the second.
    switch (theConfig.which) {
    case cTransitionOut:
        OutFXPixel(theBuffers.first, theBuffers.first, theBuffers.out, theRegion, true, &theConfig, theFrame,
                   cMaxThreshold);
        break;
    case cTransitionIn:
        InFXPixel(theBuffers.second, theBuffers.second, theBuffers.out, theRegion, true, &theConfig, theFrame,
                  cMaxThreshold);
        break;
    default:
        CrossFXPixel(theBuffers.first, theBuffers.second, theBuffers.out, theRegion, true, &theConfig, theFrame,
                     cMaxThreshold);
        break;
    }
    theConfig.theMask = nullptr;
}

// Every tile is wrapped before any is rendered, so that a failure leaves the host's frames as
// they were, even when the output is one of the clips.
bool RenderTiles(MixerInstance* theInstance, const uint32_t* theFirst, const uint32_t* theSecond, uint32_t* theOut)
{
    const size_t theCount = CountInstanceTiles(*theInstance);
    TileBuffers* theTiles = reinterpret_cast<TileBuffers*>(NewPtrClear(static_cast<Size>(theCount * sizeof(TileBuffers))));
    bool theWrapped = theTiles != nullptr;
    for (size_t i = 0; i < theCount && theWrapped; ++i) {
        const WideRect theTile = GetInstanceTile(*theInstance, i);
        theTiles[i] = TileBuffers{WrapTile(*theInstance, theFirst, theTile), WrapTile(*theInstance, theSecond, theTile),
                                  WrapTile(*theInstance, theOut, theTile)};
        theWrapped = theTiles[i].first && theTiles[i].second && theTiles[i].out;
    }
    if (theWrapped) {
        const WideRect theRegion =
            Rel2WideRect(theInstance->settings.config.startRel, theInstance->width, theInstance->height);
        for (size_t i = 0; i < theCount; ++i)
            RenderTile(theInstance, theTiles[i], theInstance->maps[i],
                       WideRect2TileRect(theRegion, GetInstanceTile(*theInstance, i)));
    }
    for (size_t i = 0; theTiles && i < theCount; ++i) {
        DisposeGWorld(theTiles[i].first);
        DisposeGWorld(theTiles[i].second);
        DisposeGWorld(theTiles[i].out);
    }
    DisposePtr(reinterpret_cast<Ptr>(theTiles));
    return theWrapped;
}

} // namespace

MixerInstance* NewMixerInstance(unsigned theWidth, unsigned theHeight)
{
    // The engine's buffers count a row's bytes in 32 bits.
    if (uint64_t(theWidth) * 4 > 0x7FFFFFFF || uint64_t(theWidth) * theHeight > SIZE_MAX / 4) return nullptr;
    MixerInstance* theInstance = new (std::nothrow) MixerInstance{};
    if (!theInstance) return nullptr;
    theInstance->width = theWidth;
    theInstance->height = theHeight;
    ResetMixerSettings(&theInstance->settings);
    return theInstance;
}

void DisposeMixerInstance(MixerInstance* theInstance)
{
    if (!theInstance) return;
    {
        std::lock_guard<std::mutex> theLock(lgEngineLock);
        DisposeMaps(theInstance);
    }
    delete theInstance;
}

void RenderMixerFrame(MixerInstance* theInstance, const uint32_t* theFirst, const uint32_t* theSecond, uint32_t* theOut)
{
    if (!theInstance || !theOut) return;
    const size_t thePixels = size_t(theInstance->width) * theInstance->height;
    // Out works on the first clip alone, In on the second alone; Cross needs both.
    const uint32_t* theOnly = theInstance->settings.config.which == cTransitionIn ? theSecond : theFirst;
    if (!theOnly) theOnly = theFirst ? theFirst : theSecond;
    if (!theOnly || thePixels == 0) return;

    std::lock_guard<std::mutex> theLock(lgEngineLock);
    if (MakeMaps(theInstance) &&
        RenderTiles(theInstance, theFirst ? theFirst : theOnly, theSecond ? theSecond : theOnly, theOut))
        return;
    // No memory for the maps or the buffers: the clip passes unchanged.
    if (theOut != theOnly) std::memcpy(theOut, theOnly, thePixels * 4);
}
