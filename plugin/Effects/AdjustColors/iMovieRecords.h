// The records the editor and its plug-ins exchange: the parameter block that comes with every
// call, the callback table, the info records and the one-byte enumerations. The host is a
// 32-bit process, so on the 32-bit targets every size and offset below is what it reads.
#pragma once

#include "Files.h"
#include "QuickDraw.h"

#include <cstddef>

typedef UInt8 HYPluginSelector;
inline constexpr HYPluginSelector kPlugGetInfo = 1;
inline constexpr HYPluginSelector kPlugInitialize = 2;
inline constexpr HYPluginSelector kPlugDrawIcon = 3;
inline constexpr HYPluginSelector kPlugDrawThumbNail = 4;
inline constexpr HYPluginSelector kPlugFilePlaceHolder = 5;
inline constexpr HYPluginSelector kPlugDoFrame = 6;
inline constexpr HYPluginSelector kPlugCallOnceWithInitAndTerminate = 7;
inline constexpr HYPluginSelector kPlugTerminate = 8;
inline constexpr HYPluginSelector kPlugCustomButtonClick = 9;

typedef UInt8 HYPluginResult;
inline constexpr HYPluginResult kPluginOK = 0;
inline constexpr HYPluginResult kPluginCancel = 1;
inline constexpr HYPluginResult kPluginFinished = 2;
inline constexpr HYPluginResult kPluginBadParams = 3;
inline constexpr HYPluginResult kPluginOutOfMemory = 4;
inline constexpr HYPluginResult kPluginOutOfDiskSpace = 5;
inline constexpr HYPluginResult kPluginFailed = 6;
inline constexpr HYPluginResult kPluginCantGetNeededFrame = 7;
inline constexpr HYPluginResult kPluginUnimplemented = 8;
inline constexpr HYPluginResult kPluginTryAgainLater = 9;
inline constexpr HYPluginResult kPluginAppIsTooOld = 10;
inline constexpr HYPluginResult kPluginAppIsTooNew = 11;

typedef UInt8 HYPluginType;
inline constexpr HYPluginType kPluginUnknownType = 0;
inline constexpr HYPluginType kPluginTitleType = 101;
inline constexpr HYPluginType kPluginTransitionBeforeType = 102;
inline constexpr HYPluginType kPluginTransitionBetweenType = 103;
inline constexpr HYPluginType kPluginTransitionAfterType = 104;
inline constexpr HYPluginType kPluginFilterType = 105;

typedef UInt8 HYTitleType;
inline constexpr HYTitleType kTitleUnknown = 1;
inline constexpr HYTitleType kTitleSingleTextPair = 2;
inline constexpr HYTitleType kTitleMultiTextPair = 3;
inline constexpr HYTitleType kTitleTextBlock = 4;

typedef UInt8 HYPluginDirection;
inline constexpr HYPluginDirection kPluginDirectionNone = 0;
inline constexpr HYPluginDirection kPluginDirectionUp = 1;
inline constexpr HYPluginDirection kPluginDirectionDown = 2;
inline constexpr HYPluginDirection kPluginDirectionLeft = 3;
inline constexpr HYPluginDirection kPluginDirectionRight = 4;

typedef UInt8 HYTitleJustification;
inline constexpr HYTitleJustification kTitleJustCenter = 0;
inline constexpr HYTitleJustification kTitleJustLeft = 1;
inline constexpr HYTitleJustification kTitleJustRight = 2;

typedef UInt8 HYRefDVQuality;
inline constexpr HYRefDVQuality kDVLowQuality = 0;
inline constexpr HYRefDVQuality kDVHighQuality = 1;
inline constexpr HYRefDVQuality kDVHighQualitySingleField = 2;

typedef UInt8 HYRefDigitalVideoStandard;
inline constexpr HYRefDigitalVideoStandard kRefUnknownStandard = 0;
inline constexpr HYRefDigitalVideoStandard kRefNTSCStandard = 1;
inline constexpr HYRefDigitalVideoStandard kRefPALStandard = 2;

