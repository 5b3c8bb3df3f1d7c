// The module in the real libobs, headless: every frame of a transition, driven as Studio mode's
// T-bar drives it, shows exactly the pixels the engine's map selects for frame ceil(t x N), and
// the selection is the one 'glintweave render' makes.
#include "ObsSession.h"

#include "LumaMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>

namespace {

constexpr const char* cDissolve = "glintweave_dissolve";
constexpr const char* cColour = "glintweave_dissolve_colour";
constexpr uint32_t cBlack = 0xFF000000, cOrange = 0xFF00A5FF; // OBS's 0xAABBGGRR

// A picture whose every pixel differs from its neighbours'; its complement differs from it in
// every byte but alpha.
std::vector<uint8_t> MakePattern(uint32_t theWidth, uint32_t theHeight, bool theComplement)
{
    std::vector<uint8_t> thePixels(size_t(theWidth) * theHeight * 4);
    for (uint32_t y = 0; y < theHeight; ++y)
        for (uint32_t x = 0; x < theWidth; ++x) {
            uint8_t* thePixel = &thePixels[(size_t(y) * theWidth + x) * 4];
            thePixel[0] = uint8_t(x * 37 + y * 11);
            thePixel[1] = uint8_t((x * 5) ^ (y * 23));
            thePixel[2] = uint8_t(x * y + 7 * x + 3);
            if (theComplement)
                for (int c = 0; c < 3; ++c) thePixel[c] = uint8_t(~thePixel[c]);
            thePixel[3] = 255;
        }
    return thePixels;
}

struct Dissolve {
    const char* id;
    uint32_t width, height;
    uint32_t rateNum, rateDen;
    int durationMs;
    int32_t frames; // N = round(duration x rate), worked out by hand
    double region[4]; // left, right, top, bottom in percent
    uint32_t fill;
};

void PrintTo(const Dissolve& theCase, std::ostream* theStream)
{
    *theStream << theCase.id << " " << theCase.width << "x" << theCase.height << " " << theCase.frames << " frames";
}

// The engine's levels for one transition over the whole frame, row by row.
std::vector<UInt16> EngineLevels(SInt32 theWhich, SInt32 theFrames, uint32_t theWidth, uint32_t theHeight)
{
    std::vector<UInt16> theLevels;
    const LumaRequest theRequest{SInt32(theWidth), SInt32(theHeight), theFrames, theWhich, {0.0, 1.0, 0.0, 1.0}};
    EXPECT_TRUE(MakeLumaMap(theRequest, [&](const UInt16* theRow) {
        theLevels.insert(theLevels.end(), theRow, theRow + theWidth);
        return true;
    }));
    return theLevels;
}

// What frame j of the transition shows: inside the region, the pixels whose moment frame j has
// reached are new; outside, a Cross and an In show their new picture and an Out its old one.
// Through the colour, an Out of the first ceil(N / 2) frames, then an In of the rest.
class Expected {
public:
    Expected(const Dissolve& theCase, const std::vector<uint8_t>& theA, const std::vector<uint8_t>& theB)
        : mCase(theCase), mA(theA), mB(theB)
    {
        const relRect theRegion{theCase.region[0] / 100, theCase.region[1] / 100, theCase.region[2] / 100,
                                theCase.region[3] / 100};
        mRegion = ClipLumaRegion(theRegion, SInt32(theCase.width), SInt32(theCase.height));
        mColour = std::string(theCase.id) == cColour;
        mOut = (theCase.frames + 1) / 2;
        if (mColour) {
            mLevels[0] = EngineLevels(1, mOut, theCase.width, theCase.height);
            if (theCase.frames > mOut) mLevels[1] = EngineLevels(2, theCase.frames - mOut, theCase.width, theCase.height);
        } else {
            mLevels[0] = EngineLevels(3, theCase.frames, theCase.width, theCase.height);
        }
    }

