#include "ValueParsers.h"

#include <gtest/gtest.h>

// Colours are read as FFmpeg's tools read them, with CSS's own values where the two differ.
TEST(ValueParsers, ColoursByNameAndNumber)
{
    const struct {
        const char* text;
        uint32_t rgb;
    } theColours[] = {
        {"orange", 0xFFA500},        {"ORANGE", 0xFFA500},        {"#ff8800", 0xFF8800},
        {"#FF8800", 0xFF8800},       {"#f80", 0xFF8800},          {"0xff8800", 0xFF8800},
        {"RebeccaPurple", 0x663399}, {"mediumpurple", 0x9370DB},  {"palevioletred", 0xDB7093},
        {"grey", 0x808080},          {"gray", 0x808080},          {"LightGray", 0xD3D3D3},
        {"lightgrey", 0xD3D3D3},     {"darkslategrey", 0x2F4F4F}, {"#ff8800ff", 0xFF8800},
    };
    for (const auto& theCase : theColours) {
        SCOPED_TRACE(theCase.text);
        Colour8 theColour{1, 2, 3};
        ASSERT_TRUE(ParseColour(theCase.text, theColour));
        EXPECT_EQ((uint32_t(theColour.red) << 16) | (uint32_t(theColour.green) << 8) | theColour.blue, theCase.rgb);
    }
    // A render must be the same every time, and the fill has no transparency.
    for (const char* theText : {"random", "Random", "bikeshed", "red@0.5", "red@1", "#ff880080", "#ff88", "#f8",
                                "orangeish", "", "#gg8800"}) {
        SCOPED_TRACE(theText);
        Colour8 theColour{1, 2, 3};
        EXPECT_FALSE(ParseColour(theText, theColour));
        EXPECT_EQ(theColour.red, 1);
    }
}

TEST(ValueParsers, FrameSizesAndTimes)
{
    const struct {
        const char* text;
        SInt32 width, height; // 0: refused
    } theSizes[] = {
        {"1280x720", 1280, 720}, {"hd1080", 1920, 1080}, {"uhd2160", 3840, 2160}, {"2x2", 2, 2},
        {"8192x8192", 8192, 8192}, {"1x720", 0, 0},     {"8194x2", 0, 0},        {"1280", 0, 0},
        {"wide", 0, 0},
    };
    for (const auto& theCase : theSizes) {
        SCOPED_TRACE(theCase.text);
        SInt32 theWidth = 0, theHeight = 0;
        EXPECT_EQ(ParseFrameSize(theCase.text, theWidth, theHeight), theCase.width != 0);
        EXPECT_EQ(theWidth, theCase.width);
        EXPECT_EQ(theHeight, theCase.height);
    }
    const struct {
        const char* text;
        double seconds; // below 0: refused
    } theTimes[] = {
        {"3", 3.0},        {"1.2", 1.2},  {"0", 0.0},   {"1:30.5", 90.5}, {"01:00:00", 3600.0},
        {"24:00:00", 86400.0}, {"86401", -1}, {"-1", -1}, {"1,5", -1},      {"soon", -1},
        {"", -1},
    };
    for (const auto& theCase : theTimes) {
        SCOPED_TRACE(theCase.text);
        double theSeconds = -2.0;
        EXPECT_EQ(ParseSeconds(theCase.text, theSeconds), theCase.seconds >= 0.0);
        EXPECT_DOUBLE_EQ(theSeconds, theCase.seconds >= 0.0 ? theCase.seconds : -2.0);
    }
}