typedef UInt8 HYRefClipType;
inline constexpr HYRefClipType kRefUnknownClipType = 0;
inline constexpr HYRefClipType kRefRegularClipType = 1;
inline constexpr HYRefClipType kRefTransitionClipType = 2;
inline constexpr HYRefClipType kRefTitleClipType = 3;
inline constexpr HYRefClipType kRefImageClipType = 4;
inline constexpr HYRefClipType kRefBlackClipType = 5;
inline constexpr HYRefClipType kRefPanZoomClipType = 6;

typedef UInt32 HYPluginChoiceFlags;
typedef struct OpaqueHYPluginInstance* HYPluginInstance;
typedef void* HYFrameCookie;

struct HYPluginGetInfo {
    HYPluginType pluginType;
    HYTitleType titleType;
    HYPluginChoiceFlags pluginFlags;
    SInt32 framesToBeRendered;
    SInt32 takeFromClipBefore;
    SInt32 takeFromClipAfter;
    SInt32 minSpeedFrames;
    SInt32 maxSpeedFrames;
    Boolean mustTakeFromSingleClips;
    SInt32 bestThumbOffset;
    RGBColor defaultColor;
    HYPluginDirection defaultDirection;
    HYTitleJustification justify;
    SInt16 defaultFontNum;
    SInt16 defaultFontSize;
};

struct HYPluginFilterSliderInfo {
    char label[128];
    char minLabel[128];
    char maxLabel[128];
    float defaultValue;
};

struct HY2PluginGetInfo {
    char group[128];
    HYPluginFilterSliderInfo filterSliders[3];
    SInt32 defaultFadeInFrames;
    SInt32 defaultFadeOutFrames;
    SInt32 minHangFrames;
    SInt32 maxHangFrames;
    float defaultFontSizeScale;
    SInt32 selectedFrames;
    SInt32 speedFrames;
    SInt32 hangFrames;
    SInt32 baseMemoryNeeded;
};

struct HYPluginFileOpenInfo {
    SInt16 typeCount;
    Handle hTypes;
    FSSpec chosenFile;
};

struct HY3PluginGetInfo {
    float defaultX;
    float defaultY;
    float userX;
    float userY;
    HYPluginFileOpenInfo fileInfo;
    char buttonTitle[32];
};

struct HY4PluginGetInfo {
    HYPluginFilterSliderInfo titleSliders[1];
};

struct HY2PluginTransitionInfo {
    HYPluginDirection direction;
};

struct HYPluginTransitionInfo {
    float speed;
    HY2PluginTransitionInfo ver2;
};

struct HY2PluginClipInfo {
    Boolean backwards;
    SInt16 frameSpeed;
    SInt32 fadeInFrames;
    SInt32 fadeOutFrames;
};

struct HYRefClip {
    HYRefClipType clipType;
    char name[128];
    HYRefDigitalVideoStandard standard;
    SInt32 frameCount;
    SInt32 in;
    SInt32 out;
    FSSpec fileSpec;
    SInt32 absoluteStartFrame;
};

struct HY4PluginClipInfo {
    SInt32 clipFrame;
    HYRefClip clipRef;
};

struct HYPluginClipInfo {
    SInt16 volume;
    Boolean fadeIn;
    Boolean fadeOut;
    char name[256];
    HY2PluginClipInfo ver2;
    HY4PluginClipInfo ver4;
};

