// The configuration file "Tamsel-Prefs": one 'Pref' resource holding a configSaveRec in the
// writing processor's byte order.
#pragma once

#include <stddef.h>
#include "DataHandling.h"

constexpr UInt32 cConfigSaveVersion = 3;

#pragma pack(push, 2)
struct configSaveRec {
    UInt32 sizeInBytes;
    UInt32 version;
    relRect startRel;
    relRect endRel;
    RGBColor colors[cNumColors];
    SInt16 sliders[cNumSliders];
    RGBColor frameStartColor;
    RGBColor frameEndColor;
    SInt16 mediaType;
    Boolean keepProps;
    UInt8 pad1;
    SInt16 method;
    Str255 miscString;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // The Intel compiler rounded the record up to 4 bytes; the PowerPC one did not.
    UInt8 pad2[2];
#endif
};
#pragma pack(pop)

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr UInt32 cConfigSaveSize = 396;
#else
constexpr UInt32 cConfigSaveSize = 394;
#endif

static_assert(sizeof(configSaveRec) == cConfigSaveSize, "configSaveRec is 396 bytes on Intel, 394 on PowerPC");
static_assert(offsetof(configSaveRec, version) == 4 && offsetof(configSaveRec, startRel) == 8 &&
                  offsetof(configSaveRec, endRel) == 40 && offsetof(configSaveRec, colors) == 72 &&
                  offsetof(configSaveRec, sliders) == 108 && offsetof(configSaveRec, frameStartColor) == 120 &&
                  offsetof(configSaveRec, frameEndColor) == 126 && offsetof(configSaveRec, mediaType) == 132 &&
                  offsetof(configSaveRec, keepProps) == 134 && offsetof(configSaveRec, method) == 136 &&
                  offsetof(configSaveRec, miscString) == 138,
              "configSaveRec field offsets");

// Creates the empty file in the preferences folder when it is missing.
void CreateConfigFile(void);
// Replaces the configuration resource; true when it was written.
Boolean SaveConfig(pluginDataPtr theConfig);
// True when a valid record was found and applied to theConfig.
Boolean ReadConfig(pluginDataPtr theConfig);
// Fills a handle of at least cConfigSaveSize bytes; false when either is null.
Boolean Config2Save(pluginDataPtr theConfig, Handle theSaveConfig);
// Applies a record of this processor's size and version; false (theConfig untouched) otherwise.
Boolean Save2Config(pluginDataPtr theConfig, Handle theSaveConfig);
