#include "pluginfixture.h"

#include "basictx.h"

using namespace testing_support;

TEST_F(PluginTest, BeginFrameEndKeepAWorkspaceForTheInstance)
{
    Begin(3, 10);
    HYPluginParams& theParams = session->Params();
    EffectData* theWorkspace = static_cast<EffectData*>(theParams.clientData);
    ASSERT_NE(theWorkspace, nullptr);
    ASSERT_NE(theWorkspace->configCopy, nullptr);
    EXPECT_EQ(theWorkspace->frameCount, 0);
    EXPECT_EQ(theWorkspace->configCopy->theMask, nullptr);
    EXPECT_EQ(Frame(3, 0), kPluginOK);
    EXPECT_NE(theWorkspace->configCopy->theMask, nullptr) << "frame 0 builds the threshold map";
    EXPECT_EQ(Call(3, kPlugTerminate), kPluginOK);
    EXPECT_EQ(theParams.clientData, nullptr);
    EXPECT_EQ(session->Calls(HostCallback::DisposePtr), 2);
    // A second end only updates the clip information.
    EXPECT_EQ(Call(3, kPlugTerminate), kPluginOK);
    EXPECT_EQ(session->Calls(HostCallback::DisposePtr), 2);
    EXPECT_EQ(Frame(3, 1), kPluginBadParams) << "no frame without a workspace";
}

TEST_F(PluginTest, EndMarksTheClipsFade)
{
    for (SInt32 theWhich : {1, 2, 3}) {
        Begin(theWhich, 12);
        session->Params().frameCount = 12;
        EXPECT_EQ(Call(theWhich, kPlugTerminate), kPluginOK);
        const HYPluginClipInfo& theInfo = session->ClipInfo();
        EXPECT_EQ(bool(theInfo.fadeOut), theWhich == 1);
        EXPECT_EQ(bool(theInfo.fadeIn), theWhich == 2);
        EXPECT_EQ(theInfo.ver2.fadeOutFrames, theWhich == 1 ? 12 : 0);
        EXPECT_EQ(theInfo.ver2.fadeInFrames, theWhich == 2 ? 12 : 0);
        Restart();
    }
}

TEST_F(PluginTest, OutOfMemoryAtBeginLeavesNothingBehind)
{
    ASSERT_EQ(Call(3, kPlugGetInfo), kPluginOK); // the master configuration exists from here on
    for (long theFailingCall : {1, 2}) {
        session->FailAt(HostCallback::NewPtr, theFailingCall);
        const long theNewBefore = session->Calls(HostCallback::NewPtr);
        const long theDisposeBefore = session->Calls(HostCallback::DisposePtr);
        EXPECT_EQ(Call(3, kPlugInitialize), kPluginOutOfMemory);
        EXPECT_EQ(session->Params().clientData, nullptr);
        EXPECT_EQ(session->Calls(HostCallback::NewPtr) - theNewBefore - 1,
                  session->Calls(HostCallback::DisposePtr) - theDisposeBefore);
    }
}

TEST_F(PluginTest, PlaceholderRunsOnACopyWithItsOwnWorkspace)
{
    ASSERT_EQ(Call(3, kPlugGetInfo), kPluginOK);
    HYPluginParams& theParams = session->Params();
    std::string theError;
    ASSERT_TRUE(session->SetOutputSize(32, 24, theError)) << theError;
    theParams.frameCount = 10;
    theParams.startFrame = 190;
    theParams.getInfo.bestThumbOffset = 4;
    const long theNewBefore = session->Calls(HostCallback::NewPtr);
    EXPECT_EQ(Call(3, kPlugFilePlaceHolder), kPluginOK);
    EXPECT_EQ(theParams.clientData, nullptr);
    EXPECT_EQ(theParams.selector, kPlugFilePlaceHolder) << "the host's block is not changed";
    EXPECT_EQ(session->Calls(HostCallback::NewPtr) - theNewBefore, 2);
    EXPECT_EQ(session->Calls(HostCallback::DisposePtr), 2);
    EXPECT_EQ(session->FramesOut(), 2);
    EXPECT_EQ(session->FramesBack(), 2);
    ASSERT_EQ(session->FrameRequests().size(), 2u);
    EXPECT_EQ(session->FrameRequests()[0].frameNumber, 194) << "the best thumbnail frame";
}
