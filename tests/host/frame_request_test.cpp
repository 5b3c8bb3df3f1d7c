#include "pluginfixture.h"

using namespace testing_support;

TEST_F(PluginTest, EveryFailingCallbackGivesTheFirstFailureAndHandsFramesBack)
{
    // The callbacks of one Cross frame request, in order, and whether their result counts.
    struct Step {
        HostCallback callback;
        long call;
        bool examined;
    } theSteps[] = {
        {HostCallback::GetTransitionInfo, 1, false}, {HostCallback::GetFrame, 1, true},
        {HostCallback::Blit, 1, true},               {HostCallback::MixAudio, 1, true},
        {HostCallback::ReleaseFrame, 1, true},       {HostCallback::GetFrame, 2, true},
        {HostCallback::MixAudio, 2, true},           {HostCallback::ReleaseFrame, 2, true},
        {HostCallback::ReleaseTransitionInfo, 1, false},
    };
    for (SInt32 theWhich : {1, 2, 3}) {
        for (const Step& theStep : theSteps) {
            SCOPED_TRACE(testing::Message() << "which " << theWhich << ", " << HostCallbackName(theStep.callback)
                                            << " call " << theStep.call);
            Restart();
            Begin(theWhich, 10);
            ASSERT_EQ(Frame(theWhich, 0), kPluginOK);
            const long theCallsBefore = session->Calls(theStep.callback);
            session->FailAt(theStep.callback, theStep.call, kPluginTryAgainLater);
            const SInt32 theResult = Frame(theWhich, 1);
            const bool theReached = session->Calls(theStep.callback) - theCallsBefore >= theStep.call;
            EXPECT_EQ(theResult, theReached && theStep.examined ? kPluginTryAgainLater : kPluginOK);
            EXPECT_EQ(session->FramesOut(), session->FramesBack());
            EXPECT_EQ(session->TransitionInfosOut(), session->TransitionInfosBack());
            EXPECT_EQ(Call(theWhich, kPlugTerminate), kPluginOK);
        }
    }
}

TEST_F(PluginTest, AudioLevelsFollowTheTransition)
{
    Begin(3, 10);
    for (SInt32 theIndex : {0, 4, 9}) ASSERT_EQ(Frame(3, theIndex), kPluginOK);
    const std::vector<AudioMix>& theMixes = session->AudioMixes();
    ASSERT_EQ(theMixes.size(), 6u);
    // The outgoing clip falls from 0.9 of full (255 counts as 256) to nothing; the incoming one is full.
    EXPECT_EQ(theMixes[0].level, 230);
    EXPECT_EQ(theMixes[1].level, 256);
    EXPECT_EQ(theMixes[2].level, 128);
    EXPECT_EQ(theMixes[4].level, 0);
    EXPECT_EQ(theMixes[0].frameNumber, 190);
    EXPECT_EQ(theMixes[1].frameNumber, 200);
}

TEST_F(PluginTest, LevelsStayInRangeOutsideTheTransition)
{
    Begin(1, 10);
    HYPluginParams& theParams = session->Params();
    theParams.frameCount = 0;
    EXPECT_EQ(Frame(1, 0), kPluginOK);
    theParams.frameCount = 10;
    EXPECT_EQ(Frame(1, 15), kPluginOK);
    theParams.frameCount = -4;
    theParams.startFrame = 100;
    EXPECT_EQ(Frame(1, 2), kPluginOK);
    ASSERT_EQ(session->AudioMixes().size(), 3u);
    EXPECT_EQ(session->AudioMixes()[0].level, 0);
    EXPECT_EQ(session->AudioMixes()[1].level, 0);
    EXPECT_EQ(session->AudioMixes()[2].level, 256);
}

TEST_F(PluginTest, ProxyFramesAskForQualityByHeightAndMixNoAudio)
{
    for (SInt16 theHeight : {259, 260}) {
        Restart();
        Begin(2, 10, 40, theHeight);
        session->Params().proxyOnly = true;
        ASSERT_EQ(Frame(2, 3), kPluginOK);
        ASSERT_EQ(session->FrameRequests().size(), 1u);
        EXPECT_EQ(session->FrameRequests()[0].quality, theHeight == 259 ? kDVLowQuality : kDVHighQuality);
        EXPECT_EQ(session->FrameRequests()[0].height, theHeight);
        EXPECT_TRUE(session->AudioMixes().empty());
    }
}

TEST_F(PluginTest, BadFrameRequestsAreRefused)
{
    Begin(3, 10);
    HYPluginParams& theParams = session->Params();
    theParams.startFrame = -5;
    EXPECT_EQ(Frame(3, 2), kPluginFailed);
    EXPECT_EQ(session->FramesOut(), 0);
    theParams.startFrame = 190;
    GWorldPtr theFrame = theParams.frame;
    theParams.frame = nullptr;
    EXPECT_EQ(Frame(3, 2), kPluginBadParams);
    theParams.frame = theFrame;
    EXPECT_EQ(Frame(7, 2), kPluginOK) << "an unknown transition draws nothing";
    EXPECT_EQ(session->FramesOut(), 0);
    EXPECT_EQ(session->TransitionInfosOut(), session->TransitionInfosBack());
}
