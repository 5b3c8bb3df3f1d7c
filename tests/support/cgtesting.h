// Helpers for tests of CoreGraphics images: owners, pixel access and a reference-count check.
#pragma once

#include "CoreGraphics.h"
#include "CoreGraphicsHooks.h"
#include "testbuffers.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace testing_support {

struct ImageDeleter {
    void operator()(CGImage* theImage) const { CGImageRelease(theImage); }
};
using ImageOwner = std::unique_ptr<CGImage, ImageDeleter>;

// Every test of this fixture must give back every image, colour space and context it made.
class CGBalanced : public testing::Test {
protected:
    void SetUp() override { liveAtStart = CGLiveObjectCount(); }
    void TearDown() override { EXPECT_EQ(CGLiveObjectCount(), liveAtStart) << "CoreGraphics objects left alive"; }

private:
    long liveAtStart = 0;
};

// An image of the buffer's pixels, taken through a context on its port.
inline ImageOwner ImageOfGWorld(GWorldPtr theGW)
{
    CGContextRef theContext = nullptr;
    if (QDBeginCGContext(theGW, &theContext) != noErr) return nullptr;
    ImageOwner theImage(CGBitmapContextCreateImage(theContext));
    QDEndCGContext(theGW, &theContext);
    return theImage;
}

// An image of the given size with pixels theFunction(row, column) as 0xAARRGGBB.
template <typename F>
ImageOwner MakeImage(int theWidth, int theHeight, F theFunction)
{
    GWorldOwner theGW = MakeGWorld(theWidth, theHeight);
    Fill(theGW.get(), theFunction);
    return ImageOfGWorld(theGW.get());
}

// The image's pixels row by row, drawn unscaled onto transparent black.
inline std::vector<UInt32> ImagePixels(CGImageRef theImage)
{
    const int theWidth = int(CGImageGetWidth(theImage)), theHeight = int(CGImageGetHeight(theImage));
    GWorldOwner theGW = MakeGWorld(theWidth, theHeight);
    CGContextRef theContext = nullptr;
    if (QDBeginCGContext(theGW.get(), &theContext) != noErr) return {};
    CGContextDrawImage(theContext, CGRectMake(0, 0, CGFloat(theWidth), CGFloat(theHeight)), theImage);
    QDEndCGContext(theGW.get(), &theContext);
    return Pixels(theGW.get());
}

// A pattern of distinct pixels, some of them translucent (premultiplied, so no component exceeds alpha).
inline UInt32 PatternPixel(int theRow, int theColumn)
{
    const UInt32 theAlpha = (theRow + theColumn) % 3 == 0 ? 0x80 : 0xFF;
    const UInt32 theRed = (theRow * 37 + theColumn * 11) % (theAlpha + 1);
    const UInt32 theGreen = (theRow * 5 + theColumn * 71) % (theAlpha + 1);
    const UInt32 theBlue = (theRow * 93 + theColumn * 29) % (theAlpha + 1);
    return theAlpha << 24 | theRed << 16 | theGreen << 8 | theBlue;
}

}
