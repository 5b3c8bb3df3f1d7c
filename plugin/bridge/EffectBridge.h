// The narrow bridge between the host glue, which treats configurations as opaque blocks, and
// the effect engine.
#pragma once

#include "QuickDraw.h"

struct _PluginParams;

void InitEffectEngine();
void InitMyPlugIn(Ptr* theData);
void InitPluginData(void* theConfig);
void pGetConfigSize(UInt32* theSize);
void pCopyConfig(void* source, void* dest);
void pUncopyConfig(void* theData);
SInt16 GetMediaFormat(void* theData);
void DoEffect(void* myConfig, GWorldPtr theSource, GWorldPtr theTarget, SInt32 currentFrameIndex, SInt32 totalFrames,
              SInt16 transitionSelector);
Ptr pNewConfig();
void pDestroyConfig(Ptr theConfig);
// Runs the configuration dialog on the host frame theGW (the caller's, overwritten while the
// dialog previews) and returns when it has closed.
void ConfigurePlugIn(void* theData, GWorldPtr theGW, _PluginParams* params, SInt32 firstFrameIndex,
                     SInt32 numberOfFrames, SInt16 which);