    std::vector<uint8_t> Frame(int32_t j) const
    {
        int theWhich = 3, theMap = 0;
        int32_t theFrame = j, theFrames = mCase.frames;
        if (mColour && j <= mOut) {
            theWhich = 1;
            theFrames = mOut;
        } else if (mColour) {
            theWhich = 2;
            theMap = 1;
            theFrame = j - mOut;
            theFrames = mCase.frames - mOut;
        }
        const uint32_t theReached = uint32_t(int64_t(65536) * theFrame / theFrames);
        const uint8_t theFill[4] = {uint8_t(mCase.fill >> 16), uint8_t(mCase.fill >> 8), uint8_t(mCase.fill), 255};
        std::vector<uint8_t> theResult(mA.size());
        for (uint32_t y = 0; y < mCase.height; ++y)
            for (uint32_t x = 0; x < mCase.width; ++x) {
                const size_t i = size_t(y) * mCase.width + x;
                const bool theInside = SInt32(x) >= mRegion.left && SInt32(x) < mRegion.right &&
                                       SInt32(y) >= mRegion.top && SInt32(y) < mRegion.bottom;
                const bool theNew = theInside ? mLevels[theMap][i] <= theReached : theWhich != 1;
                const uint8_t* theOld = theWhich == 2 ? theFill : &mA[i * 4];
                const uint8_t* theShown = theWhich == 1 ? (theNew ? theFill : theOld) : theNew ? &mB[i * 4] : theOld;
                std::copy(theShown, theShown + 4, &theResult[i * 4]);
            }
        return theResult;
    }

private:
    const Dissolve& mCase;
    const std::vector<uint8_t>& mA;
    const std::vector<uint8_t>& mB;
    LumaRegion mRegion;
    bool mColour;
    int32_t mOut;
    std::vector<UInt16> mLevels[2];
};

// Pixels of the picture that differ from the top left of the frame shown, as far as the canvas
// reaches (it may be larger: OBS's output is a multiple of 4 pixels wide and 2 high).
size_t CountDifferentPixels(uint32_t theShownWidth, const std::vector<uint8_t>& theShown,
                            const std::vector<uint8_t>& theExpected, uint32_t theWidth, uint32_t theHeight)
{
    const uint32_t theShownHeight = theShownWidth ? uint32_t(theShown.size() / 4 / theShownWidth) : 0;
    if (theShownHeight == 0) return size_t(theWidth) * theHeight;
    size_t theCount = 0;
    for (uint32_t y = 0; y < std::min(theHeight, theShownHeight); ++y)
        for (uint32_t x = 0; x < std::min(theWidth, theShownWidth); ++x)
            theCount += std::memcmp(&theShown[(size_t(y) * theShownWidth + x) * 4],
                                    &theExpected[(size_t(y) * theWidth + x) * 4], 4) != 0;
    return theCount;
}

// A private HOME whose configuration folder holds the module as a user installs it.
class ObsTransition : public testing::Test {
protected:
    void SetUp() override
    {
        std::string theTemplate = (std::filesystem::temp_directory_path() / "glintobs.XXXXXX").string();
        ASSERT_NE(mkdtemp(theTemplate.data()), nullptr);
        mHome = theTemplate;
        mConfig = mHome / ".config";
        const std::filesystem::path thePlugins = mConfig / "obs-studio" / "plugins" / "glintweave";
        std::filesystem::create_directories(thePlugins);
        std::filesystem::copy(GLINT_OBS_MODULE_DIR, thePlugins, std::filesystem::copy_options::recursive);
        setenv("HOME", mHome.c_str(), 1);
        setenv("XDG_CONFIG_HOME", mConfig.c_str(), 1);
    }
    void TearDown() override
    {
        mSession.reset();
        std::filesystem::remove_all(mHome);
    }

    // libobs with the module loaded from the user plug-in folder.
    void StartObs(uint32_t theWidth, uint32_t theHeight, uint32_t theRateNum, uint32_t theRateDen,
                  bool theModuleLoads = true)
    {
        mSession = std::make_unique<ObsSession>();
        std::string theError;
        ASSERT_TRUE(mSession->Start(theWidth, theHeight, theRateNum, theRateDen, theError)) << theError;
        const bool theLoaded = mSession->LoadUserModule(mConfig.string(), theError);
        ASSERT_EQ(theLoaded, theModuleLoads) << theError;
    }

    // The transition from scene A to scene B on the output, not yet started.
    obs_source_t* MakeTransition(const char* theId, obs_data_t* theSettings, const std::vector<uint8_t>& theA,
                                 const std::vector<uint8_t>& theB, uint32_t theWidth, uint32_t theHeight)
    {
        SetTestPicture("A", theWidth, theHeight, theA);
        SetTestPicture("B", theWidth, theHeight, theB);
        mA = CreatePicture("A");
        mB = CreatePicture("B");
        obs_source_t* theTransition = obs_source_create_private(theId, "Glintweave", theSettings);
        if (!theTransition) return nullptr;
        obs_set_output_source(0, theTransition);
        obs_transition_set(theTransition, mA);
        mSession->ReadFrames();
        return theTransition;
    }

