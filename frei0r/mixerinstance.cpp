#include "mixerinstance.h"

#include "commonprocs.h"
#include "pixeleffect.h"

#include <cstring>
#include <mutex>
#include <new>

namespace {

// The engine and its platform keep process-wide state (the random seed, the memory manager's
// error) and were made for one calling thread; editors may render on several.
std::mutex lgEngineLock;

// The map is built from the engine's generator with the pattern seed; the generator's own seed
// is put back so that nothing else in the process sees a difference.
void MakeMap(MixerInstance* theInstance)
{
    const SInt32 theSeed = PatternSeedToRandomSeed(theInstance->settings.seed);
    if (theInstance->settings.config.theMask && theInstance->mapSeed == theSeed) return;
    const SInt32 theSavedSeed = GetQDGlobalsRandomSeed();
    SetQDGlobalsRandomSeed(theSeed);
    InitPixelEffect(&theInstance->settings.config, cMaxThreshold, static_cast<SInt16>(theInstance->width),
                    static_cast<SInt16>(theInstance->height));
    SetQDGlobalsRandomSeed(theSavedSeed);
    theInstance->mapSeed = theSeed;
}

// A frame of the host wrapped as a buffer in its own byte order, without copying it.
GWorldPtr WrapFrame(const MixerInstance& theInstance, const uint32_t* theFrame)
{
    Rect theBounds{0, 0, static_cast<SInt16>(theInstance.height), static_cast<SInt16>(theInstance.width)};
    GWorldPtr theGW = nullptr;
    // The kernels only read the sources, so the host's const frames are never written.
    (void)NewGWorldFromPtr(&theGW, k32RGBAPixelFormat, &theBounds, nullptr, nullptr, 0,
                           reinterpret_cast<Ptr>(const_cast<uint32_t*>(theFrame)),
                           static_cast<SInt32>(theInstance.width * 4));
    return theGW;
}

} // namespace

MixerInstance* NewMixerInstance(unsigned theWidth, unsigned theHeight)
{
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
        ShutdownPixelEffect(&theInstance->settings.config);
    }
    delete theInstance;
}

void RenderMixerFrame(MixerInstance* theInstance, const uint32_t* theFirst, const uint32_t* theSecond, uint32_t* theOut)
{
    if (!theInstance || !theOut) return;
    const size_t thePixels = size_t(theInstance->width) * theInstance->height;
    pluginDataRec& theConfig = theInstance->settings.config;
    // Out works on the first clip alone, In on the second alone; Cross needs both.
    const uint32_t* theOnly = theConfig.which == cTransitionIn ? theSecond : theFirst;
    if (!theOnly) theOnly = theFirst ? theFirst : theSecond;
    if (!theOnly) return;

    std::lock_guard<std::mutex> theLock(lgEngineLock);
    const bool theFits = theInstance->width <= 32767 && theInstance->height <= 32767;
    if (theFits) MakeMap(theInstance);
    GWorldPtr theA = theFits ? WrapFrame(*theInstance, theFirst ? theFirst : theOnly) : nullptr;
    GWorldPtr theB = theFits ? WrapFrame(*theInstance, theSecond ? theSecond : theOnly) : nullptr;
    GWorldPtr theDest = theFits ? WrapFrame(*theInstance, theOut) : nullptr;

    if (theConfig.theMask && theA && theB && theDest) {
        const Rect theRegion = Rel2Rect(theConfig.startRel, GetPortRect(theDest));
        const SInt32 theFrame = FrameForProgress(theInstance->settings.progress, theConfig.which);
        // With copyRest the kernels write every pixel of theOut, so it needs no copy of a clip
        // first; outside the region Out keeps the first clip and In and Cross show the second.
        switch (theConfig.which) {
        case cTransitionOut:
            OutFXPixel(theA, theA, theDest, theRegion, true, &theConfig, theFrame, cMaxThreshold);
            break;
        case cTransitionIn:
            InFXPixel(theB, theB, theDest, theRegion, true, &theConfig, theFrame, cMaxThreshold);
            break;
        default:
            CrossFXPixel(theA, theB, theDest, theRegion, true, &theConfig, theFrame, cMaxThreshold);
            break;
        }
    } else if (theOut != theOnly) {
        // No map (no memory, or a frame too large for the engine): the clip passes unchanged.
        std::memcpy(theOut, theOnly, thePixels * 4);
    }
    DisposeGWorld(theA);
    DisposeGWorld(theB);
    DisposeGWorld(theDest);
}
