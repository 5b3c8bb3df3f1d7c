#include "pluginfixture.h"

#include "HeadlessScript.h"
#include "TransitionRun.h"

using namespace testing_support;

TEST_F(PluginTest, CustomButtonOpensTheDialogOnTheFrameOnScreen)
{
    const TransitionPlan thePlan{3, 0.5f, 32, 24, false};
    std::string theError;
    TransitionLayout theLayout;
    ASSERT_TRUE(AskTransitionLayout(*session, thePlan, theLayout, theError)) << theError;
    ASSERT_TRUE(RunTransition(*session, thePlan, [](SInt32, GWorldPtr) { return true; }, theError)) << theError;

    const size_t theBefore = session->FrameRequests().size();
    HeadlessClearScript();
    HeadlessPushKey(0x0D, 0); // OK, the default button
    ASSERT_TRUE(PressCustomButton(*session, 3, 2, theError)) << theError;
    EXPECT_EQ(HeadlessPendingInput(), 0);
    const std::vector<FrameRequest>& theRequests = session->FrameRequests();
    ASSERT_GE(theRequests.size(), theBefore + 2);
    const SInt32 theFirst = theLayout.startFrame + 2;
    EXPECT_EQ(theRequests[theBefore].frameNumber, theFirst);
    EXPECT_EQ(theRequests[theBefore].width, 720);
    EXPECT_EQ(theRequests[theBefore].height, 480);
    EXPECT_EQ(theRequests[theBefore + 1].frameNumber, theFirst + theLayout.frameCount) << "the other clip's frame";
    EXPECT_TRUE(std::filesystem::exists(PreferencesFolder() / "Tamsel-Prefs"));

    // A host that cannot deliver the frame gets its own failure back, and no dialog opens.
    session->FailAt(HostCallback::GetFrame, 1, kPluginCantGetNeededFrame);
    EXPECT_FALSE(PressCustomButton(*session, 3, 0, theError));
    EXPECT_NE(theError.find("kPluginCantGetNeededFrame"), std::string::npos) << theError;
    EXPECT_EQ(HeadlessInputRunOuts(), 0);
}

namespace {

// A host whose frame fetch hands out a frame yet reports a failure, or reports success with no
// frame: the cookie is kept so that the test can hand the frame back itself.
HYPluginResult (*lgRealGetFrame)(HYPluginInstance, SInt32, GWorldPtr*, SInt16, SInt16, HYRefDVQuality, SInt16*,
                                 HYFrameCookie*);
HYPluginResult lgAnswer;
HYFrameCookie lgCookie;

HYPluginResult GetFrameWithOddAnswer(HYPluginInstance theInstance, SInt32 theFrameNumber, GWorldPtr* theFrame,
                                     SInt16 theWidth, SInt16 theHeight, HYRefDVQuality theQuality, SInt16* theVolume,
                                     HYFrameCookie* theCookie)
{
    const HYPluginResult theResult =
        lgRealGetFrame(theInstance, theFrameNumber, theFrame, theWidth, theHeight, theQuality, theVolume, theCookie);
    lgCookie = *theCookie;
    if (lgAnswer == kPluginOK) *theFrame = nullptr;
    return theResult == kPluginOK ? lgAnswer : theResult;
}

} // namespace

TEST_F(PluginTest, CustomButtonHandsBackOnlyWhatTheHostDelivered)
{
    for (HYPluginResult theAnswer : {kPluginTryAgainLater, kPluginOK}) {
        SCOPED_TRACE(testing::Message() << "GetFrame answers " << int(theAnswer));
        Restart();
        HeadlessClearScript();
        lgRealGetFrame = session->Procs().GetFrame;
        lgAnswer = theAnswer;
        session->Procs().GetFrame = GetFrameWithOddAnswer;
        const SInt32 theResult = Call(3, kPlugCustomButtonClick);
        session->Procs().GetFrame = lgRealGetFrame;
        EXPECT_EQ(theResult, theAnswer == kPluginOK ? kPluginFailed : kPluginTryAgainLater);
        // A reported failure means nothing was delivered; a success is always handed back.
        EXPECT_EQ(session->Calls(HostCallback::ReleaseFrame), theAnswer == kPluginOK ? 1 : 0);
        if (theAnswer != kPluginOK) session->Procs().ReleaseFrame(session->Params().instance, lgCookie);
        EXPECT_EQ(HeadlessInputRunOuts(), 0) << "no dialog opens without a frame";
    }
}
