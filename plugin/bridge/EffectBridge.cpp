#include "EffectBridge.h"

#include "CoreGraphics.h"
#include "DataHandling.h"
#include "MacMemory.h"
#include "PluginDefines.h"
#include "callpixelfx.h"
#include "commonprocs.h"
#include "pixeleffect.h"
#include "prefsloader.h"

#include <cstring>

namespace {
// 144 bytes on the 32-bit hosts; the natural size of the record elsewhere.
constexpr UInt32 cConfigSize = sizeof(pluginDataRec);
}

void InitEffectEngine()
{
}

void InitMyPlugIn(Ptr* theData)
{
    Assert(*theData, PSTR("Unable to allocate new data structure"));
    // The host's allocator hands out uncleared memory; the reset leaves the map reference alone.
    std::memset(*theData, 0, cConfigSize);
    CreateConfigFile();
    InitPluginData(*theData);
}

void InitPluginData(void* theConfig)
{
    Assert(theConfig, PSTR("Nil theConfig on InitPluginData"));
    pluginDataPtr theData = static_cast<pluginDataPtr>(theConfig);
    ResetConfig(theData, true);
    (void)ReadConfig(theData);
    (void)SaveConfig(theData);
}

void pGetConfigSize(UInt32* theSize)
{
    *theSize = cConfigSize;
}

void pCopyConfig(void* source, void* dest)
{
    if (!source || !dest) return;
    if (GetPtrSize(static_cast<Ptr>(source)) != GetPtrSize(static_cast<Ptr>(dest)))
        Terminate(PSTR("Non-Matching Blocks"), PSTR("The Size of Source and Dest do not match"));
    std::memcpy(dest, source, cConfigSize);
    pluginDataPtr theSource = static_cast<pluginDataPtr>(source);
    pluginDataPtr theDest = static_cast<pluginDataPtr>(dest);
    if (theSource->theRendered) theDest->theRendered = CGImageCreateCopy(theSource->theRendered);
    theDest->theOriginalImage = nullptr;
    theDest->theMask = nullptr;
}

void pUncopyConfig(void* theData)
{
    Assert(theData, PSTR("Nil data in pUncopyConfig"));
    pluginDataPtr theConfig = static_cast<pluginDataPtr>(theData);
    if (theConfig->theRendered) {
        CGImageRelease(theConfig->theRendered);
        theConfig->theRendered = nullptr;
    }
    // The instance's threshold map ends with the instance; nothing else refers to it.
    ShutdownPixelEffect(theConfig);
}

SInt16 GetMediaFormat(void* theData)
{
    return theData ? static_cast<pluginDataPtr>(theData)->mediaType : 1;
}

void DoEffect(void* myConfig, GWorldPtr theSource, GWorldPtr theTarget, SInt32 currentFrameIndex, SInt32 totalFrames,
              SInt16 transitionSelector)
{
    Assert(myConfig, PSTR("uninited theData in Plugin Effect master proc. need to call init before calling me"));
    pluginDataPtr theConfig = static_cast<pluginDataPtr>(myConfig);
    theConfig->which = transitionSelector;

    CGrafPtr theSavedPort;
    GDHandle theSavedDevice;
    GetGWorld(&theSavedPort, &theSavedDevice);
    if (currentFrameIndex == 0) {
        SInt32 theWidth, theHeight;
        GetDims(GetPortRect(theTarget), &theWidth, &theHeight);
        InitPixelEffect(theConfig, totalFrames, static_cast<SInt16>(theWidth), static_cast<SInt16>(theHeight));
    }
    DoPixelEffect(theSource, theTarget, theConfig, currentFrameIndex, totalFrames);
    if (currentFrameIndex == totalFrames) ShutdownPixelEffect(theConfig);
    SetGWorld(theSavedPort, theSavedDevice);
}

Ptr pNewConfig()
{
    return NewPtrClear(cConfigSize);
}

void pDestroyConfig(Ptr theConfig)
{
    DisposePtr(theConfig);
}
