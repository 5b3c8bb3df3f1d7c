#include "argbyuv.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

struct Colour {
    uint8_t r, g, b;
};

// Limited-range values of the standard colours, from the matrices' definitions.
struct ColourCase {
    const char* name;
    AVColorSpace space;
    Colour colour;
    int y, u, v;
};

constexpr ColourCase cCases[] = {
    {"black", AVCOL_SPC_BT709, {0, 0, 0}, 16, 128, 128},
    {"white", AVCOL_SPC_BT709, {255, 255, 255}, 235, 128, 128},
    {"red 709", AVCOL_SPC_BT709, {255, 0, 0}, 63, 102, 240},
    {"green 709", AVCOL_SPC_BT709, {0, 255, 0}, 173, 42, 26},
    {"blue 709", AVCOL_SPC_BT709, {0, 0, 255}, 32, 240, 118},
    {"red 601", AVCOL_SPC_SMPTE170M, {255, 0, 0}, 81, 90, 240},
    {"green 601", AVCOL_SPC_SMPTE170M, {0, 255, 0}, 145, 54, 34},
    {"blue 601", AVCOL_SPC_SMPTE170M, {0, 0, 255}, 41, 240, 110},
    {"grey 601", AVCOL_SPC_SMPTE170M, {128, 128, 128}, 126, 128, 128},
};

struct Planes {
    video::FramePtr frame;
    int Y(int x, int y) const { return frame->data[0][y * frame->linesize[0] + x]; }
    int U(int x, int y) const { return frame->data[1][y * frame->linesize[1] + x]; }
    int V(int x, int y) const { return frame->data[2][y * frame->linesize[2] + x]; }
};

Planes NewPlanes(int theWidth, int theHeight, int theFormat = AV_PIX_FMT_YUV420P)
{
    Planes thePlanes{video::FramePtr(av_frame_alloc())};
    thePlanes.frame->format = theFormat;
    thePlanes.frame->width = theWidth;
    thePlanes.frame->height = theHeight;
    EXPECT_EQ(av_frame_get_buffer(thePlanes.frame.get(), 0), 0);
    return thePlanes;
}

// Alpha, red, green, blue bytes; the alpha varies to show that it is ignored.
void SetPixel(std::vector<uint8_t>& thePixels, int theRowBytes, int x, int y, Colour theColour)
{
    uint8_t* thePixel = &thePixels[size_t(y * theRowBytes + 4 * x)];
    thePixel[0] = uint8_t(x * 37 + y);
    thePixel[1] = theColour.r;
    thePixel[2] = theColour.g;
    thePixel[3] = theColour.b;
}

} // namespace

TEST(ArgbToYuv420, GivesTheStandardValuesOfEachMatrix)
{
    // Each colour fills one 2x2 block of a picture with padded rows.
    constexpr int cBlocks = int(std::size(cCases));
    const int theWidth = 2 * cBlocks, theHeight = 2, theRowBytes = 4 * theWidth + 12;
    for (AVColorSpace theSpace : {AVCOL_SPC_BT709, AVCOL_SPC_SMPTE170M}) {
        std::vector<uint8_t> thePixels(size_t(theRowBytes * theHeight));
        for (int i = 0; i < cBlocks; ++i) {
            for (int j = 0; j < 4; ++j) SetPixel(thePixels, theRowBytes, 2 * i + j % 2, j / 2, cCases[i].colour);
        }
        Planes thePlanes = NewPlanes(theWidth, theHeight);
        ASSERT_TRUE(video::ArgbToYuv420({thePixels.data(), theRowBytes, theWidth, theHeight}, thePlanes.frame.get(),
                                        theSpace));
        for (int i = 0; i < cBlocks; ++i) {
            const ColourCase& theCase = cCases[i];
            if (theCase.space != theSpace) continue;
            SCOPED_TRACE(theCase.name);
            for (int j = 0; j < 4; ++j) EXPECT_EQ(thePlanes.Y(2 * i + j % 2, j / 2), theCase.y);
            EXPECT_EQ(thePlanes.U(i, 0), theCase.u);
            EXPECT_EQ(thePlanes.V(i, 0), theCase.v);
        }
    }
}

