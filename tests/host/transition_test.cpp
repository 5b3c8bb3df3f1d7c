#include "pluginfixture.h"

#include "MemoryFaults.h"
#include "TransitionRun.h"
#include "callpixelfx.h"
#include "pixeleffect.h"
#include "testbuffers.h"

#include <array>
#include <ctime>
#include <functional>
#include <future>
#include <thread>
#include <utility>

using namespace testing_support;

namespace {

constexpr SInt16 cWidth = 48, cHeight = 36;

// What the engine makes of the same inputs: clip frames drawn by the host's pattern, the same
// map (the plug-in and this test draw from the one process-wide generator, from the same seed).
std::vector<UInt32> EngineFrame(SInt32 theWhich, SInt32 theIndex, SInt32 theFrames, TestPatternClips& theClips,
                                SInt32 theStartFrame, pluginDataRec& theConfig)
{
    GWorldOwner theDest = MakeGWorld(cWidth, cHeight), theSource = MakeGWorld(cWidth, cHeight);
    std::string theError;
    theClips.DrawFrame(theStartFrame + theIndex, theDest.get(), theError);
    theClips.DrawFrame(theStartFrame + theFrames + theIndex, theSource.get(), theError);
    theConfig.which = SInt16(theWhich);
    DoPixelEffect(theSource.get(), theDest.get(), &theConfig, theIndex, theFrames);
    return Pixels(theDest.get());
}

} // namespace

TEST_F(PluginTest, WholeTransitionsMatchTheEngineAndSwitchEvenly)
{
    for (SInt32 theWhich : {1, 2, 3}) {
        SCOPED_TRACE(theWhich);
        Restart();
        const SInt32 theSeed = 12345 + theWhich;
        TransitionPlan thePlan{theWhich, 0.0f, cWidth, cHeight, false};
        TransitionLayout theLayout;
        std::string theError;
        ASSERT_TRUE(AskTransitionLayout(*session, thePlan, theLayout, theError)) << theError;

        // The engine's own rendering with a map drawn from the same seed.
        pluginDataRec theConfig{};
        ResetConfig(&theConfig, true);
        SetQDGlobalsRandomSeed(theSeed);
        InitPixelEffect(&theConfig, theLayout.frameCount, cWidth, cHeight);

        std::vector<std::vector<UInt32>> theRendered;
        SetQDGlobalsRandomSeed(theSeed);
        ASSERT_TRUE(RunTransition(*session, thePlan,
                                  [&](SInt32, GWorldPtr theFrame) {
                                      theRendered.push_back(Pixels(theFrame));
                                      return true;
                                  },
                                  theError))
            << theError;
        ASSERT_EQ(SInt32(theRendered.size()), theLayout.frameCount);
        EXPECT_EQ(session->FramesOut(), session->FramesBack());
        EXPECT_EQ(session->Params().clientData, nullptr);

        long thePreviousSwitched = -1;
        for (SInt32 theIndex = 0; theIndex < theLayout.frameCount; ++theIndex) {
            const std::vector<UInt32> theExpected =
                EngineFrame(theWhich, theIndex, theLayout.frameCount, source, theLayout.startFrame, theConfig);
            ASSERT_EQ(theRendered[theIndex], theExpected) << "frame " << theIndex;
            // Pixels in the new state: the fill colour for Out, the clip for In, clip B (cool, little red) for Cross.
            long theSwitched = 0;
            for (UInt32 thePixel : theRendered[theIndex]) {
                if (theWhich == 1) theSwitched += thePixel == 0xFF0000FFu;
                if (theWhich == 2) theSwitched += thePixel != 0xFF0000FFu;
                if (theWhich == 3) theSwitched += ((thePixel >> 16) & 0xFF) < 0x80;
            }
            const double theIdeal = double(theWhich == 1 ? std::max(theIndex - 1, 0) : theIndex) / theLayout.frameCount;
            EXPECT_NEAR(double(theSwitched) / theExpected.size(), theIdeal, 0.06) << "frame " << theIndex;
            EXPECT_GE(theSwitched, thePreviousSwitched);
            thePreviousSwitched = theSwitched;
        }
        ShutdownPixelEffect(&theConfig);
    }
}

