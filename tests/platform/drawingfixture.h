// A white 64 x 48 GWorld made current for each test, with pixel access independent of byte order.
#pragma once

#include "QuickDraw.h"

#include <gtest/gtest.h>

#include <string>

constexpr RGBColor cBlack{0, 0, 0};
constexpr RGBColor cWhite{0xFFFF, 0xFFFF, 0xFFFF};
constexpr RGBColor cRed{0xFFFF, 0, 0};
constexpr RGBColor cBlue{0, 0, 0xFFFF};

// Pixels read as 0xAARRGGBB.
constexpr UInt32 cWhitePixel = 0xFFFFFFFF;
constexpr UInt32 cBlackPixel = 0xFF000000;
constexpr UInt32 cRedPixel = 0xFFFF0000;
constexpr UInt32 cBluePixel = 0xFF0000FF;

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const Rect theBounds{0, 0, 48, 64};
        ASSERT_EQ(NewGWorld(&mWorld, 32, &theBounds, nullptr, nullptr, 0), noErr);
        SetGWorld(mWorld, nullptr);
        RGBBackColor(&cWhite);
        EraseRect(&theBounds);
        RGBForeColor(&cBlack);
    }

    void TearDown() override { DisposeGWorld(mWorld); }

    UInt8* PixelBytes(int h, int v) const
    {
        PixMapHandle thePixMap = GetGWorldPixMap(mWorld);
        return reinterpret_cast<UInt8*>(GetPixBaseAddr(thePixMap)) + v * GetPixRowBytes(thePixMap) + 4 * h;
    }

    UInt32 Pixel(int h, int v) const
    {
        const UInt8* theBytes = PixelBytes(h, v);
        return UInt32(theBytes[0]) << 24 | UInt32(theBytes[1]) << 16 | UInt32(theBytes[2]) << 8 | theBytes[3];
    }

    // FNV-1a over every pixel's bytes in memory order, row padding excluded.
    UInt32 Checksum() const
    {
        Rect theBounds;
        GetPortBounds(mWorld, &theBounds);
        UInt32 theHash = 2166136261u;
        for (int v = 0; v < theBounds.bottom; ++v) {
            for (int i = 0; i < 4 * theBounds.right; ++i) theHash = (theHash ^ PixelBytes(0, v)[i]) * 16777619u;
        }
        return theHash;
    }

    // The image as text, one character a pixel ('.' white, '#' anything else), for failure messages.
    std::string Picture() const
    {
        std::string thePicture = "\n";
        for (int v = 0; v < 48; ++v) {
            for (int h = 0; h < 64; ++h) thePicture += Pixel(h, v) == cWhitePixel ? '.' : '#';
            thePicture += '\n';
        }
        return thePicture;
    }

    GWorldPtr mWorld = nullptr;
};
