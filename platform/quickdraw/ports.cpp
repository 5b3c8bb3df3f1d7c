#include "grafport.h"

#include <cstring>

struct OpaqueGDevice {
    int unused;
};

namespace quickdraw_internal {

namespace {
CGrafPtr lgCurrentPort = nullptr;
GDHandle lgCurrentDevice = nullptr;
OpaqueGDevice lgMainDeviceRecord;
OpaqueGDevice* lgMainDevicePointer = &lgMainDeviceRecord;
}

CGrafPtr CurrentPort()
{
    return lgCurrentPort;
}

UInt32 PixelFromColor(const RGBColor& theColor)
{
    const UInt8 theBytes[4] = {0xFF, static_cast<UInt8>(theColor.red >> 8), static_cast<UInt8>(theColor.green >> 8),
                               static_cast<UInt8>(theColor.blue >> 8)};
    UInt32 thePixel;
    std::memcpy(&thePixel, theBytes, sizeof thePixel);
    return thePixel;
}

GDHandle MainDevice()
{
    return &lgMainDevicePointer;
}

void SetCurrent(CGrafPtr thePort, GDHandle theDevice)
{
    lgCurrentPort = CheckedPort(thePort);
    lgCurrentDevice = theDevice;
}

GDHandle CurrentDevice()
{
    return lgCurrentDevice;
}

} // namespace quickdraw_internal

using namespace quickdraw_internal;

extern "C" {

void GetGWorld(CGrafPtr* port, GDHandle* gdh)
{
    if (port) *port = CurrentPort();
    if (gdh) *gdh = CurrentDevice();
}

void SetGWorld(CGrafPtr port, GDHandle gdh)
{
    SetCurrent(port, gdh);
}

void GetPort(GrafPtr* port)
{
    *port = CurrentPort();
}

void SetPort(GrafPtr port)
{
    SetCurrent(port, CurrentDevice());
}

GDHandle GetMainDevice(void)
{
    return MainDevice();
}

void RGBForeColor(const RGBColor* color)
{
    if (CGrafPtr thePort = CurrentPort()) thePort->foreColor = *color;
}

void RGBBackColor(const RGBColor* color)
{
    if (CGrafPtr thePort = CurrentPort()) thePort->backColor = *color;
}

void GetForeColor(RGBColor* color)
{
    CGrafPtr thePort = CurrentPort();
    *color = thePort ? thePort->foreColor : RGBColor{0, 0, 0};
}

void GetBackColor(RGBColor* color)
{
    CGrafPtr thePort = CurrentPort();
    *color = thePort ? thePort->backColor : RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
}

void PenMode(SInt16 mode)
{
    if (CGrafPtr thePort = CurrentPort()) thePort->penMode = mode;
}

void PenSize(SInt16 width, SInt16 height)
{
    if (CGrafPtr thePort = CurrentPort()) thePort->penSize = Point{height, width};
}

void PenNormal(void)
{
    if (CGrafPtr thePort = CurrentPort()) {
        thePort->penSize = Point{1, 1};
        thePort->penMode = patCopy;
    }
}

void ClipRect(const Rect* r)
{
    if (CGrafPtr thePort = CurrentPort()) thePort->clip = *r;
}

void GetClip(Rect* r)
{
    CGrafPtr thePort = CurrentPort();
    *r = thePort ? thePort->clip : Rect{0, 0, 0, 0};
}

void MoveTo(SInt16 h, SInt16 v)
{
    if (CGrafPtr thePort = CurrentPort()) thePort->penLocation = Point{v, h};
}

void Move(SInt16 dh, SInt16 dv)
{
    if (CGrafPtr thePort = CurrentPort()) {
        thePort->penLocation.h = static_cast<SInt16>(thePort->penLocation.h + dh);
        thePort->penLocation.v = static_cast<SInt16>(thePort->penLocation.v + dv);
    }
}

void GetPen(Point* pt)
{
    CGrafPtr thePort = CurrentPort();
    *pt = thePort ? thePort->penLocation : Point{0, 0};
}

} // extern "C"
