// The effect configuration record shared by the host glue, the engine and the dialog.
#pragma once

#include "QuickDraw.h"
#include "relrects.h"

typedef struct CGImage* CGImageRef;

// A fixed array indexed from 1, laid out exactly like T[N].
template <typename T, int N>
struct OneBasedArray {
    T items[N];
    T& operator[](int theIndex) { return items[theIndex - 1]; }
    const T& operator[](int theIndex) const { return items[theIndex - 1]; }
};

constexpr int cNumSliders = 6;
constexpr int cNumColors = 6;

struct pluginDataRec {
    relRect startRel;
    relRect endRel;
    OneBasedArray<SInt16, cNumSliders> sliders;
    OneBasedArray<RGBColor, cNumColors> colors;
    RGBColor frameStartColor;
    RGBColor frameEndColor;
    SInt16 mediaType;
    SInt16 which;
    CGImageRef theOriginalImage;
    CGImageRef theRendered;
    Boolean keepProps;
    SInt16 method;
    GWorldPtr theMask;
};
typedef pluginDataRec* pluginDataPtr;

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(pluginDataRec) == 144, "the configuration record is 144 bytes on 32-bit hosts");
#endif

void ResetConfig(pluginDataPtr theConfig, Boolean fullInit);
