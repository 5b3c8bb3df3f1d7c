// The colour picker: a modal window with red, green and blue sliders, a swatch and a hex field.
#pragma once

#include "HIToolboxTypes.h"

typedef void* CMProfileHandle;
typedef void* UserEventUPP;
typedef void* ColorChangedUPP;

struct CMRGBColor {
    UInt16 red;
    UInt16 green;
    UInt16 blue;
};

union CMColor {
    CMRGBColor rgb;
};

struct PMColor {
    CMProfileHandle profile;
    CMColor color;
};

struct PickerMenuItemInfo {
    SInt16 editMenuID;
    SInt16 undoItem;
    SInt16 cutItem;
    SInt16 copyItem;
    SInt16 pasteItem;
    SInt16 clearItem;
};

struct NColorPickerInfo {
    PMColor theColor;
    CMProfileHandle dstProfile;
    UInt32 flags;
    SInt16 placeWhere;
    Point dialogOrigin;
    OSType pickerType;
    UserEventUPP eventProc;
    ColorChangedUPP colorProc;
    UInt32 colorProcData;
    Str255 prompt;
    PickerMenuItemInfo mInfo;
    Boolean newColorChosen;
    UInt8 reserved;
};

enum {
    kDefaultColorPickerWidth = 383,
    kAtSpecifiedOrigin = 0,
    kDeviceCenterPosition = 1,
    kDefaultPickerType = 0
};

extern "C" {

// Runs the picker from theColor.color.rgb. On OK: newColorChosen true and the colour in
// theColor.color.rgb (the starting colour exactly, when left unchanged). On Cancel:
// newColorChosen false and the record unchanged. The result is noErr either way.
OSErr NPickColor(NColorPickerInfo* theColorInfo);

}