    size_t CountDifferent(const std::vector<uint8_t>& theShown, const std::vector<uint8_t>& theExpected,
                          const Dissolve& theCase)
    {
        return CountDifferentPixels(mSession->width, theShown, theExpected, theCase.width, theCase.height);
    }

    // The frame shows exactly the expected picture, 0 pixels different: drawn into a texture, and
    // in OBS's output after the pass libobs gives every BGRA output (PassOutputStage), which at
    // 1920x1080 moves thousands of these pixels, even of scene B drawn by OBS alone.
    void ExpectFrame(obs_source_t* theTransition, const std::vector<uint8_t>& theShown,
                     const std::vector<uint8_t>& theExpected, const Dissolve& theCase, int32_t j)
    {
        const std::vector<uint8_t> theDirect = ObsSession::RenderSource(theTransition, theCase.width, theCase.height);
        EXPECT_EQ(CountDifferentPixels(theCase.width, theDirect, theExpected, theCase.width, theCase.height), 0u)
            << "frame " << j << " of " << theCase.frames << ", drawn into a texture";
        const std::vector<uint8_t> theOutput = mSession->PassOutputStage(theExpected, theCase.width, theCase.height);
        EXPECT_EQ(CountDifferent(theShown, theOutput, theCase), 0u)
            << "frame " << j << " of " << theCase.frames << " in OBS's output";
    }

    // The picture once the T-bar has been moved to t.
    std::vector<uint8_t> ShowManualTime(obs_source_t* theTransition, float theTime)
    {
        obs_transition_set_manual_time(theTransition, theTime);
        ObsFrame theFrame;
        EXPECT_TRUE(mSession->WaitNewFrame(120, theFrame));
        return theFrame.pixels;
    }

    void ReleaseScenes()
    {
        obs_source_release(mA);
        obs_source_release(mB);
        mA = mB = nullptr;
    }

    std::filesystem::path mHome;
    std::filesystem::path mConfig;
    std::unique_ptr<ObsSession> mSession;
    obs_source_t* mA = nullptr;
    obs_source_t* mB = nullptr;
};

obs_data_t* MakeSettings(const Dissolve& theCase)
{
    obs_data_t* theSettings = obs_data_create();
    obs_data_set_int(theSettings, "duration_ms", theCase.durationMs);
    obs_data_set_int(theSettings, "fill", theCase.fill);
    obs_data_set_double(theSettings, "left", theCase.region[0]);
    obs_data_set_double(theSettings, "right", theCase.region[1]);
    obs_data_set_double(theSettings, "top", theCase.region[2]);
    obs_data_set_double(theSettings, "bottom", theCase.region[3]);
    return theSettings;
}

class ObsManualTime : public ObsTransition, public testing::WithParamInterface<Dissolve> {};

TEST_P(ObsManualTime, EveryFrameIsTheMapsSelection)
{
    const Dissolve& theCase = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartObs(theCase.width, theCase.height, theCase.rateNum, theCase.rateDen));
    const std::vector<uint8_t> theA = MakePattern(theCase.width, theCase.height, false);
    const std::vector<uint8_t> theB = MakePattern(theCase.width, theCase.height, true);
    const Expected theExpected(theCase, theA, theB);
    obs_data_t* theSettings = MakeSettings(theCase);
    obs_source_t* theTransition = MakeTransition(theCase.id, theSettings, theA, theB, theCase.width, theCase.height);
    obs_data_release(theSettings);
    ASSERT_NE(theTransition, nullptr);
    ASSERT_TRUE(obs_transition_start(theTransition, OBS_TRANSITION_MODE_MANUAL, 300, mB));
    // Frame j at t = j / N, the latest time that shows it; the last frame, j = N, half a frame
    // earlier, as at t = 1 OBS ends the transition and shows B itself.
    for (int32_t j = 0; j <= theCase.frames; ++j) {
        const float theTime = (float(j) - (j == theCase.frames ? 0.5f : 0.0f)) / float(theCase.frames);
        const std::vector<uint8_t> theShown = ShowManualTime(theTransition, theTime);
        ExpectFrame(theTransition, theShown, theExpected.Frame(j), theCase, j);
    }
    ExpectFrame(theTransition, ShowManualTime(theTransition, 1.0f), theB, theCase, theCase.frames);
    obs_set_output_source(0, nullptr);
    obs_source_release(theTransition);
    ReleaseScenes();
}