TEST_F(PluginTest, ThousandTransitionsLeaveNothingBehind)
{
    // Under LeakSanitizer any block, map or frame an instance keeps shows up at exit. The
    // plug-in's first start in the process makes a record that lives as long as the process, so
    // the blocks are counted after a first transition, whichever test made that start.
    std::string theError;
    const auto theTransition = [&](int i) {
        TransitionPlan thePlan{1 + i % 3, 0.0f, 8, 6, i % 2 == 0};
        return RunTransition(*session, thePlan, [](SInt32, GWorldPtr) { return true; }, theError);
    };
    ASSERT_TRUE(theTransition(0)) << theError;
    const long theNewBefore = session->Calls(HostCallback::NewPtr);
    const long theDisposedBefore = session->Calls(HostCallback::DisposePtr);
    for (int i = 1; i <= 1000; ++i) ASSERT_TRUE(theTransition(i)) << theError;
    EXPECT_EQ(session->FramesOut(), session->FramesBack());
    EXPECT_GT(session->Calls(HostCallback::NewPtr), theNewBefore);
    EXPECT_EQ(session->Calls(HostCallback::NewPtr) - theNewBefore,
              session->Calls(HostCallback::DisposePtr) - theDisposedBefore);
}

// Without an output frame the plug-in is never asked for one: the run ends with the reason.
TEST_F(PluginTest, NoOutputFrameEndsTheRunBeforeThePluginDraws)
{
    struct Case {
        SInt16 width, height;
        const char* reason;
    };
    for (const Case& theCase : {Case{48, -1536, "no output frame of 48x-1536 pixels"},
                                Case{0, 36, "no output frame of 0x36 pixels"}}) {
        SCOPED_TRACE(theCase.reason);
        Restart();
        long theFrames = 0;
        std::string theError;
        EXPECT_FALSE(RunTransition(*session, TransitionPlan{3, 0.0f, theCase.width, theCase.height, false},
                                   [&](SInt32, GWorldPtr) { return ++theFrames > 0; }, theError));
        EXPECT_EQ(theError.rfind(theCase.reason, 0), 0u) << theError;
        EXPECT_EQ(theFrames, 0);
        EXPECT_EQ(session->Calls(HostCallback::GetFrame), 0);
    }
    std::string theError;
    SetAllocationFailureAfter(0);
    const bool theMade = session->SetOutputSize(48, 36, theError);
    SetAllocationFailureAfter(-1);
    EXPECT_FALSE(theMade);
    EXPECT_EQ(theError, "no output frame of 48x36 pixels: out of memory");
    EXPECT_EQ(session->Params().frame, nullptr);
}

namespace {

// Clips whose first frame waits at a gate: a call stays open while another thread's runs.
class GatedClips : public TestPatternClips {
public:
    using TestPatternClips::TestPatternClips;
    std::function<void()> gate;
    bool DrawFrame(SInt32 theFrameNumber, GWorldPtr theFrame, std::string& outError) override
    {
        if (gate) std::exchange(gate, nullptr)();
        return TestPatternClips::DrawFrame(theFrameNumber, theFrame, outError);
    }
};

// An Out of 10 frames begun, frame 0 next.
void BeginOut(HostSession& theSession, TestPatternClips& theClips)
{
    theSession.SetSpeed(0.0f);
    ASSERT_EQ(theSession.Call(1, kPlugGetInfo), kPluginOK);
    ASSERT_EQ(theSession.Call(1, kPlugInitialize), kPluginOK);
    std::string theError;
    ASSERT_TRUE(theSession.SetOutputSize(32, 24, theError)) << theError;
    theSession.Params().frameCount = 10;
    theSession.Params().startFrame = theClips.ClipALength() - 10;
    theSession.Params().renderFrame = 0;
}

std::array<long, 3> CallbackCounts(const HostSession& theSession)
{
    return {theSession.Calls(HostCallback::NewPtr), theSession.Calls(HostCallback::DisposePtr),
            theSession.Calls(HostCallback::Blit)};
}

std::array<long, 3> Since(const std::array<long, 3>& theNow, const std::array<long, 3>& theBefore)
{
    return {theNow[0] - theBefore[0], theNow[1] - theBefore[1], theNow[2] - theBefore[2]};
}

} // namespace

