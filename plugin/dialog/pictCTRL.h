// The picture control: a white, outlined box showing the image its value refers to, if any.
#pragma once

#include "dlgUtils.h"

#include "CarbonEvents.h"
#include "Controls.h"
#include "CoreGraphics.h"


OSStatus RegisterPictureControl();
void UnregisterPictureControl();
OSStatus PictureControlHandler(EventHandlerCallRef theCallRef, EventRef theEvent, void* theData);

// A control value holds 32 bits: on 32-bit targets it is the image itself, on 64-bit ones a
// number standing for it. 0 is no image. The control never retains the image.
SInt32 PictureControlValueOf(CGImageRef theImage);
CGImageRef PictureControlImageOf(SInt32 theValue);
