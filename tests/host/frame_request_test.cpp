#include "pluginfixture.h"

#include <cmath>

using namespace testing_support;

namespace {

// Clips whose frames report the volumes a test sets, one for clip A and one for clip B.
class VolumeClips : public TestPatternClips {
public:
    VolumeClips() : TestPatternClips(200, 200) {}
    SInt16 Volume(SInt32 theFrameNumber) const override { return theFrameNumber < ClipALength() ? volumeA : volumeB; }
    SInt16 volumeA = 255;
    SInt16 volumeB = 255;
};

// The level in double precision, every step stored so that x87 cannot keep it wider: the
// volume (255 counting as 256) times the clip's share, which stays within 0..1 outside the transition.
SInt16 ReferenceLevel(SInt16 theVolume, SInt32 theIndex, SInt32 theCount, bool theRising)
{
    volatile double theProgress = double(theIndex + 1) / double(theCount);
    volatile double theShare = theRising ? theProgress : 1.0 - theProgress;
    const double theKept = theShare > 1.0 ? 1.0 : theShare > 0.0 ? theShare : 0.0;
    volatile double theLevel = (theVolume == 255 ? 256.0 : double(theVolume)) * theKept;
    return static_cast<SInt16>(std::trunc(theLevel));
}

} // namespace

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
    // The outgoing clip falls from 0.9 of full (255 counts as 256) to nothing while the incoming
    // one rises from 0.1 to full, so the two always add up to one clip's volume.
    const struct {
        SInt32 frameNumber;
        SInt16 level;
    } theExpected[] = {{190, 230}, {200, 25}, {194, 128}, {204, 128}, {199, 0}, {209, 256}};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(theMixes[i].frameNumber, theExpected[i].frameNumber) << "mix " << i;
        EXPECT_EQ(theMixes[i].level, theExpected[i].level) << "mix " << i;
    }

    // In's clip rises with the picture.
    Restart();
    Begin(2, 10);
    for (SInt32 theIndex : {0, 4, 9}) ASSERT_EQ(Frame(2, theIndex), kPluginOK);
    ASSERT_EQ(session->AudioMixes().size(), 3u);
    EXPECT_EQ(session->AudioMixes()[0].level, 25);
    EXPECT_EQ(session->AudioMixes()[1].level, 128);
    EXPECT_EQ(session->AudioMixes()[2].level, 256);
}

TEST(AudioLevels, TableOfVolumesFrameCountsAndPositions)
{
    VolumeClips theClips;
    HostSession theSession(LoadedBundle().Main(), theClips);
    HYPluginParams& theParams = theSession.Params();
    std::string theError;
    // Volume 100 at frame 8 of 10 is 9: 1 - 0.9 is a little less than 0.1 in double precision.
    const struct {
        SInt32 which, count, index;
        SInt16 volume, level;
    } theKnown[] = {{1, 10, 8, 100, 9}, {1, 10, 0, 255, 230}, {1, 10, 9, 255, 0}, {1, 10, 0, 1000, 900},
                    {2, 10, 0, 255, 25}, {2, 10, 9, 1000, 1000}, {3, 10, 4, 1000, 500}};
    for (const auto& theCase : theKnown) {
        SCOPED_TRACE(testing::Message() << "which " << theCase.which << ", frame " << theCase.index << " of "
                                        << theCase.count << ", volume " << theCase.volume);
        theClips.volumeA = theClips.volumeB = theCase.volume;
        ASSERT_EQ(theSession.Call(theCase.which, kPlugGetInfo), kPluginOK);
        ASSERT_EQ(theSession.Call(theCase.which, kPlugInitialize), kPluginOK);
        ASSERT_TRUE(theSession.SetOutputSize(8, 8, theError)) << theError;
        theParams.frameCount = theCase.count;
        theParams.startFrame = 200 - theCase.count;
        for (SInt32 theIndex : {0, theCase.index}) {
            theParams.renderFrame = theIndex;
            ASSERT_EQ(theSession.Call(theCase.which, kPlugDoFrame), kPluginOK);
        }
        ASSERT_FALSE(theSession.AudioMixes().empty());
        EXPECT_EQ(theSession.AudioMixes().back().level, theCase.level);
        ASSERT_EQ(theSession.Call(theCase.which, kPlugTerminate), kPluginOK);
    }

    const SInt16 theVolumes[] = {0, 1, 2, 3, 7, 99, 100, 127, 128, 129, 200, 254, 255, 256, 257, 300, 1000, 32767};
    const size_t theVolumeCount = std::size(theVolumes);
    long theWrong = 0, theChecked = 0;
    for (SInt32 theWhich : {1, 2, 3}) {
        for (SInt32 theCount : {1, 2, 3, 7, 10, 11, 30, 66, 88, 120}) {
            ASSERT_EQ(theSession.Call(theWhich, kPlugGetInfo), kPluginOK);
            ASSERT_EQ(theSession.Call(theWhich, kPlugInitialize), kPluginOK);
            ASSERT_TRUE(theSession.SetOutputSize(8, 8, theError)) << theError;
            theParams.frameCount = theCount;
            theParams.startFrame = 200 - theCount;
            std::vector<SInt32> theIndices;
            for (SInt32 i = 0; i < theCount; ++i) theIndices.push_back(i);
            for (SInt32 i : {-2, -1, theCount, theCount + 4}) theIndices.push_back(i);
            for (size_t v = 0; v < theVolumeCount; ++v) {
                theClips.volumeA = theVolumes[v];
                theClips.volumeB = theVolumes[(v + 5) % theVolumeCount];
                for (SInt32 theIndex : theIndices) {
                    const size_t theFirstMix = theSession.AudioMixes().size();
                    theParams.renderFrame = theIndex;
                    ASSERT_EQ(theSession.Call(theWhich, kPlugDoFrame), kPluginOK);
                    const std::vector<AudioMix>& theMixes = theSession.AudioMixes();
                    ASSERT_EQ(theMixes.size() - theFirstMix, theWhich == 3 ? 2u : 1u);
                    for (size_t m = theFirstMix; m < theMixes.size(); ++m) {
                        // Out's clip and Cross's outgoing clip fall; In's clip and the incoming clip rise.
                        const bool theRising = theWhich == 2 || m > theFirstMix;
                        const SInt16 theVolume = theClips.Volume(theMixes[m].frameNumber);
                        const SInt16 theExpected = ReferenceLevel(theVolume, theIndex, theCount, theRising);
                        ++theChecked;
                        if (theMixes[m].level != theExpected && ++theWrong <= 10)
                            ADD_FAILURE() << "which " << theWhich << ", frame " << theIndex << " of " << theCount
                                          << ", volume " << theVolume << ": level " << theMixes[m].level
                                          << ", not " << theExpected;
                    }
                }
            }
            ASSERT_EQ(theSession.Call(theWhich, kPlugTerminate), kPluginOK);
        }
    }
    EXPECT_EQ(theWrong, 0) << "of " << theChecked << " levels";
    EXPECT_EQ(theSession.FramesOut(), theSession.FramesBack());
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