// Play renders on a thread of its own: two sessions whose frame calls overlap on two threads
// (A begins, B begins, A ends, B ends) each count only their own callbacks.
TEST(HostSessions, OverlappingCallsOnTwoThreadsCountTheirOwnCallbacks)
{
    HYPluginMainProc theMain = LoadedBundle().Main();
    GatedClips theLoneClips{200, 200};
    HostSession theLone(theMain, theLoneClips);
    BeginOut(theLone, theLoneClips);
    const std::array<long, 3> theLoneBefore = CallbackCounts(theLone);
    ASSERT_EQ(theLone.Call(1, kPlugDoFrame), kPluginOK);
    const std::array<long, 3> theAlone = Since(CallbackCounts(theLone), theLoneBefore);
    ASSERT_EQ(theLone.Call(1, kPlugTerminate), kPluginOK);

    GatedClips theClipsA{200, 200}, theClipsB{200, 200};
    HostSession theA(theMain, theClipsA), theB(theMain, theClipsB);
    BeginOut(theA, theClipsA);
    BeginOut(theB, theClipsB);
    const std::array<long, 3> theBeforeA = CallbackCounts(theA), theBeforeB = CallbackCounts(theB);
    std::promise<void> theAInside, theBInside, theADone;
    theClipsA.gate = [&] {
        theAInside.set_value();
        theBInside.get_future().wait();
    };
    theClipsB.gate = [&] {
        theBInside.set_value();
        theADone.get_future().wait();
    };
    SInt32 theResultB = kPluginOK;
    std::thread theOther([&] {
        theAInside.get_future().wait();
        theResultB = theB.Call(1, kPlugDoFrame);
    });
    const SInt32 theResultA = theA.Call(1, kPlugDoFrame);
    theADone.set_value();
    theOther.join();
    EXPECT_EQ(theResultA, kPluginOK);
    EXPECT_EQ(theResultB, kPluginOK);
    EXPECT_EQ(Since(CallbackCounts(theA), theBeforeA), theAlone);
    EXPECT_EQ(Since(CallbackCounts(theB), theBeforeB), theAlone);
    for (HostSession* theSession : {&theA, &theB}) EXPECT_EQ(theSession->Call(1, kPlugTerminate), kPluginOK);
}

namespace {

constexpr double cDrawSeconds = 0.005;

// Frames that cost the host processor time to draw, as decoding does.
class SlowClips : public TestPatternClips {
public:
    using TestPatternClips::TestPatternClips;
    bool DrawFrame(SInt32 theFrameNumber, GWorldPtr theFrame, std::string& outError) override
    {
        timespec theStart{}, theNow{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &theStart);
        do {
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &theNow);
        } while (double(theNow.tv_sec - theStart.tv_sec) + double(theNow.tv_nsec - theStart.tv_nsec) * 1e-9 <
                 cDrawSeconds);
        return TestPatternClips::DrawFrame(theFrameNumber, theFrame, outError);
    }
};

} // namespace

TEST(PluginTime, LeavesOutTheTimeOfTheHostsCallbacks)
{
    // The same transition from quick clips, then from clips that cost the host cDrawSeconds a
    // frame: the plug-in's own time must not grow by the host's, however fast the machine.
    auto theRun = [](ClipFrames& theClips, long& outFrames) {
        HostSession theSession(LoadedBundle().Main(), theClips);
        std::string theError;
        EXPECT_TRUE(RunTransition(theSession, TransitionPlan{3, 0.0f, 16, 12, false},
                                  [](SInt32, GWorldPtr) { return true; }, theError))
            << theError;
        outFrames = theSession.FramesOut();
        return theSession.PluginSeconds();
    };
    TestPatternClips theQuick(40, 40);
    SlowClips theSlow(40, 40);
    long theFrames = 0;
    const double theQuickSeconds = theRun(theQuick, theFrames);
    const double theSlowSeconds = theRun(theSlow, theFrames);
    EXPECT_GT(theFrames, 10);
    EXPECT_GT(theSlowSeconds, 0.0);
    EXPECT_LT(theSlowSeconds, theQuickSeconds + double(theFrames) * cDrawSeconds / 2);
}
