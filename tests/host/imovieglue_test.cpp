#include "pluginfixture.h"

#include "iMovieGlue.h"
#include "testbuffers.h"

using namespace testing_support;

TEST_F(PluginTest, GetFrameIntoGWCopiesAHostFrameAndHandsItBack)
{
    HYPluginParams& theParams = session->Params();
    theParams.startFrame = 100;
    GWorldOwner theBuffer = MakeGWorld(60, 40);
    EXPECT_EQ(GetFrameIntoGW(theBuffer.get(), &theParams, 5, 1), kPluginOK);
    ASSERT_EQ(session->FrameRequests().size(), 1u);
    EXPECT_EQ(session->FrameRequests()[0].frameNumber, 105);
    EXPECT_EQ(session->FrameRequests()[0].width, 60);
    EXPECT_EQ(session->FrameRequests()[0].quality, kDVHighQuality);
    EXPECT_EQ(ReadARGB(theBuffer.get(), 7, 9), TestPatternClips::PatternPixel(105, false, 7, 9, 60, 40));
    EXPECT_EQ(session->FramesBack(), 1);

    EXPECT_EQ(GetFrameIntoGW(theBuffer.get(), &theParams, -101, 1), -1);
    session->FailAt(HostCallback::GetFrame, 1, kPluginCantGetNeededFrame);
    EXPECT_EQ(GetFrameIntoGW(theBuffer.get(), &theParams, 0, 1), kPluginCantGetNeededFrame);
    session->FailAt(HostCallback::ReleaseFrame, 1, kPluginTryAgainLater);
    EXPECT_EQ(GetFrameIntoGW(theBuffer.get(), &theParams, 0, 1), kPluginTryAgainLater);
    EXPECT_EQ(session->FramesOut(), 2);
}
