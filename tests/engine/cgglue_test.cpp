#include "CGglue.h"
#include "DataHandling.h"
#include "commonprocs.h"
#include "lineEffect.h"

#include "cgtesting.h"
#include "testbuffers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numbers>
#include <vector>

using namespace testing_support;

namespace {

constexpr UInt32 cBlue = 0xFF0000FF, cRed = 0xFFFF0000, cGrey = 0xFF808080;

using CGglue = CGBalanced;
using RenderLineArtTest = CGBalanced;

pluginDataRec EmptyConfig()
{
    pluginDataRec theConfig;
    std::memset(&theConfig, 0, sizeof theConfig);
    ResetConfig(&theConfig, true);
    return theConfig;
}

} // namespace

TEST(QDRectToGCRect, FlipsTheVerticalAxisWithinTheFrame)
{
    struct Case {
        Rect rect, frame;
        CGRect expected;
    } theCases[] = {
        {{0, 0, 100, 200}, {0, 0, 480, 720}, CGRectMake(0, 380, 200, 100)},
        {{5, 6, 15, 26}, {10, 20, 110, 220}, CGRectMake(26, 95, 20, 10)},
    };
    for (const Case& theCase : theCases) {
        CGRect theResult = QDRectToGCRect(theCase.rect, theCase.frame);
        EXPECT_EQ(theResult.origin.x, theCase.expected.origin.x);
        EXPECT_EQ(theResult.origin.y, theCase.expected.origin.y);
        EXPECT_EQ(theResult.size.width, theCase.expected.size.width);
        EXPECT_EQ(theResult.size.height, theCase.expected.size.height);
    }
}

TEST_F(CGglue, ProportionalImageRectAndDims)
{
    ImageOwner theImage = MakeImage(640, 480, [](int, int) { return cBlue; });
    SInt32 theWidth = 0, theHeight = 0;
    GetImageDims(theImage.get(), &theWidth, &theHeight);
    EXPECT_EQ(theWidth, 640);
    EXPECT_EQ(theHeight, 480);
    Rect theResult = CalcProportionalImageForFrame(theImage.get(), Rect{0, 0, 480, 720});
    Rect theExpected{0, 0, 540, 720};
    EXPECT_TRUE(EqualRect(&theResult, &theExpected));
}

TEST_F(CGglue, DrawnImageComesBackUnchanged)
{
    // 13 pixels wide, so the buffer's rows are padded.
    GWorldOwner theSource = MakeGWorld(13, 7);
    Fill(theSource.get(), PatternPixel);
    ImageOwner theImage(GWorld2CGImage(theSource.get()));
    ASSERT_NE(theImage, nullptr);
    EXPECT_EQ(CFGetRetainCount(theImage.get()), 1);

    GWorldOwner theTarget = MakeGWorld(13, 7);
    FillColor(theTarget.get(), cRed);
    DrawCGImageInQDRect(theTarget.get(), theImage.get(), GetPortRect(theTarget.get()), 0.0f, true);
    EXPECT_EQ(Pixels(theTarget.get()), Pixels(theSource.get()));

    ImageOwner theBack(GWorld2CGImage(theTarget.get()));
    EXPECT_EQ(ImagePixels(theBack.get()), Pixels(theSource.get()));
    EXPECT_EQ(CFGetRetainCount(theImage.get()), 1);
}

TEST_F(CGglue, QuarterTurnsMoveTheMarkedCorner)
{
    constexpr int N = 6;
    ImageOwner theImage = MakeImage(N, N, [](int r, int c) { return r == 0 && c == 0 ? cRed : cBlue; });
    const float cPi = std::numbers::pi_v<float>;
    struct Case {
        float radiants;
        int row, column;
    } theCases[] = {{0, 0, 0}, {cPi / 2, N - 1, 0}, {cPi, N - 1, N - 1}, {-cPi / 2, 0, N - 1}, {3 * cPi / 2, 0, N - 1}};
    for (const Case& theCase : theCases) {
        GWorldOwner theGW = MakeGWorld(N, N);
        DrawCGImageInQDRect(theGW.get(), theImage.get(), GetPortRect(theGW.get()), theCase.radiants, true);
        for (int r = 0; r < N; ++r)
            for (int c = 0; c < N; ++c)
                EXPECT_EQ(ReadARGB(theGW.get(), r, c), r == theCase.row && c == theCase.column ? cRed : cBlue)
                    << theCase.radiants << " rad, row " << r << " column " << c;
    }
}

