#include "pluginfixture.h"
#include "videotestsupport.h"

#include "ConfigureMovie.h"
#include "DemoMovies.h"
#include "RenderMovie.h"
#include "TransitionRun.h"
#include "callpixelfx.h"
#include "pixeleffect.h"
#include "testbuffers.h"

#include <cmath>
#include <cstdlib>

using namespace testing_support;
using namespace videotest;

namespace {

constexpr SInt32 cTransitionFrames = 10; // at speed 0
constexpr SInt32 cSeed = 4242;

// The picture without alpha, which the lossless output does not keep.
std::vector<UInt32> Colours(GWorldPtr theFrame)
{
    std::vector<UInt32> thePixels = Pixels(theFrame);
    for (UInt32& thePixel : thePixels) thePixel &= 0x00FFFFFFu;
    return thePixels;
}

std::vector<UInt32> ClipFrame(video::FrameSource& theClip, SInt32 theFrame, int theWidth, int theHeight)
{
    GWorldOwner theWorld = MakeGWorld(theWidth, theHeight);
    std::string theError;
    EXPECT_TRUE(theClip.DrawFrame(theFrame, theWorld.get(), theError)) << theError;
    return Colours(theWorld.get());
}

// Transition frame theIndex as the engine renders it from the same decoded clip frames.
std::vector<UInt32> EngineFrame(SInt32 theWhich, SInt32 theIndex, SInt32 theFirstA, video::FrameSource& theA,
                                video::FrameSource* theB, pluginDataRec& theConfig, int theWidth, int theHeight)
{
    GWorldOwner theDest = MakeGWorld(theWidth, theHeight), theSource = MakeGWorld(theWidth, theHeight);
    std::string theError;
    EXPECT_TRUE(theA.DrawFrame(theFirstA + theIndex, theDest.get(), theError)) << theError;
    if (theB) {
        EXPECT_TRUE(theB->DrawFrame(theIndex, theSource.get(), theError)) << theError;
    }
    theConfig.which = SInt16(theWhich);
    DoPixelEffect(theSource.get(), theDest.get(), &theConfig, theIndex, cTransitionFrames);
    return Colours(theDest.get());
}

// The plug-in's level for a full volume at a frame of the transition: rising for In's clip and
// Cross's incoming clip, falling otherwise.
double Level(SInt32 theIndex, bool theRising)
{
    const double theProgress = double(theIndex + 1) / cTransitionFrames;
    return std::trunc(256.0 * (theRising ? theProgress : 1.0 - theProgress)) / 256.0;
}

} // namespace