// The callback table. Slots the plug-in never calls keep only their result type.
struct HYProcs {
    Ptr (*NewPtr)(SInt32 theSize);
    Ptr (*NewPtrClear)(void);
    void (*DisposePtr)(Ptr thePtr);
    void (*ptocstr)(void);
    void (*ctopstr)(void);
    void (*pstrcpy)(void);
    char* (*strcpy)(void);
    UInt32 (*strlen)(void);
    void (*GetLocalizedString)(void);
    HYPluginResult (*GetFrame)(HYPluginInstance theInstance, SInt32 theFrameNumber, GWorldPtr* theFrame, SInt16 theWidth,
                               SInt16 theHeight, HYRefDVQuality theQuality, SInt16* theVolume, HYFrameCookie* theCookie);
    HYPluginResult (*ReleaseFrame)(HYPluginInstance theInstance, HYFrameCookie theCookie);
    HYPluginResult (*GetAudioFrame)(void);
    HYPluginResult (*ReleaseAudioFrame)(void);
    HYPluginResult (*GetMovieInfo)(void);
    HYPluginResult (*GetClipInfo)(HYPluginInstance theInstance, SInt32 theWhich, HYPluginClipInfo* theInfo);
    HYPluginResult (*SetClipInfo)(HYPluginInstance theInstance, HYPluginClipInfo* theInfo);
    HYPluginResult (*Blit)(PixMap* theSource, PixMap* theDest, const Rect* theSourceRect, const Rect* theDestRect,
                           SInt32 theMode);
    HYPluginResult (*FillRect)(void);
    HYPluginResult (*TextBounds)(void);
    HYPluginResult (*DrawText)(void);
    HYPluginResult (*GetTitleInfo)(void);
    HYPluginResult (*ReleaseTitleInfo)(void);
    HYPluginResult (*GetTransitionInfo)(HYPluginInstance theInstance, HYPluginTransitionInfo** theInfo);
    HYPluginResult (*ReleaseTransitionInfo)(HYPluginInstance theInstance, HYPluginTransitionInfo* theInfo);
    HYPluginResult (*MixAudio)(HYPluginInstance theInstance, HYFrameCookie theCookie, SInt16 theLevel);
    HYPluginResult (*GetFilterInfo)(void);
    HYPluginResult (*ReleaseFilterInfo)(void);
    float (*StringWidth)(void);
    HYPluginResult (*CGDrawText)(void);
    float (*CGStringWidth)(void);
};

struct _PluginParams {
    SInt16 interfaceVersion;
    HYPluginInstance instance;
    HYPluginSelector selector;
    HYProcs* procs;
    HYPluginGetInfo getInfo;
    SInt32 startFrame;
    SInt32 renderFrame;
    SInt32 frameCount;
    Boolean proxyOnly;
    Rect frameRect;
    GWorldPtr frame;
    void* clientData;
    HY2PluginGetInfo getInfo2;
    HY3PluginGetInfo getInfo3;
    HY4PluginGetInfo getInfo4;
};
typedef _PluginParams HYPluginParams;

// The plug-in's one entry point.
typedef SInt32 (*HYPluginMainProc)(SInt32 which, HYPluginParams* params);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(_PluginParams) == 1940);
static_assert(sizeof(HYPluginGetInfo) == 48);
static_assert(sizeof(HY2PluginGetInfo) == 1328);
static_assert(sizeof(HY3PluginGetInfo) == 128);
static_assert(sizeof(HY4PluginGetInfo) == 388 && sizeof(HYPluginFilterSliderInfo) == 388);
static_assert(sizeof(HYPluginFileOpenInfo) == 80);
static_assert(sizeof(HYProcs) == 120);
static_assert(sizeof(HYPluginTransitionInfo) == 8);
static_assert(sizeof(HYPluginClipInfo) == 496);
static_assert(sizeof(HY2PluginClipInfo) == 12);
static_assert(sizeof(HY4PluginClipInfo) == 224);
static_assert(sizeof(HYRefClip) == 220);

static_assert(offsetof(_PluginParams, instance) == 4 && offsetof(_PluginParams, selector) == 8);
static_assert(offsetof(_PluginParams, procs) == 12 && offsetof(_PluginParams, getInfo) == 16);
static_assert(offsetof(_PluginParams, startFrame) == 64 && offsetof(_PluginParams, renderFrame) == 68);
static_assert(offsetof(_PluginParams, frameCount) == 72 && offsetof(_PluginParams, proxyOnly) == 76);
static_assert(offsetof(_PluginParams, frameRect) == 78 && offsetof(_PluginParams, frame) == 88);
static_assert(offsetof(_PluginParams, clientData) == 92 && offsetof(_PluginParams, getInfo2) == 96);
static_assert(offsetof(_PluginParams, getInfo3) == 1424 && offsetof(_PluginParams, getInfo4) == 1552);
static_assert(offsetof(_PluginParams, getInfo2.group) == 96);
static_assert(offsetof(_PluginParams, getInfo2.filterSliders[0].label) == 224);
static_assert(offsetof(_PluginParams, getInfo2.filterSliders[1].minLabel) == 352 + 388);
static_assert(offsetof(_PluginParams, getInfo2.filterSliders[2].maxLabel) == 480 + 2 * 388);
static_assert(offsetof(_PluginParams, getInfo2.filterSliders[0].defaultValue) == 608);
static_assert(offsetof(_PluginParams, getInfo2.filterSliders[1].defaultValue) == 996);
static_assert(offsetof(_PluginParams, getInfo2.filterSliders[2].defaultValue) == 1384);
static_assert(offsetof(_PluginParams, getInfo3.buttonTitle) == 1520);

