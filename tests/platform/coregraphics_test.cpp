#include "CoreGraphics.h"
#include "MacMemory.h"
#include "MemoryFaults.h"

#include "cgtesting.h"
#include "testbuffers.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

using namespace testing_support;

namespace {

constexpr UInt32 cRed = 0xFFFF0000, cGreen = 0xFF00FF00, cBlue = 0xFF0000FF, cWhite = 0xFFFFFFFF;

// Runs theDrawing on a context over the buffer and closes the context again.
template <typename F>
void DrawInto(GWorldPtr theGW, F theDrawing)
{
    CGContextRef theContext = nullptr;
    ASSERT_EQ(QDBeginCGContext(theGW, &theContext), noErr);
    theDrawing(theContext);
    ASSERT_EQ(QDEndCGContext(theGW, &theContext), noErr);
    EXPECT_EQ(theContext, nullptr);
}

using CGImages = CGBalanced;
using CGContexts = CGBalanced;
using CGResampling = CGBalanced;

} // namespace

TEST_F(CGImages, RetainReleaseAndCopies)
{
    ImageOwner theImage = MakeImage(5, 3, PatternPixel);
    ASSERT_NE(theImage, nullptr);
    EXPECT_EQ(CGImageGetWidth(theImage.get()), 5u);
    EXPECT_EQ(CGImageGetHeight(theImage.get()), 3u);
    EXPECT_EQ(CFGetRetainCount(theImage.get()), 1);
    EXPECT_EQ(CGImageRetain(theImage.get()), theImage.get());
    EXPECT_EQ(CFGetRetainCount(theImage.get()), 2);
    CGImageRelease(theImage.get());
    EXPECT_EQ(CFGetRetainCount(theImage.get()), 1);

    std::vector<UInt32> theExpected;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c) theExpected.push_back(PatternPixel(r, c));
    EXPECT_EQ(ImagePixels(theImage.get()), theExpected);

    ImageOwner theCopy(CGImageCreateCopy(theImage.get()));
    ASSERT_NE(theCopy, nullptr);
    EXPECT_NE(theCopy.get(), theImage.get());
    EXPECT_EQ(CFGetRetainCount(theImage.get()), 1);
    EXPECT_EQ(CFGetRetainCount(theCopy.get()), 1);
    theImage.reset();
    EXPECT_EQ(CGImageGetWidth(theCopy.get()), 5u);
    EXPECT_EQ(ImagePixels(theCopy.get()), theExpected);

    // Null references are ignored, as the platform does.
    CGImageRelease(nullptr);
    CGContextRelease(nullptr);
    CGColorSpaceRelease(nullptr);
    EXPECT_EQ(CGImageCreateCopy(nullptr), nullptr);
    EXPECT_EQ(CGImageGetWidth(nullptr), 0u);
}

TEST_F(CGImages, FailedAllocationsGiveNull)
{
    ImageOwner theImage = MakeImage(2, 2, PatternPixel);
    GWorldOwner theGW = MakeGWorld(2, 2);
    CGColorSpaceRef theSpace = CGColorSpaceCreateDeviceRGB();
    CGContextRef theContext = nullptr;
    ASSERT_EQ(QDBeginCGContext(theGW.get(), &theContext), noErr);

    SetAllocationFailureAfter(0);
    EXPECT_EQ(CGImageCreateCopy(theImage.get()), nullptr);
    EXPECT_EQ(CGBitmapContextCreateImage(theContext), nullptr);
    EXPECT_EQ(CGColorSpaceCreateDeviceRGB(), nullptr);
    std::vector<UInt8> theMemory(16);
    EXPECT_EQ(CGBitmapContextCreate(theMemory.data(), 2, 2, 8, 8, theSpace, kCGImageAlphaPremultipliedFirst), nullptr);
    CGContextRef theSecond = reinterpret_cast<CGContextRef>(1);
    EXPECT_EQ(QDBeginCGContext(theGW.get(), &theSecond), memFullErr);
    EXPECT_EQ(theSecond, nullptr);
    // Drawing needs a little scratch memory; without it nothing is drawn.
    CGContextDrawImage(theContext, CGRectMake(0, 0, 2, 2), theImage.get());
    SetAllocationFailureAfter(-1);
    EXPECT_EQ(Pixels(theGW.get()), std::vector<UInt32>(4, 0));

    EXPECT_EQ(QDEndCGContext(theGW.get(), &theContext), noErr);
    CGColorSpaceRelease(theSpace);
}

