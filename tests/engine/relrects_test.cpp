#include "relrects.h"

#include <gtest/gtest.h>

TEST(Rel2Rect, FullFrameGivesTheFrame)
{
    relRect theRel;
    InitRelRect(&theRel);
    Rect theFrame{0, 0, 480, 720};
    Rect theRect = Rel2Rect(theRel, theFrame);
    EXPECT_EQ(theRect.right, 720);
}