TEST(ArgbToYuv420, ChromaWeighsColumnPairsAndRowsOneThreeThreeOne)
{
    // Rows blue, red, blue, blue: the first chroma row weighs red 3 in 8 (the row above the
    // picture repeats its first), the second 1 in 8.
    const int theRowBytes = 8;
    std::vector<uint8_t> thePixels(4 * theRowBytes);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 2; ++x) SetPixel(thePixels, theRowBytes, x, y, y == 1 ? Colour{255, 0, 0} : Colour{0, 0, 255});
    }
    Planes thePlanes = NewPlanes(2, 4);
    ASSERT_TRUE(video::ArgbToYuv420({thePixels.data(), theRowBytes, 2, 4}, thePlanes.frame.get(), AVCOL_SPC_BT709));
    EXPECT_EQ(thePlanes.Y(0, 1), 63);
    EXPECT_EQ(thePlanes.Y(1, 2), 32);
    EXPECT_EQ(thePlanes.U(0, 0), 188); // (3 x 102.3 + 5 x 240) / 8
    EXPECT_EQ(thePlanes.V(0, 0), 164);
    EXPECT_EQ(thePlanes.U(0, 1), 223);
    EXPECT_EQ(thePlanes.V(0, 1), 133);
}

TEST(Yuv420ToArgb, GivesBackTheStandardColours)
{
    struct FullRangeCase {
        const char* name;
        AVColorSpace space;
        int y, u, v;
        Colour colour;
    };
    std::vector<FullRangeCase> theCases = {{"black full", AVCOL_SPC_BT709, 0, 128, 128, {0, 0, 0}},
                                           {"white full", AVCOL_SPC_BT709, 255, 128, 128, {255, 255, 255}},
                                           {"red 601 full", AVCOL_SPC_SMPTE170M, 76, 85, 255, {255, 0, 0}}};
    for (const ColourCase& theCase : cCases) {
        theCases.push_back({theCase.name, theCase.space, theCase.y, theCase.u, theCase.v, theCase.colour});
    }
    for (const FullRangeCase& theCase : theCases) {
        SCOPED_TRACE(theCase.name);
        const bool theFullRange = std::string(theCase.name).find("full") != std::string::npos;
        Planes thePlanes = NewPlanes(2, 2);
        for (int i = 0; i < 4; ++i) thePlanes.frame->data[0][(i / 2) * thePlanes.frame->linesize[0] + i % 2] = uint8_t(theCase.y);
        thePlanes.frame->data[1][0] = uint8_t(theCase.u);
        thePlanes.frame->data[2][0] = uint8_t(theCase.v);
        const int theRowBytes = 12; // padded
        std::vector<uint8_t> thePixels(2 * theRowBytes, 0);
        ASSERT_TRUE(video::Yuv420ToArgb(thePlanes.frame.get(), {thePixels.data(), theRowBytes, 2, 2}, theCase.space,
                                        theFullRange));
        for (int i = 0; i < 4; ++i) {
            const uint8_t* thePixel = &thePixels[size_t((i / 2) * theRowBytes + 4 * (i % 2))];
            EXPECT_EQ(thePixel[0], 255);
            // The table's values are rounded: the colour comes back within two levels.
            EXPECT_NEAR(thePixel[1], theCase.colour.r, 2);
            EXPECT_NEAR(thePixel[2], theCase.colour.g, 2);
            EXPECT_NEAR(thePixel[3], theCase.colour.b, 2);
        }
        EXPECT_EQ(thePixels[8], 0) << "the row's padding is left alone";
    }
}

TEST(ArgbToYuv420, LeavesOtherSizesAndFormatsToTheScaler)
{
    std::vector<uint8_t> thePixels(4 * 6 * 4);
    struct Case {
        int width, height, frameWidth, frameHeight, format;
    };
    for (const Case& theCase : {Case{3, 4, 3, 4, AV_PIX_FMT_YUV420P}, Case{4, 3, 4, 3, AV_PIX_FMT_YUV420P},
                                Case{4, 4, 2, 2, AV_PIX_FMT_YUV420P}, Case{4, 4, 4, 4, AV_PIX_FMT_YUV444P}}) {
        Planes thePlanes = NewPlanes(theCase.frameWidth, theCase.frameHeight, theCase.format);
        EXPECT_FALSE(video::ArgbToYuv420({thePixels.data(), 16, theCase.width, theCase.height}, thePlanes.frame.get(),
                                         AVCOL_SPC_BT709));
        EXPECT_FALSE(video::Yuv420ToArgb(thePlanes.frame.get(), {thePixels.data(), 16, theCase.width, theCase.height},
                                         AVCOL_SPC_BT709, false));
    }
    Planes thePlanes = NewPlanes(4, 4);
    EXPECT_FALSE(video::Yuv420ToArgb(thePlanes.frame.get(), {thePixels.data(), 16, 4, 4}, AVCOL_SPC_BT2020_NCL, false));
}