TEST_F(CGContexts, BitmapContextsTakeOnlyPremultipliedAlphaFirst)
{
    CGColorSpaceRef theSpace = CGColorSpaceCreateDeviceRGB();
    std::vector<UInt8> theMemory(4 * 12 * 3);
    struct Case {
        const char* what;
        void* data;
        size_t width, height, bitsPerComponent, bytesPerRow;
        CGColorSpaceRef space;
        CGBitmapInfo info;
        bool accepted;
    } theCases[] = {
        {"padded rows", theMemory.data(), 10, 3, 8, 48, theSpace, kCGImageAlphaPremultipliedFirst, true},
        {"big-endian order", theMemory.data(), 12, 3, 8, 48, theSpace,
         kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big, true},
        {"host order on little-endian", theMemory.data(), 12, 3, 8, 48, theSpace,
         kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, false},
        {"alpha last", theMemory.data(), 12, 3, 8, 48, theSpace, kCGImageAlphaPremultipliedLast, false},
        {"unpremultiplied", theMemory.data(), 12, 3, 8, 48, theSpace, kCGImageAlphaFirst, false},
        {"16 bits", theMemory.data(), 6, 3, 16, 48, theSpace, kCGImageAlphaPremultipliedFirst, false},
        {"rows too short", theMemory.data(), 13, 3, 8, 48, theSpace, kCGImageAlphaPremultipliedFirst, false},
        {"no width", theMemory.data(), 0, 3, 8, 48, theSpace, kCGImageAlphaPremultipliedFirst, false},
        {"no memory", nullptr, 12, 3, 8, 48, theSpace, kCGImageAlphaPremultipliedFirst, false},
        {"no colour space", theMemory.data(), 12, 3, 8, 48, nullptr, kCGImageAlphaPremultipliedFirst, false},
    };
    for (const Case& theCase : theCases) {
        CGContextRef theContext = CGBitmapContextCreate(theCase.data, theCase.width, theCase.height,
                                                        theCase.bitsPerComponent, theCase.bytesPerRow, theCase.space,
                                                        theCase.info);
        EXPECT_EQ(theContext != nullptr, theCase.accepted) << theCase.what;
        if (!theContext) continue;
        EXPECT_EQ(CFGetRetainCount(theSpace), 2) << "a context keeps its colour space";
        CGContextRelease(theContext);
    }
    EXPECT_EQ(CFGetRetainCount(theSpace), 1);
    CGColorSpaceRelease(theSpace);

    GWorldOwner theEmpty = MakeGWorld(0, 0);
    CGContextRef theContext = reinterpret_cast<CGContextRef>(1);
    EXPECT_EQ(QDBeginCGContext(theEmpty.get(), &theContext), paramErr);
    EXPECT_EQ(theContext, nullptr);
    EXPECT_EQ(QDBeginCGContext(nullptr, &theContext), paramErr);
}

TEST_F(CGContexts, BitmapContextImagesCopyTheMemory)
{
    // 2 x 2 pixels in rows of 12 bytes: the padding must not reach the image.
    std::vector<UInt8> theMemory = {1, 2, 3, 4, 5, 6, 7, 8, 99, 99, 99, 99, 9, 10, 11, 12, 13, 14, 15, 16, 99, 99, 99, 99};
    CGColorSpaceRef theSpace = CGColorSpaceCreateDeviceRGB();
    CGContextRef theContext =
        CGBitmapContextCreate(theMemory.data(), 2, 2, 8, 12, theSpace, kCGImageAlphaPremultipliedFirst);
    ASSERT_NE(theContext, nullptr);
    ImageOwner theImage(CGBitmapContextCreateImage(theContext));
    theMemory[0] = 77;
    CGContextRelease(theContext);
    CGColorSpaceRelease(theSpace);
    EXPECT_EQ(ImagePixels(theImage.get()), (std::vector<UInt32>{0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10}));
}