TEST(Render, MoviesHoldTheClipsAroundTheEnginesTransitionAndTheSoundFollows)
{
    TemporaryFolder theFolder;
    video::SyntheticClip theClipA = SmallClip(), theClipB = SmallClip();
    theClipB.pattern = "smptebars";
    theClipB.frameCount = 25;
    theClipB.toneHertz = 660;
    const std::string thePathA = MakeClip(theFolder, "a.mkv", theClipA);
    const std::string thePathB = MakeClip(theFolder, "b.mkv", theClipB);
    std::unique_ptr<video::FrameSource> theA = OpenClip(thePathA), theB = OpenClip(thePathB);
    ASSERT_TRUE(theA && theB);
    const int theWidth = 48, theHeight = 36; // scaled from 64x48, the same shape

    struct Case {
        SInt32 which;
        SInt32 firstA;      // clip A frame the transition starts on
        SInt32 headFrames;  // clip A frames before the transition
        SInt32 length;
    };
    // Out ends on one more frame than clip A has: the dissolve complete, all fill colour.
    for (const Case& theCase : {Case{1, 10, 10, 21}, Case{2, 0, 0, 20}, Case{3, 10, 10, 35}}) {
        SCOPED_TRACE(theCase.which);
        RenderJob theJob;
        theJob.which = theCase.which;
        theJob.speed = 0.0f;
        theJob.clips = {thePathA};
        if (theCase.which == 3) theJob.clips.push_back(thePathB);
        theJob.output = theFolder.PathOf("movie" + std::to_string(theCase.which) + ".mkv");
        theJob.width = theWidth;
        theJob.height = theHeight;

        pluginDataRec theConfig{};
        ResetConfig(&theConfig, true);
        SetQDGlobalsRandomSeed(cSeed);
        InitPixelEffect(&theConfig, cTransitionFrames, theWidth, theHeight);
        SetQDGlobalsRandomSeed(cSeed);
        std::string theError;
        SInt32 theLastProgress = 0, theTotal = 0;
        RenderObserver theObserver;
        theObserver.progress = [&](SInt32 theDone, SInt32 theOf) {
            EXPECT_EQ(theDone, theLastProgress + 1);
            theLastProgress = theDone;
            theTotal = theOf;
        };
        ASSERT_TRUE(RenderMovie(LoadedBundle().Main(), theJob, theObserver, theError)) << theError;
        EXPECT_EQ(theTotal, theCase.length);

        std::unique_ptr<video::FrameSource> theMovie = OpenClip(theJob.output);
        ASSERT_TRUE(theMovie);
        const video::ClipInfo& theInfo = theMovie->Info();
        EXPECT_EQ(theInfo.frameCount, theCase.length);
        EXPECT_EQ(theInfo.width, theWidth);
        EXPECT_EQ(theInfo.height, theHeight);
        EXPECT_EQ(theInfo.rate.num * 1, theInfo.rate.den * 10);
        ASSERT_TRUE(theInfo.hasAudio);

        video::FrameSource* theIncoming = theCase.which == 3 ? theB.get() : nullptr;
        video::AudioBlock theGot, theSoundA, theSoundB;
        for (SInt32 theFrame = 0; theFrame < theCase.length; ++theFrame) {
            SCOPED_TRACE(theFrame);
            const SInt32 theIndex = theFrame - theCase.headFrames; // in the transition when 0..n-1
            const bool theInTransition = theIndex >= 0 && theIndex < cTransitionFrames;
            const bool theEndState = theCase.which == 1 && theIndex == cTransitionFrames;
            // Outside the transition the movie shows clip A, then the rest of clip B (Cross) or of A (In).
            video::FrameSource& theShown = theCase.which == 3 && theIndex >= 0 ? *theB : *theA;
            const SInt32 theShownFrame = theCase.which == 3 && theIndex >= 0 ? theIndex : theFrame;
            const std::vector<UInt32> theExpected =
                theEndState       ? std::vector<UInt32>(size_t(theWidth) * theHeight, 0x0000FFu)
                : theInTransition
                    ? EngineFrame(theCase.which, theIndex, theCase.firstA, *theA, theIncoming, theConfig, theWidth,
                                  theHeight)
                    : ClipFrame(theShown, theShownFrame, theWidth, theHeight);
            ASSERT_EQ(ClipFrame(*theMovie, theFrame, theWidth, theHeight), theExpected);

            // Sound: full level outside; inside, clip A at the plug-in's level (plus B rising for Cross).
            ASSERT_TRUE(theMovie->GetFrameAudio(theFrame, theGot, theError)) << theError;
            const bool theAudioOk = theInTransition || theEndState
                                        ? theA->GetFrameAudio(theCase.firstA + std::min(theIndex, cTransitionFrames - 1),
                                                              theSoundA, theError)
                                        : theShown.GetFrameAudio(theShownFrame, theSoundA, theError);
            ASSERT_TRUE(theAudioOk) << theError;
            const double theLevelA = theEndState ? 0.0 : theInTransition ? Level(theIndex, theCase.which == 2) : 1.0;
            const bool theWithB = theInTransition && theIncoming;
            if (theWithB) {
                ASSERT_TRUE(theB->GetFrameAudio(theIndex, theSoundB, theError)) << theError;
            }
            ASSERT_EQ(theGot.samples.size(), theSoundA.samples.size());
            double theWorst = 0.0;
            for (size_t s = 0; s < theGot.samples.size(); ++s) {
                double theWanted =
                    theSoundA.samples[s] * theLevelA + (theWithB ? theSoundB.samples[s] * Level(theIndex, true) : 0.0);
                theWanted = std::clamp(theWanted, -1.0, 1.0);
                theWorst = std::max(theWorst, std::abs(theGot.samples[s] - theWanted));
            }
            EXPECT_LT(theWorst, 0.002);
        }
        ShutdownPixelEffect(&theConfig);
    }
}

