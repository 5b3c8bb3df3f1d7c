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