TEST_F(CGContexts, PortOriginIsBottomLeftAndStatesNest)
{
    ImageOwner theRed = MakeImage(1, 1, [](int, int) { return cRed; });
    ImageOwner theGreen = MakeImage(1, 1, [](int, int) { return cGreen; });
    GWorldOwner theGW = MakeGWorld(4, 3);
    DrawInto(theGW.get(), [&](CGContextRef theContext) {
        CGContextDrawImage(theContext, CGRectMake(0, 0, 1, 1), theRed.get());
        CGContextSaveGState(theContext);
        CGContextTranslateCTM(theContext, 2, 1);
        CGContextDrawImage(theContext, CGRectMake(0, 0, 1, 1), theRed.get());
        CGContextSaveGState(theContext);
        CGContextTranslateCTM(theContext, 1, 1);
        CGContextRestoreGState(theContext);
        CGContextDrawImage(theContext, CGRectMake(1, 0, 1, 1), theGreen.get());
        CGContextRestoreGState(theContext);
        CGContextDrawImage(theContext, CGRectMake(3, 2, 1, 1), theGreen.get());
        CGContextFlush(theContext);
    });
    EXPECT_EQ(Pixels(theGW.get()), (std::vector<UInt32>{0, 0, 0, cGreen, //
                                                        0, 0, cRed, cGreen, //
                                                        cRed, 0, 0, 0}));

    // A context is closed only on the port it was opened on.
    GWorldOwner theOther = MakeGWorld(4, 3);
    CGContextRef theContext = nullptr;
    ASSERT_EQ(QDBeginCGContext(theGW.get(), &theContext), noErr);
    EXPECT_EQ(QDEndCGContext(theOther.get(), &theContext), paramErr);
    EXPECT_NE(theContext, nullptr);
    EXPECT_EQ(QDEndCGContext(theGW.get(), &theContext), noErr);
}

TEST_F(CGContexts, RotationTurnsCounterclockwiseAfterTheTranslation)
{
    GWorldOwner theGW = MakeGWorld(4, 4);
    FillColor(theGW.get(), cWhite);
    DrawInto(theGW.get(), [&](CGContextRef theContext) {
        CGContextTranslateCTM(theContext, 3, 0);
        CGContextRotateCTM(theContext, std::numbers::pi_v<float> / 2);
        // (0, 0)-(2, 1) turned a quarter about (3, 0): x from 2 to 3, y from 0 to 2.
        CGContextClearRect(theContext, CGRectMake(0, 0, 2, 1));
    });
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(ReadARGB(theGW.get(), r, c), c == 2 && r >= 2 ? 0u : cWhite) << "row " << r << " column " << c;
}

TEST_F(CGContexts, TranslucentImagesCompositeOver)
{
    ImageOwner theHalfRed = MakeImage(1, 1, [](int, int) { return 0x80800000u; });
    GWorldOwner theGW = MakeGWorld(1, 1);
    FillColor(theGW.get(), cBlue);
    DrawInto(theGW.get(), [&](CGContextRef theContext) {
        CGContextDrawImage(theContext, CGRectMake(0, 0, 1, 1), theHalfRed.get());
    });
    EXPECT_EQ(ReadARGB(theGW.get(), 0, 0), 0xFF80007Fu);
}

TEST_F(CGResampling, EnlargingInterpolatesAndHoldsTheEdges)
{
    ImageOwner theImage = MakeImage(2, 1, [](int, int c) { return c == 0 ? 0xFF000000u : cWhite; });
    GWorldOwner theGW = MakeGWorld(8, 1);
    DrawInto(theGW.get(), [&](CGContextRef theContext) {
        CGContextDrawImage(theContext, CGRectMake(0, 0, 8, 1), theImage.get());
    });
    const int theExpected[] = {0, 0, 32, 96, 159, 223, 255, 255};
    for (int c = 0; c < 8; ++c) {
        const UInt32 theGrey = UInt32(theExpected[c]);
        EXPECT_EQ(ReadARGB(theGW.get(), 0, c), 0xFF000000u | theGrey << 16 | theGrey << 8 | theGrey) << c;
    }
}

TEST_F(CGResampling, ReducingAveragesInsteadOfPicking)
{
    ImageOwner theChecker = MakeImage(16, 16, [](int r, int c) { return (r + c) % 2 ? cWhite : 0xFF000000u; });
    GWorldOwner theGW = MakeGWorld(4, 4);
    DrawInto(theGW.get(), [&](CGContextRef theContext) {
        CGContextDrawImage(theContext, CGRectMake(0, 0, 4, 4), theChecker.get());
    });
    for (int r = 1; r < 3; ++r)
        for (int c = 1; c < 3; ++c) {
            const UInt8* thePixel = PixelAt(theGW.get(), r, c);
            EXPECT_EQ(thePixel[0], 255);
            for (int k = 1; k < 4; ++k) EXPECT_NEAR(thePixel[k], 128, 1) << r << "," << c;
        }
}