static_assert(offsetof(HYPluginGetInfo, pluginFlags) == 4 && offsetof(HYPluginGetInfo, framesToBeRendered) == 8);
static_assert(offsetof(HYPluginGetInfo, takeFromClipBefore) == 12 && offsetof(HYPluginGetInfo, takeFromClipAfter) == 16);
static_assert(offsetof(HYPluginGetInfo, minSpeedFrames) == 20 && offsetof(HYPluginGetInfo, maxSpeedFrames) == 24);
static_assert(offsetof(HYPluginGetInfo, mustTakeFromSingleClips) == 28 && offsetof(HYPluginGetInfo, bestThumbOffset) == 32);
static_assert(offsetof(HYPluginGetInfo, defaultColor) == 36 && offsetof(HYPluginGetInfo, defaultDirection) == 42);
static_assert(offsetof(HYPluginGetInfo, justify) == 43 && offsetof(HYPluginGetInfo, defaultFontNum) == 44);
static_assert(offsetof(HYPluginGetInfo, defaultFontSize) == 46);

static_assert(offsetof(HY2PluginGetInfo, filterSliders) == 128 && offsetof(HY2PluginGetInfo, defaultFadeInFrames) == 1292);
static_assert(offsetof(HY2PluginGetInfo, defaultFontSizeScale) == 1308 && offsetof(HY2PluginGetInfo, baseMemoryNeeded) == 1324);
static_assert(offsetof(HYPluginFilterSliderInfo, minLabel) == 128 && offsetof(HYPluginFilterSliderInfo, maxLabel) == 256);
static_assert(offsetof(HYPluginFilterSliderInfo, defaultValue) == 384);
static_assert(offsetof(HY3PluginGetInfo, fileInfo) == 16 && offsetof(HY3PluginGetInfo, buttonTitle) == 96);
static_assert(offsetof(HYPluginFileOpenInfo, hTypes) == 4 && offsetof(HYPluginFileOpenInfo, chosenFile) == 8);
static_assert(offsetof(HYPluginTransitionInfo, ver2) == 4);

static_assert(offsetof(HYPluginClipInfo, fadeIn) == 2 && offsetof(HYPluginClipInfo, fadeOut) == 3);
static_assert(offsetof(HYPluginClipInfo, name) == 4 && offsetof(HYPluginClipInfo, ver2) == 260);
static_assert(offsetof(HYPluginClipInfo, ver2.fadeInFrames) == 264 && offsetof(HYPluginClipInfo, ver2.fadeOutFrames) == 268);
static_assert(offsetof(HYPluginClipInfo, ver4) == 272);
static_assert(offsetof(HY2PluginClipInfo, frameSpeed) == 2);
static_assert(offsetof(HY4PluginClipInfo, clipRef) == 4);
static_assert(offsetof(HYRefClip, name) == 1 && offsetof(HYRefClip, standard) == 129);
static_assert(offsetof(HYRefClip, frameCount) == 132 && offsetof(HYRefClip, in) == 136 && offsetof(HYRefClip, out) == 140);
static_assert(offsetof(HYRefClip, fileSpec) == 144 && offsetof(HYRefClip, absoluteStartFrame) == 216);
static_assert(offsetof(HYProcs, GetFrame) == 36 && offsetof(HYProcs, Blit) == 64);
static_assert(offsetof(HYProcs, GetTransitionInfo) == 88 && offsetof(HYProcs, MixAudio) == 96);
static_assert(offsetof(HYProcs, CGStringWidth) == 116);
#endif