INSTANTIATE_TEST_SUITE_P(
    Table, ObsManualTime,
    testing::Values(Dissolve{cDissolve, 64, 48, 25, 1, 40, 1, {0, 100, 0, 100}, cBlack},
                    Dissolve{cColour, 64, 48, 25, 1, 40, 1, {0, 100, 0, 100}, cOrange},
                    Dissolve{cDissolve, 64, 48, 25, 1, 80, 2, {10, 75, 20, 90}, cBlack},
                    Dissolve{cColour, 64, 48, 25, 1, 80, 2, {0, 100, 0, 100}, cOrange},
                    Dissolve{cDissolve, 321, 181, 25, 1, 1000, 25, {10, 75, 20, 90}, cBlack},
                    Dissolve{cColour, 321, 181, 25, 1, 1000, 25, {10, 75, 20, 90}, cOrange},
                    Dissolve{cDissolve, 160, 90, 60, 1, 1100, 66, {0, 100, 0, 100}, cBlack},
                    Dissolve{cColour, 97, 55, 30000, 1001, 2202, 66, {0, 100, 0, 100}, cOrange},
                    Dissolve{cDissolve, 1920, 1080, 25, 1, 80, 2, {10, 75, 20, 90}, cBlack},
                    Dissolve{cColour, 1920, 1080, 25, 1, 40, 1, {0, 100, 0, 100}, cOrange}));

} // namespace

