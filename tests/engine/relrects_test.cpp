#include "relrects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

void ExpectRect(const Rect& theRect, int top, int left, int bottom, int right)
{
    EXPECT_EQ(theRect.top, top);
    EXPECT_EQ(theRect.left, left);
    EXPECT_EQ(theRect.bottom, bottom);
    EXPECT_EQ(theRect.right, right);
}

} // namespace

TEST(Rel2Rect, MapsFractionsOntoTheFrameTruncating)
{
    struct Case {
        relRect rel;
        Rect frame;
        Rect expected;
    } theCases[] = {
        {{0.0, 1.0, 0.0, 1.0}, {0, 0, 480, 720}, {0, 0, 480, 720}},
        {{0.25, 0.75, 0.0, 1.0}, {0, 0, 480, 720}, {0, 180, 480, 540}},
        {{0.5, 0.5, 0.0, 1.0}, {0, 0, 480, 720}, {0, 360, 480, 360}},
        {{0.0, 1.0, 0.0, 1.0}, {10, 20, 110, 220}, {10, 20, 110, 220}},
        {{0.999, 0.3333, 0.0015, 0.9999}, {0, 0, 480, 720}, {0, 719, 479, 239}},
        {{-0.5, 1.5, -0.25, 2.0}, {0, 0, 100, 200}, {-25, -100, 200, 300}},
        {{-0.001, 0.5, 0.0, 1.0}, {0, 0, 100, 200}, {0, 0, 100, 100}}, // toward zero, not down
    };
    for (const Case& theCase : theCases) {
        SCOPED_TRACE(testing::Message() << theCase.rel.left << " " << theCase.rel.right);
        Rect theRect = Rel2Rect(theCase.rel, theCase.frame);
        ExpectRect(theRect, theCase.expected.top, theCase.expected.left, theCase.expected.bottom, theCase.expected.right);
    }
}

TEST(Rel2Rect, SaturatesHugeAndNonFiniteFractions)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Rect theFrame{10, 20, 490, 740};
    ExpectRect(Rel2Rect(relRect{-1e300, 1e300, -inf, inf}, theFrame), -32768, -32768, 32767, 32767);
    ExpectRect(Rel2Rect(relRect{nan, nan, nan, nan}, theFrame), 10, 20, 490, 740);
    ExpectRect(Rel2Rect(relRect{0.0, 200.0, 0.0, 1.0}, theFrame), 10, 20, 490, 32767);
}

TEST(Rect2Rel, RoundTripNeverMovesAnEdgeUpAndKeepsFrameEdges)
{
    std::mt19937 theGenerator(42);
    std::uniform_int_distribution<int> theSize(1, 4000);
    for (int i = 0; i < 20000; ++i) {
        int w = theSize(theGenerator), h = theSize(theGenerator);
        std::uniform_int_distribution<int> theX(0, 2 * w), theY(0, 2 * h);
        int left = theX(theGenerator), top = theY(theGenerator);
        Rect theFrame{0, 0, SInt16(h), SInt16(w)};
        Rect theRect{SInt16(top), SInt16(left), SInt16(theY(theGenerator)), SInt16(theX(theGenerator))};
        Rect theBack = Rel2Rect(Rect2Rel(theRect, theFrame), theFrame);
        for (auto [original, back, edge] : {std::tuple{theRect.top, theBack.top, h}, {theRect.left, theBack.left, w},
                                            {theRect.bottom, theBack.bottom, h}, {theRect.right, theBack.right, w}}) {
            ASSERT_TRUE(back == original || (back == original - 1 && original > 0)) << original << " -> " << back;
            if (original == 0 || original == edge) {
                ASSERT_EQ(back, original);
            }
        }
    }
}

TEST(Rect2Rel, IsRelativeToTheFrameOrigin)
{
    relRect theRel = Rect2Rel(Rect{60, 120, 110, 220}, Rect{10, 20, 110, 220});
    EXPECT_DOUBLE_EQ(theRel.left, 0.5);
    EXPECT_DOUBLE_EQ(theRel.right, 1.0);
    EXPECT_DOUBLE_EQ(theRel.top, 0.5);
    EXPECT_DOUBLE_EQ(theRel.bottom, 1.0);
}