TEST_F(CGglue, ScaledDrawKeepsAFlatColourFlatToTheEdges)
{
    struct Case {
        int width, height;
        Rect target;
    } theCases[] = {
        {5, 3, {4, 3, 27, 39}},   // enlarged, unevenly
        {64, 48, {2, 5, 9, 12}},  // reduced
        {7, 7, {0, 0, 30, 40}},   // the whole buffer
        {1, 1, {10, 10, 11, 31}}, // one pixel stretched into a line
    };
    const UInt32 cColor = 0xFF0AC81E;
    for (const Case& theCase : theCases) {
        ImageOwner theImage = MakeImage(theCase.width, theCase.height, [&](int, int) { return cColor; });
        GWorldOwner theGW = MakeGWorld(40, 30);
        FillColor(theGW.get(), cGrey);
        DrawCGImageInQDRect(theGW.get(), theImage.get(), theCase.target, 0.0f, false);
        for (int r = 0; r < 30; ++r)
            for (int c = 0; c < 40; ++c) {
                Point thePoint{static_cast<SInt16>(r), static_cast<SInt16>(c)};
                EXPECT_EQ(ReadARGB(theGW.get(), r, c), PtInRect(thePoint, &theCase.target) ? cColor : cGrey)
                    << theCase.width << "x" << theCase.height << " row " << r << " column " << c;
            }
    }
}

TEST_F(CGglue, MissingImageDrawsNothing)
{
    GWorldOwner theGW = MakeGWorld(3, 3);
    FillColor(theGW.get(), cGrey);
    DrawCGImageInQDRect(theGW.get(), nullptr, GetPortRect(theGW.get()), 0.0f, true);
    EXPECT_EQ(Pixels(theGW.get()), std::vector<UInt32>(9, cGrey));
}

TEST_F(RenderLineArtTest, WithoutImagesLeavesBothEmpty)
{
    pluginDataRec theConfig = EmptyConfig();
    RenderLineArt(&theConfig);
    EXPECT_EQ(theConfig.theOriginalImage, nullptr);
    EXPECT_EQ(theConfig.theRendered, nullptr);
}

TEST_F(RenderLineArtTest, WithoutSourceReleasesTheRenderedImage)
{
    pluginDataRec theConfig = EmptyConfig();
    ImageOwner theRendered = MakeImage(4, 2, PatternPixel);
    theConfig.theRendered = CGImageRetain(theRendered.get());
    EXPECT_EQ(CFGetRetainCount(theRendered.get()), 2);
    RenderLineArt(&theConfig);
    EXPECT_EQ(theConfig.theRendered, nullptr);
    EXPECT_EQ(CFGetRetainCount(theRendered.get()), 1);
}

TEST_F(RenderLineArtTest, RendersTheSourceIntoANewImage)
{
    pluginDataRec theConfig = EmptyConfig();
    ImageOwner theSource = MakeImage(9, 5, [](int r, int c) { return 0xFF000000u | UInt32(r * 40) << 8 | UInt32(c * 20); });
    theConfig.theOriginalImage = theSource.get();
    RenderLineArt(&theConfig);
    ASSERT_NE(theConfig.theRendered, nullptr);
    ImageOwner theFirst(CGImageRetain(theConfig.theRendered));
    EXPECT_NE(theConfig.theRendered, theSource.get());
    EXPECT_EQ(CFGetRetainCount(theSource.get()), 1);
    EXPECT_EQ(CGImageGetWidth(theConfig.theRendered), 9u);
    EXPECT_EQ(CGImageGetHeight(theConfig.theRendered), 5u);
    EXPECT_EQ(ImagePixels(theConfig.theRendered), ImagePixels(theSource.get()));

    // Rendering again lets go of the previous rendering.
    RenderLineArt(&theConfig);
    EXPECT_EQ(CFGetRetainCount(theFirst.get()), 1);
    ASSERT_NE(theConfig.theRendered, nullptr);
    EXPECT_NE(theConfig.theRendered, theFirst.get());
    CGImageRelease(theConfig.theRendered);
}

TEST(CGglueDeathTest, MissingPiecesStopWithTheirLocation)
{
    ImageOwner theImage = MakeImage(2, 2, PatternPixel);
    GWorldOwner theGW = MakeGWorld(2, 2);
    GWorldOwner theEmpty = MakeGWorld(0, 0);
    CGContextRef theContext = nullptr;
    ASSERT_EQ(QDBeginCGContext(theGW.get(), &theContext), noErr);
    const CGRect theRect = CGRectMake(0, 0, 2, 2);

    EXPECT_EXIT(RenderLineArt(nullptr), testing::ExitedWithCode(1), "Assertion failed in: nil config on RenderLineArt");
    EXPECT_EXIT(DrawRotatedImageInCGRect(nullptr, theImage.get(), theRect, 0.0f, true), testing::ExitedWithCode(1),
                "Assertion failed in: NIL context for DrawRotatedImageInQDRect");
    EXPECT_EXIT(DrawRotatedImageInCGRect(theContext, nullptr, theRect, 0.0f, true), testing::ExitedWithCode(1),
                "Assertion failed in: NIL Image for DrawRotatedImageInQDRect");
    EXPECT_EXIT(GWorld2CGImage(theEmpty.get()), testing::ExitedWithCode(1),
                "Assertion failed in: Failed to create s CGContext on GWorld2CGImage");

    QDEndCGContext(theGW.get(), &theContext);
}