namespace {

// Exit status of a shell command line.
int RunCommand(const std::string& theLine)
{
    return std::system(theLine.c_str());
}

void WritePng(const std::filesystem::path& thePath, uint32_t theWidth, uint32_t theHeight,
              const std::vector<uint8_t>& thePixels)
{
    const std::filesystem::path theRaw = thePath.string() + ".bgra";
    std::ofstream(theRaw, std::ios::binary).write(reinterpret_cast<const char*>(thePixels.data()),
                                                   std::streamsize(thePixels.size()));
    const std::string theSize = std::to_string(theWidth) + "x" + std::to_string(theHeight);
    ASSERT_EQ(RunCommand("ffmpeg -v error -f rawvideo -pix_fmt bgra -s " + theSize + " -i '" + theRaw.string() +
                  "' -pix_fmt rgb24 '" + thePath.string() + "'"),
              0);
    std::filesystem::remove(theRaw);
}

// Every frame of a movie or picture sequence, in BGRA.
std::vector<std::vector<uint8_t>> ReadFrames(const std::string& theInput, uint32_t theWidth, uint32_t theHeight)
{
    const std::string theRaw = theInput.substr(0, theInput.rfind('/')) + "/frames.bgra";
    EXPECT_EQ(RunCommand("ffmpeg -v error -i '" + theInput + "' -f rawvideo -pix_fmt bgra '" + theRaw + "'"), 0);
    std::ifstream theFile(theRaw, std::ios::binary);
    const std::vector<char> theBytes{std::istreambuf_iterator<char>(theFile), {}};
    std::filesystem::remove(theRaw);
    const size_t theFrameSize = size_t(theWidth) * theHeight * 4;
    std::vector<std::vector<uint8_t>> theFrames;
    for (size_t i = 0; i + theFrameSize <= theBytes.size(); i += theFrameSize)
        theFrames.emplace_back(theBytes.begin() + long(i), theBytes.begin() + long(i + theFrameSize));
    return theFrames;
}

// glintweave render of the same pictures, transition, length, region and fill: OBS's frame j
// is the render's frame j; the frame after a Cross or an In is the new picture, and the one
// after an Out its end state.
TEST_F(ObsTransition, TheFramesAreGlintweaveRendersOwn)
{
    constexpr uint32_t cWidth = 64, cHeight = 48;
    const std::vector<uint8_t> theA = MakePattern(cWidth, cHeight, false);
    const std::vector<uint8_t> theB = MakePattern(cWidth, cHeight, true);
    ASSERT_NO_FATAL_FAILURE(WritePng(mHome / "a.png", cWidth, cHeight, theA));
    ASSERT_NO_FATAL_FAILURE(WritePng(mHome / "b.png", cWidth, cHeight, theB));
    // Stills of 2 s, S frames each at the movie's rate.
    const auto Render = [&](const std::string& theName, const std::string& theArguments) {
        const std::filesystem::path theFolder = mHome / theName;
        std::filesystem::create_directory(theFolder);
        EXPECT_EQ(RunCommand("cd '" + mHome.string() + "' && '" GLINT_PROGRAM "' render --still-duration 2 --size 64x48 " + theArguments +
                      " -o '" + (theFolder / "f_%04d.png").string() + "' >/dev/null 2>&1"),
                  0);
        return ReadFrames((theFolder / "f_%04d.png").string(), cWidth, cHeight);
    };
    const std::string theRegion = " --region 0.1,0.75,0.2,0.9 ";
    const auto theCross = Render("cross", "--transition cross --frames 25" + theRegion + "a.png b.png");
    const auto theOut = Render("out", "--transition out --frames 13 --fill '#FFA500'" + theRegion + "a.png");
    const auto theIn = Render("in", "--transition in --frames 12 --fill '#FFA500'" + theRegion + "b.png");
    const size_t theStill = theIn.size();
    ASSERT_GE(theStill, 25u);
    ASSERT_EQ(theCross.size(), 2 * theStill - 25);
    ASSERT_EQ(theOut.size(), theStill + 1);

    ASSERT_NO_FATAL_FAILURE(StartObs(cWidth, cHeight, 25, 1));
    for (const char* theId : {cDissolve, cColour}) {
        const Dissolve theCase{theId, cWidth, cHeight, 25, 1, 1000, 25, {10, 75, 20, 90}, cOrange};
        obs_data_t* theSettings = MakeSettings(theCase);
        obs_source_t* theTransition = MakeTransition(theId, theSettings, theA, theB, cWidth, cHeight);
        obs_data_release(theSettings);
        ASSERT_NE(theTransition, nullptr);
        ASSERT_TRUE(obs_transition_start(theTransition, OBS_TRANSITION_MODE_MANUAL, 300, mB));
        for (int32_t j = 0; j <= 25; ++j) {
            // Cross: the last 25 frames of the first still; through the colour, an Out over the last
            // 13 frames of the still with its end state after it, then an In over the first 12.
            const std::vector<uint8_t>& theRendered = theId == cDissolve ? theCross[theStill - 25 + size_t(j)]
                                                      : j <= 13           ? theOut[theStill - 13 + size_t(j)]
                                                                          : theIn[size_t(j - 13)];
            const std::vector<uint8_t> theShown = ShowManualTime(theTransition, float(j) / 25.0f);
            EXPECT_EQ(CountDifferent(theShown, theRendered, theCase), 0u) << theId << ", frame " << j;
        }
        obs_set_output_source(0, nullptr);
        obs_source_release(theTransition);
        ReleaseScenes();
    }
}

// At the canvas rate each output frame is one frame of the transition, in order, each once.
TEST_F(ObsTransition, ATimedRunShowsEveryFrameOnceInOrder)
{
    const Dissolve theCase{cDissolve, 64, 48, 25, 1, 1000, 25, {0, 100, 0, 100}, cBlack};
    ASSERT_NO_FATAL_FAILURE(StartObs(theCase.width, theCase.height, 25, 1));
    const std::vector<uint8_t> theA = MakePattern(theCase.width, theCase.height, false);
    const std::vector<uint8_t> theB = MakePattern(theCase.width, theCase.height, true);
    const Expected theExpected(theCase, theA, theB);
    std::vector<std::vector<uint8_t>> theFrames;
    for (int32_t j = 0; j <= theCase.frames; ++j) theFrames.push_back(theExpected.Frame(j));

    obs_data_t* theSettings = MakeSettings(theCase);
    obs_source_t* theTransition = MakeTransition(theCase.id, theSettings, theA, theB, theCase.width, theCase.height);
    obs_data_release(theSettings);
    ASSERT_NE(theTransition, nullptr);
    ObsFrame theFrame;
    ASSERT_TRUE(mSession->WaitNewFrame(60, theFrame));
    mSession->KeepAllFrames(true);
    // The duration asked for is the module's to fix: 25 frames.
    ASSERT_TRUE(obs_transition_start(theTransition, OBS_TRANSITION_MODE_AUTO, 300, mB));
    ASSERT_TRUE(mSession->WaitFrame(mSession->CountFrames() + 40, 60, theFrame));
    const std::vector<ObsFrame> theShown = mSession->TakeFrames();

    std::string theOrder;
    int32_t theLast = -1;
    for (const ObsFrame& theOne : theShown) {
        const auto theMatch = std::find(theFrames.begin(), theFrames.end(), theOne.pixels);
        ASSERT_NE(theMatch, theFrames.end()) << "output frame " << theOne.number << " is none of the transition's";
        const int32_t j = int32_t(theMatch - theFrames.begin());
        theOrder.append(1, ' ').append(std::to_string(j));
        EXPECT_TRUE(j >= theLast && (j > theLast || j == 0 || j == theCase.frames)) << "frames shown:" << theOrder;
        theLast = j;
    }
    EXPECT_EQ(theLast, theCase.frames) << "frames shown:" << theOrder;
    obs_set_output_source(0, nullptr);
    obs_source_release(theTransition);
    ReleaseScenes();
}

// Settings a scene collection may hold, out of range or of the wrong type: the nearest sound
// value, worked out by hand (N at 25 frames a second), never a crash or a black frame.
TEST_F(ObsTransition, BadSettingsAreClampedToSoundOnes)
{
    struct Case {
        const char* id;
        const char* json;
        Dissolve sound;
    };
    const Case theCases[] = {
        {cDissolve, R"({"duration_ms": -500})", {cDissolve, 64, 48, 25, 1, 0, 1, {0, 100, 0, 100}, cBlack}},
        {cDissolve, R"({"duration_ms": 1e15})", {cDissolve, 64, 48, 25, 1, 0, 32768, {0, 100, 0, 100}, cBlack}},
        {cDissolve, R"({"duration_ms": "long"})", {cDissolve, 64, 48, 25, 1, 0, 25, {0, 100, 0, 100}, cBlack}},
        {cDissolve, R"({"left": 80, "right": 20})", {cDissolve, 64, 48, 25, 1, 0, 25, {50, 50, 0, 100}, cBlack}},
        {cColour, R"({"left": -50, "right": 250, "top": "x", "bottom": 1e300})",
         {cColour, 64, 48, 25, 1, 0, 25, {0, 100, 0, 100}, cBlack}},
        {cColour, R"({"fill": "orange", "top": 90, "bottom": 10})",
         {cColour, 64, 48, 25, 1, 0, 25, {0, 100, 50, 50}, cBlack}},
    };
    ASSERT_NO_FATAL_FAILURE(StartObs(64, 48, 25, 1));
    const std::vector<uint8_t> theA = MakePattern(64, 48, false);
    const std::vector<uint8_t> theB = MakePattern(64, 48, true);
    for (const Case& theCase : theCases) {
        const Expected theExpected(theCase.sound, theA, theB);
        obs_data_t* theSettings = obs_data_create_from_json(theCase.json);
        ASSERT_NE(theSettings, nullptr) << theCase.json;
        obs_source_t* theTransition = MakeTransition(theCase.id, theSettings, theA, theB, 64, 48);
        obs_data_release(theSettings);
        ASSERT_NE(theTransition, nullptr) << theCase.json;
        ASSERT_TRUE(obs_transition_start(theTransition, OBS_TRANSITION_MODE_MANUAL, 300, mB));
        const int32_t j = (theCase.sound.frames + 2) / 3; // t = 1/3: ceil(N / 3)
        const std::vector<uint8_t> theShown = ShowManualTime(theTransition, 1.0f / 3.0f);
        EXPECT_EQ(CountDifferent(theShown, theExpected.Frame(j), theCase.sound), 0u) << theCase.json;
        obs_set_output_source(0, nullptr);
        obs_source_release(theTransition);
        ReleaseScenes();
    }
}

// Settings changed while the transition is shown take effect on the next frame: a new length
// brings a new map, a new region or colour a new selection.
TEST_F(ObsTransition, ChangedSettingsShowAtOnce)
{
    const Dissolve theCases[] = {
        {cColour, 64, 48, 25, 1, 1000, 25, {0, 100, 0, 100}, cBlack},
        {cColour, 64, 48, 25, 1, 80, 2, {0, 100, 0, 100}, cBlack},
        {cColour, 64, 48, 25, 1, 80, 2, {10, 75, 20, 90}, cOrange},
    };
    ASSERT_NO_FATAL_FAILURE(StartObs(64, 48, 25, 1));
    const std::vector<uint8_t> theA = MakePattern(64, 48, false);
    const std::vector<uint8_t> theB = MakePattern(64, 48, true);
    obs_data_t* theSettings = MakeSettings(theCases[0]);
    obs_source_t* theTransition = MakeTransition(cColour, theSettings, theA, theB, 64, 48);
    obs_data_release(theSettings);
    ASSERT_NE(theTransition, nullptr);
    ASSERT_TRUE(obs_transition_start(theTransition, OBS_TRANSITION_MODE_MANUAL, 300, mB));
    for (const Dissolve& theCase : theCases) {
        theSettings = MakeSettings(theCase);
        obs_source_update(theTransition, theSettings);
        obs_data_release(theSettings);
        const int32_t j = (theCase.frames + 3) / 4; // t = 1/4: ceil(N / 4)
        EXPECT_EQ(CountDifferent(ShowManualTime(theTransition, 0.25f), Expected(theCase, theA, theB).Frame(j), theCase), 0u)
            << theCase.durationMs << " ms, left " << theCase.region[0];
    }
    obs_set_output_source(0, nullptr);
    obs_source_release(theTransition);
    ReleaseScenes();
}

// Transitions too small or too large for a sensible dissolve still show one. OBS's canvas is at
// least 2x2, so the smallest transition is a picture of 1x1 in it; the largest is shown by its
// top left corner in a small canvas, as reading back its whole output would take gigabytes.
class ObsCanvasSize : public ObsTransition, public testing::WithParamInterface<std::pair<uint32_t, uint32_t>> {};

TEST_P(ObsCanvasSize, TheFrameIsTheMapsSelection)
{
    const auto [theWidth, theHeight] = GetParam();
    const Dissolve theCase{cDissolve, theWidth, theHeight, 25, 1, 1000, 25, {0, 100, 0, 100}, cBlack};
    ASSERT_NO_FATAL_FAILURE(StartObs(std::min(theWidth, 64u), std::min(theHeight, 48u), 25, 1));
    const std::vector<uint8_t> theA = MakePattern(theWidth, theHeight, false);
    const std::vector<uint8_t> theB = MakePattern(theWidth, theHeight, true);
    obs_data_t* theSettings = MakeSettings(theCase);
    obs_source_t* theTransition = MakeTransition(theCase.id, theSettings, theA, theB, theWidth, theHeight);
    obs_data_release(theSettings);
    ASSERT_NE(theTransition, nullptr);
    ASSERT_TRUE(obs_transition_start(theTransition, OBS_TRANSITION_MODE_MANUAL, 300, mB));
    const std::vector<uint8_t> theShown = ShowManualTime(theTransition, 0.5f);
    EXPECT_EQ(CountDifferent(theShown, Expected(theCase, theA, theB).Frame(13), theCase), 0u);
    obs_set_output_source(0, nullptr);
    obs_source_release(theTransition);
    ReleaseScenes();
}

INSTANTIATE_TEST_SUITE_P(Extremes, ObsCanvasSize, testing::Values(std::make_pair(1u, 1u), std::make_pair(8192u, 8192u)));

// Without its data the module says so in one line and offers nothing; OBS goes on.
class ObsMissingData : public ObsTransition, public testing::WithParamInterface<const char*> {};

TEST_P(ObsMissingData, TheModuleLogsOneLineAndDoesNotRegister)
{
    std::filesystem::remove_all(mConfig / "obs-studio" / "plugins" / "glintweave" / GetParam());
    ASSERT_NO_FATAL_FAILURE(StartObs(64, 48, 25, 1, false));
    std::string theError;
    // OBS loads the other modules regardless.
    EXPECT_TRUE(mSession->LoadSystemModule("obs-transitions", theError)) << theError;
    const std::vector<std::string> theLog = mSession->LogLines();
    EXPECT_EQ(std::count_if(theLog.begin(), theLog.end(),
                            [](const std::string& theLine) { return theLine.find("[glintweave]") != std::string::npos; }),
              1);
    EXPECT_EQ(obs_source_get_display_name(cDissolve), nullptr);
    EXPECT_EQ(obs_source_get_display_name(cColour), nullptr);
    EXPECT_NE(obs_source_get_display_name("fade_transition"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Removed, ObsMissingData, testing::Values("data", "data/glintweave.effect"));

} // namespace
