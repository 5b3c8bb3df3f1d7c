// The colour box: a custom control painted in its value, 0x00RRGGBB, that opens the colour picker.
#pragma once

#include "dlgUtils.h"

#include "CarbonEvents.h"
#include "Controls.h"


OSStatus RegisterColorBox();
void UnregisterColorBox();

void ColorBoxDraw(const Rect& theRect, const RGBColor& theColor);
// True with outColor set when the user chose a colour; false and outColor untouched otherwise.
Boolean UseColorPicker(Point theOrigin, ConstStr255Param thePrompt, const RGBColor& theStartColor,
                       RGBColor* outColor);
OSStatus ColorBoxControlHandler(EventHandlerCallRef theCallRef, EventRef theEvent, void* theData);
