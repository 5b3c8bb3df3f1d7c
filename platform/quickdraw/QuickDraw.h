// QuickDraw: offscreen pixel buffers, ports, copying, drawing and the 16-bit random generator.
//
// Pixels are 32 bits in memory order alpha, red, green, blue on every processor. A buffer's
// bounds always start at (0, 0); rows may be padded. A buffer made by NewGWorldFromPtr over
// someone else's memory may hold red, green, blue, alpha instead; its pixelFormat says which.
// Drawing and CopyBits always write alpha, red, green, blue.
#pragma once

#include "MacTypes.h"

typedef struct OpaqueGrafPort* CGrafPtr;
typedef CGrafPtr GrafPtr;
typedef CGrafPtr GWorldPtr;
typedef struct OpaqueGDevice** GDHandle;
typedef struct OpaqueRgn** RgnHandle;
typedef UInt32 GWorldFlags;
typedef UInt8 Style;

// The fields common to every bit image; a PixMap begins with them.
struct BitMap {
    Ptr baseAddr;
    SInt32 rowBytes;
    Rect bounds;
};

struct PixMap {
    Ptr baseAddr;
    SInt32 rowBytes;
    Rect bounds;
    SInt16 pixelSize;
    SInt16 cmpCount;
    SInt16 cmpSize;
    OSType pixelFormat;
};
typedef PixMap* PixMapPtr;
typedef PixMapPtr* PixMapHandle;

struct FontInfo {
    SInt16 ascent;
    SInt16 descent;
    SInt16 widMax;
    SInt16 leading;
};

enum : OSType {
    // Pixel formats: the byte order of a pixel in memory
    k32ARGBPixelFormat = 0x00000020,
    k32RGBAPixelFormat = FOUR_CHAR_CODE("RGBA")
};

enum {
    // GWorldFlags
    pixPurge = 1 << 0,
    noNewDevice = 1 << 1,
    useTempMem = 1 << 2,
    keepLocal = 1 << 3,
    pixelsPurgeable = 1 << 6,
    pixelsLocked = 1 << 7
};

enum {
    // Transfer modes
    srcCopy = 0,
    srcOr = 1,
    srcXor = 2,
    srcBic = 3,
    patCopy = 8,
    patOr = 9,
    patXor = 10,
    patBic = 11
};

enum {
    // Text faces
    normal = 0,
    bold = 1,
    italic = 2
};

enum {
    // Font numbers; every number draws the one baked face.
    systemFont = 0,
    applFont = 1,
    kFontIDGeneva = 3
};

enum {
    qdNoMemoryErr = -108
};

extern "C" {

// Offscreen buffers
OSErr NewGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect, void* cTable,
                GDHandle aGDevice, GWorldFlags flags);
// A buffer over memory the caller owns and keeps until DisposeGWorld, which leaves it alone.
OSErr NewGWorldFromPtr(GWorldPtr* offscreenGWorld, OSType pixelFormat, const Rect* boundsRect, void* cTable,
                       GDHandle aGDevice, GWorldFlags flags, Ptr newBuffer, SInt32 rowBytes);
void DisposeGWorld(GWorldPtr offscreenGWorld);
PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);
PixMapHandle GetPortPixMap(CGrafPtr port);
Ptr GetPixBaseAddr(PixMapHandle pm);
SInt32 GetPixRowBytes(PixMapHandle pm);
Rect* GetPixBounds(PixMapHandle pm, Rect* bounds);
SInt16 GetPixDepth(PixMapHandle pm);
GWorldFlags GetPixelsState(PixMapHandle pm);
void SetPixelsState(PixMapHandle pm, GWorldFlags state);
Boolean LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
Rect* GetPortBounds(CGrafPtr port, Rect* rect);
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);

// Current port and device
void GetGWorld(CGrafPtr* port, GDHandle* gdh);
void SetGWorld(CGrafPtr port, GDHandle gdh);
void GetPort(GrafPtr* port);
void SetPort(GrafPtr port);
GDHandle GetMainDevice(void);

// Copying
void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect, SInt16 mode,
              RgnHandle maskRgn);

// Colours and pen of the current port
void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void GetBackColor(RGBColor* color);
void PenMode(SInt16 mode);
void PenSize(SInt16 width, SInt16 height);
void PenNormal(void);
void ClipRect(const Rect* r);
void GetClip(Rect* r);

// Shapes in the current port, drawn with the foreground colour (erase: background colour)
void MoveTo(SInt16 h, SInt16 v);
void Move(SInt16 dh, SInt16 dv);
void LineTo(SInt16 h, SInt16 v);
void GetPen(Point* pt);
void FrameRect(const Rect* r);
void PaintRect(const Rect* r);
void EraseRect(const Rect* r);
void InvertRect(const Rect* r);
void FrameOval(const Rect* r);
void PaintOval(const Rect* r);
void EraseOval(const Rect* r);
void InvertOval(const Rect* r);
void FrameRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
void PaintRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);

// Text in the current port (Mac Roman), drawn at the pen, which advances
void TextFont(SInt16 font);
void TextSize(SInt16 size);
void TextFace(Style face);
void DrawString(ConstStr255Param s);
void DrawText(const void* textBuf, SInt16 firstByte, SInt16 byteCount);
void DrawChar(SInt16 ch);
SInt16 StringWidth(ConstStr255Param s);
SInt16 TextWidth(const void* textBuf, SInt16 firstByte, SInt16 byteCount);
void GetFontInfo(FontInfo* info);

// Rectangles and points
void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void OffsetRect(Rect* r, SInt16 dh, SInt16 dv);
void InsetRect(Rect* r, SInt16 dh, SInt16 dv);
Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dstRect);
void UnionRect(const Rect* src1, const Rect* src2, Rect* dstRect);
Boolean PtInRect(Point pt, const Rect* r);
Boolean EmptyRect(const Rect* r);
Boolean EqualRect(const Rect* rect1, const Rect* rect2);
void SetPt(Point* pt, SInt16 h, SInt16 v);

// The 16-bit pseudo-random generator: seed = seed * 16807 mod (2^31 - 1), seed 1 at start.
SInt16 Random(void);
SInt32 GetQDGlobalsRandomSeed(void);
void SetQDGlobalsRandomSeed(SInt32 randomSeed);

}