TEST(Render, DemoMakesClipsMoviesAndAContactSheet)
{
    // The Cross overlaps the two 75-frame clips by the length the plug-in asks for at the default speed.
    TestPatternClips theClips(75, 75);
    HostSession theSession(LoadedBundle().Main(), theClips);
    TransitionLayout theLayout;
    std::string theError;
    ASSERT_TRUE(AskTransitionLayout(theSession, TransitionPlan{3, 0.5f, 64, 48, false}, theLayout, theError));
    const SInt32 theCross = theLayout.frameCount;

    TemporaryFolder theFolder;
    const std::string theOutput = theFolder.PathOf("demo");
    const std::string theCommand = std::string(GLINT_PROGRAM_PATH) + " demo -o " + theOutput + " > " +
                                   theFolder.PathOf("printed.txt");
    ASSERT_EQ(std::system(theCommand.c_str()), 0);

    for (const char* theMovie : {"out.mp4", "in.mp4", "cross.mp4"}) {
        std::unique_ptr<video::FrameSource> theSource = OpenClip(theOutput + "/" + theMovie);
        ASSERT_TRUE(theSource) << theMovie;
        EXPECT_EQ(theSource->Info().width, 640);
        EXPECT_EQ(theSource->Info().height, 360);
        EXPECT_TRUE(theSource->Info().hasAudio);
        const std::string theName = theMovie;
        EXPECT_EQ(theSource->Info().frameCount, theName == "cross.mp4" ? 150 - theCross : theName == "out.mp4" ? 76 : 75)
            << theMovie;
    }
    std::unique_ptr<video::FrameSource> theSheet = OpenClip(theOutput + "/contact-sheet.png");
    ASSERT_TRUE(theSheet);
    EXPECT_GT(theSheet->Info().width, 5 * 192);
    EXPECT_GT(theSheet->Info().height, 3 * 108);
    // Nothing staged is left over.
    std::vector<std::string> theEntries;
    for (const auto& theEntry : std::filesystem::directory_iterator(theOutput))
        theEntries.push_back(theEntry.path().filename().string());
    std::sort(theEntries.begin(), theEntries.end());
    EXPECT_EQ(theEntries, (std::vector<std::string>{"clip-a.mp4", "clip-b.mp4", "contact-sheet.png", "cross.mp4",
                                                    "in.mp4", "out.mp4"}));
}

// The dialog's proxy frames keep a clip's shape within 320 pixels a side, however tall or wide
// the clip: a tall one once made a height no frame can have.
TEST(ConfigureOnClips, AVeryTallOrWideClipGivesProxyFramesOfItsShape)
{
    TemporaryFolder theFolder;
    for (const char* theSize : {"100x20000", "20000x100", "1080x1920"}) {
        SCOPED_TRACE(theSize);
        const std::string theClip = theFolder.PathOf(std::string(theSize) + ".mkv");
        ASSERT_EQ(std::system(("ffmpeg -v error -f lavfi -i color=c=red:s=" + std::string(theSize) +
                               ":rate=10 -frames:v 12 -c:v ffv1 '" + theClip + "'")
                                  .c_str()),
                  0);
        ConfigureJob theJob;
        theJob.which = 1;
        theJob.speed = 0.0f;
        theJob.clipA = theClip;
        std::string theError;
        EXPECT_TRUE(ConfigureTransition(LoadedBundle().Main(), theJob, nullptr, theError)) << theError;
    }
}
