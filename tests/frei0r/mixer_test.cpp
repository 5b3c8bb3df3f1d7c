// The mixer module opened the way a frei0r host opens it, against the engine as our own host drives it.
#include "MemoryFaults.h"
#include "callpixelfx.h"
#include "frei0rapi.h"
#include "mixerinstance.h"
#include "pixeleffect.h"
#include "pixellib.h"
#include "testbuffers.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

struct MixerModule {
    void* handle = dlopen(GLINT_MIXER_PATH, RTLD_NOW | RTLD_LOCAL);
    decltype(&f0r_get_plugin_info) getPluginInfo = Find<decltype(&f0r_get_plugin_info)>("f0r_get_plugin_info");
    decltype(&f0r_get_param_info) getParamInfo = Find<decltype(&f0r_get_param_info)>("f0r_get_param_info");
    decltype(&f0r_construct) construct = Find<decltype(&f0r_construct)>("f0r_construct");
    decltype(&f0r_destruct) destruct = Find<decltype(&f0r_destruct)>("f0r_destruct");
    decltype(&f0r_set_param_value) setParam = Find<decltype(&f0r_set_param_value)>("f0r_set_param_value");
    decltype(&f0r_get_param_value) getParam = Find<decltype(&f0r_get_param_value)>("f0r_get_param_value");
    decltype(&f0r_update2) update2 = Find<decltype(&f0r_update2)>("f0r_update2");

    template <typename F>
    F Find(const char* theName)
    {
        return handle ? reinterpret_cast<F>(dlsym(handle, theName)) : nullptr;
    }
    ~MixerModule()
    {
        if (handle) dlclose(handle);
    }
};

MixerModule& Module()
{
    static MixerModule theModule;
    return theModule;
}

int ParamIndex(const char* theName)
{
    f0r_plugin_info_t theInfo{};
    Module().getPluginInfo(&theInfo);
    for (int i = 0; i < theInfo.num_params; ++i) {
        f0r_param_info_t theParam{};
        Module().getParamInfo(&theParam, i);
        if (std::strcmp(theParam.name, theName) == 0) return i;
    }
    ADD_FAILURE() << "no parameter " << theName;
    return -1;
}

// An instance with its parameters set by name, as MLT sets them.
struct Mixer {
    f0r_instance_t instance;
    Mixer(unsigned theWidth, unsigned theHeight) : instance(Module().construct(theWidth, theHeight)) {}
    ~Mixer() { Module().destruct(instance); }

    void Set(const char* theName, double theValue) { Module().setParam(instance, &theValue, ParamIndex(theName)); }
    void Set(const char* theName, const char* theValue)
    {
        Module().setParam(instance, const_cast<char**>(&theValue), ParamIndex(theName));
    }
    void Set(const char* theName, f0r_param_color_t theValue)
    {
        Module().setParam(instance, &theValue, ParamIndex(theName));
    }
    template <typename T>
    T Get(const char* theName)
    {
        T theValue{};
        Module().getParam(instance, &theValue, ParamIndex(theName));
        return theValue;
    }
    void Render(const std::vector<UInt32>& theA, const std::vector<UInt32>& theB, std::vector<UInt32>& theOut)
    {
        Module().update2(instance, 0.0, theA.data(), theB.data(), nullptr, theOut.data());
    }
};

// frei0r frames hold red, green, blue, alpha in memory; the tests speak 0xAARRGGBB.
UInt32 ToRgbaWord(UInt32 theARGB)
{
    const UInt8 theBytes[4] = {UInt8(theARGB >> 16), UInt8(theARGB >> 8), UInt8(theARGB), UInt8(theARGB >> 24)};
    UInt32 theWord;
    std::memcpy(&theWord, theBytes, 4);
    return theWord;
}

UInt32 FromRgbaWord(UInt32 theWord)
{
    UInt8 b[4];
    std::memcpy(b, &theWord, 4);
    return UInt32(b[3]) << 24 | UInt32(b[0]) << 16 | UInt32(b[1]) << 8 | b[2];
}

std::vector<UInt32> ToArgb(const std::vector<UInt32>& theFrame)
{
    std::vector<UInt32> theResult;
    for (UInt32 theWord : theFrame) theResult.push_back(FromRgbaWord(theWord));
    return theResult;
}

// FNV-1a over the frame's bytes, which are the same on every processor for the same pixels.
uint64_t Checksum(const std::vector<UInt32>& theFrame)
{
    uint64_t theSum = 0xcbf29ce484222325u;
    const UInt8* theBytes = reinterpret_cast<const UInt8*>(theFrame.data());
    for (size_t i = 0; i < theFrame.size() * 4; ++i) theSum = (theSum ^ theBytes[i]) * 0x100000001b3u;
    return theSum;
}

constexpr SInt16 cOut = 1, cIn = 2, cCross = 3;

} // namespace

TEST(Mixer, LoadsAsAMixerOfRgbaFrames)
{
    ASSERT_NE(Module().handle, nullptr) << dlerror();
    ASSERT_TRUE(Module().getPluginInfo && Module().construct && Module().update2 && Module().setParam);
    f0r_plugin_info_t theInfo{};
    Module().getPluginInfo(&theInfo);
    EXPECT_EQ(theInfo.plugin_type, F0R_PLUGIN_TYPE_MIXER2);
    EXPECT_EQ(theInfo.color_model, F0R_COLOR_MODEL_RGBA8888);
    // Saved projects, MLT's and Kdenlive's, name these by number: their order, names and types stay.
    const std::vector<std::pair<std::string, int>> theExpected = {
        {"progress", F0R_PARAM_DOUBLE}, {"transition", F0R_PARAM_STRING}, {"fill", F0R_PARAM_COLOR},
        {"left", F0R_PARAM_DOUBLE},     {"right", F0R_PARAM_DOUBLE},      {"top", F0R_PARAM_DOUBLE},
        {"bottom", F0R_PARAM_DOUBLE},   {"seed", F0R_PARAM_DOUBLE}};
    ASSERT_EQ(theInfo.num_params, int(theExpected.size()));
    for (int i = 0; i < theInfo.num_params; ++i) {
        f0r_param_info_t theParam{};
        Module().getParamInfo(&theParam, i);
        EXPECT_EQ(theParam.name, theExpected[i].first);
        EXPECT_EQ(theParam.type, theExpected[i].second);
        EXPECT_GT(std::strlen(theParam.explanation), 20u) << theParam.name;
    }
}

// The same threshold map and frame number through the frei0r path (frames in red, green, blue,
// alpha order, wrapped in place) and through our host's path (alpha-first buffers, the clip copied
// into the destination, DoPixelEffect) give the same pixels.
TEST(Mixer, RendersTheSamePixelsAsTheHostPath)
{
    ASSERT_NE(Module().handle, nullptr) << dlerror();
    const int w = 45, h = 14; // not multiples of 8; hosts hand over any size
    std::mt19937 theGenerator(3);
    std::vector<UInt32> theA(w * h), theB(w * h), theOut(w * h);
    for (UInt32& p : theA) p = ToRgbaWord(UInt32(theGenerator()));
    for (UInt32& p : theB) p = ToRgbaWord(UInt32(theGenerator()));
    GWorldOwner theSource = MakeGWorld(w, h), theDest = MakeGWorld(w, h);
    const auto theFrom = [&](const std::vector<UInt32>& theFrame) {
        return [&](int r, int c) { return FromRgbaWord(theFrame[r * w + c]); };
    };

    struct Case {
        const char* name;
        SInt16 which;
        double seed, progress;
        relRect region;
    } theCases[] = {
        {"cross", cCross, 42, 0.0, {0, 1, 0, 1}},        {"cross", cCross, 42, 0.37, {0.2, 0.9, 0.1, 0.8}},
        {"CROSS", cCross, 0.25, 1.0, {0.2, 0.9, 0.1, 0.8}}, {"out", cOut, 42, 0.0, {0, 1, 0, 1}},
        {"Out", cOut, 7, 0.5, {0.3, 0.6, -0.5, 1.5}},     {"out", cOut, 7, 1.0, {0.3, 0.6, 0, 1}},
        {"in", cIn, 42, 0.0, {0, 1, 0.5, 1}},             {"in", cIn, 123456, 0.61, {0.1, 0.5, 0, 1}},
        {"in", cIn, 42, 1.0, {0, 1, 0, 1}},
    };
    for (const Case& theCase : theCases) {
        SCOPED_TRACE(testing::Message() << theCase.name << " seed " << theCase.seed << " progress "
                                        << theCase.progress);
        Mixer theMixer(w, h);
        theMixer.Set("transition", theCase.name);
        theMixer.Set("fill", f0r_param_color_t{0.25f, 1.0f, 0.5f});
        theMixer.Set("seed", theCase.seed);
        theMixer.Set("progress", theCase.progress);
        theMixer.Set("left", theCase.region.left);
        theMixer.Set("right", theCase.region.right);
        theMixer.Set("top", theCase.region.top);
        theMixer.Set("bottom", theCase.region.bottom);
        theMixer.Render(theA, theB, theOut);

        pluginDataRec theConfig{};
        ResetConfig(&theConfig, true);
        theConfig.which = theCase.which;
        theConfig.colors[1] = RGBColor{16384, 65535, 32768}; // 0.25, 1.0, 0.5 of full scale
        theConfig.startRel = theCase.region;
        // A pattern seed counts in thousandths, one more than that seeds the generator.
        const SInt32 theSavedSeed = GetQDGlobalsRandomSeed();
        SetQDGlobalsRandomSeed(1 + SInt32(std::lround(theCase.seed * 1000)));
        InitPixelEffect(&theConfig, 32000, w, h);
        SetQDGlobalsRandomSeed(theSavedSeed);
        // Progress p is frame round(p * 32000); Out one frame later, so that it switches the same
        // pixels at the same progress.
        const SInt32 theFrame = SInt32(std::lround(theCase.progress * 32000)) + (theCase.which == cOut);
        Fill(theDest.get(), theFrom(theCase.which == cIn ? theB : theA));
        Fill(theSource.get(), theFrom(theB));
        DoPixelEffect(theSource.get(), theDest.get(), &theConfig, theFrame, 32000);
        ShutdownPixelEffect(&theConfig);

        EXPECT_EQ(ToArgb(theOut), Pixels(theDest.get()));
    }
}

TEST(Mixer, EndsOfTheTransitionAreWholePictures)
{
    ASSERT_NE(Module().handle, nullptr) << dlerror();
    const int w = 320, h = 240;
    // The frame shows whether Out reaches the pure fill colour only if some pixel has the last threshold.
    pluginDataRec theConfig{};
    SetQDGlobalsRandomSeed(1); // what the default pattern seed 0 stands for
    InitPixelEffect(&theConfig, 32000, w, h);
    int theLastThresholds = 0;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            intRec theCell;
            std::memcpy(&theCell, PixelAt(theConfig.theMask, r, c), sizeof theCell);
            theLastThresholds += theCell.num1 == 32000;
        }
    }
    ShutdownPixelEffect(&theConfig);
    ASSERT_GT(theLastThresholds, 0);

    const UInt32 cA = 0x80C82828, cB = 0xFF28C83C, cFill = 0xFF1020F0;
    std::vector<UInt32> theA(w * h, ToRgbaWord(cA)), theB(w * h, ToRgbaWord(cB)), theOut(w * h);
    const UInt32 cOpaqueA = cA | 0xFF000000; // Out and In make the picture they dissolve opaque
    struct Case {
        const char* transition;
        double progress;
        UInt32 expected;
    } theCases[] = {
        {"cross", 0, cA}, {"cross", 1, cB}, {"out", 0, cOpaqueA}, {"out", 1, cFill}, {"in", 0, cFill}, {"in", 1, cB},
        {"cross", -3, cA}, {"cross", 7, cB}, {"cross", NAN, cA},
    };
    for (const Case& theCase : theCases) {
        SCOPED_TRACE(testing::Message() << theCase.transition << " at " << theCase.progress);
        Mixer theMixer(w, h);
        theMixer.Set("transition", theCase.transition);
        theMixer.Set("fill", f0r_param_color_t{0x10 / 255.0f, 0x20 / 255.0f, 0xF0 / 255.0f});
        theMixer.Set("progress", theCase.progress);
        theMixer.Render(theA, theB, theOut);
        EXPECT_EQ(ToArgb(theOut), std::vector<UInt32>(w * h, theCase.expected));
    }
}

TEST(Mixer, TheSeedAloneDecidesThePattern)
{
    ASSERT_NE(Module().handle, nullptr) << dlerror();
    const int w = 40, h = 16;
    std::vector<UInt32> theA(w * h, ToRgbaWord(0xFF000000)), theB(w * h, ToRgbaWord(0xFFFFFFFF)), theOut(w * h);
    const auto thePattern = [&](Mixer& theMixer, double theSeed) {
        theMixer.Set("seed", theSeed);
        theMixer.Set("progress", 0.5);
        theMixer.Render(theA, theB, theOut);
        return theOut;
    };
    Mixer theFirst(w, h), theSecond(w, h);
    const std::vector<UInt32> theSeven = thePattern(theFirst, 7);
    EXPECT_NE(thePattern(theSecond, 8), theSeven);
    EXPECT_NE(thePattern(theSecond, 7.001), theSeven);
    EXPECT_EQ(thePattern(theSecond, 7), theSeven); // back to 7: the map is made again, the same
    EXPECT_EQ(thePattern(theFirst, 7), theSeven);
    EXPECT_EQ(thePattern(theFirst, -7), theSeven);
    EXPECT_EQ(theFirst.Get<double>("seed"), -7.0);
}

TEST(Mixer, ParametersReadBackAndIgnoreWhatTheyCannotUse)
{
    ASSERT_NE(Module().handle, nullptr) << dlerror();
    Mixer theMixer(8, 8);
    EXPECT_STREQ(theMixer.Get<const char*>("transition"), "cross");
    EXPECT_EQ(theMixer.Get<double>("right"), 1.0); // the engine's defaults: the whole frame
    EXPECT_EQ(theMixer.Get<f0r_param_color_t>("fill").b, 1.0f); // and blue
    theMixer.Set("transition", "In");
    theMixer.Set("transition", "sideways");
    theMixer.Set("transition", static_cast<const char*>(nullptr));
    EXPECT_STREQ(theMixer.Get<const char*>("transition"), "in");
    theMixer.Set("progress", 1.5);
    EXPECT_EQ(theMixer.Get<double>("progress"), 1.0);
    theMixer.Set("fill", f0r_param_color_t{2.0f, -1.0f, NAN});
    const f0r_param_color_t theFill = theMixer.Get<f0r_param_color_t>("fill");
    EXPECT_TRUE(theFill.r == 1.0f && theFill.g == 0.0f && theFill.b == 0.0f);
    Module().setParam(theMixer.instance, nullptr, 0);
    Module().setParam(theMixer.instance, nullptr, 99);
    double theValue = -1;
    Module().getParam(theMixer.instance, &theValue, 99);
    EXPECT_EQ(theValue, -1);
}

// Frames past the engine's 16-bit coordinates go through it in tiles. In each band of 2048
// columns (or rows) of the region about half the pixels have switched halfway, so a part of the
// frame that silently kept its clip shows; the checksums are the same on every processor.
TEST(Mixer, FramesOf32768PixelsOrMoreAreRenderedWhole)
{
    ASSERT_NE(Module().handle, nullptr) << dlerror();
    const UInt32 cA = 0xFF102030, cB = 0xFFE0D0C0, cFill = 0xFF1020F0;
    struct Case {
        unsigned width, height;
        const char* transition;
        relRect region;
        uint64_t halfway; // checksum of the frame at progress 0.5
    } theCases[] = {
        {40000, 2, "cross", {0, 1, 0, 1}, 0xca3a51ac1a2d0dd5},
        {2, 40000, "out", {0, 1, 0, 1}, 0x624bac853009e565},
        {33000, 40, "cross", {0.5, 1, 0.25, 0.75}, 0x3e28f86688146b05},
        {33000, 40, "out", {0.5, 1, 0.25, 0.75}, 0x917d8ad280cbfd25},
        {40, 33000, "in", {0.25, 0.75, 0.875, 1}, 0x82bf84dab152ffb5},
    };
    for (const Case& theCase : theCases) {
        const unsigned w = theCase.width, h = theCase.height;
        const unsigned theLeft = unsigned(w * theCase.region.left), theRight = unsigned(w * theCase.region.right);
        const unsigned theTop = unsigned(h * theCase.region.top), theBottom = unsigned(h * theCase.region.bottom);
        const bool theOut = std::strcmp(theCase.transition, "out") == 0;
        const bool theIn = std::strcmp(theCase.transition, "in") == 0;
        // Out keeps the first clip outside the region, Cross and In show the second.
        const UInt32 theBefore = theIn ? cFill : cA, theAfter = theOut ? cFill : cB, theOutside = theOut ? cA : cB;
        const std::vector<UInt32> theA(size_t(w) * h, ToRgbaWord(cA)), theB(size_t(w) * h, ToRgbaWord(cB));
        std::vector<UInt32> theFrame(size_t(w) * h);

        Mixer theMixer(w, h);
        theMixer.Set("transition", theCase.transition);
        theMixer.Set("fill", f0r_param_color_t{0x10 / 255.0f, 0x20 / 255.0f, 0xF0 / 255.0f});
        theMixer.Set("seed", 42.0);
        theMixer.Set("left", theCase.region.left);
        theMixer.Set("right", theCase.region.right);
        theMixer.Set("top", theCase.region.top);
        theMixer.Set("bottom", theCase.region.bottom);
        for (double theProgress : {0.0, 0.5, 1.0}) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << " " << theCase.transition << " at " << theProgress);
            theMixer.Set("progress", theProgress);
            theMixer.Render(theA, theB, theFrame);
            std::vector<unsigned> theSwitched((std::max(w, h) + 2047) / 2048), theInside(theSwitched.size());
            unsigned theWrong = 0;
            for (unsigned r = 0; r < h; ++r) {
                for (unsigned c = 0; c < w; ++c) {
                    const UInt32 thePixel = FromRgbaWord(theFrame[size_t(r) * w + c]);
                    if (r < theTop || r >= theBottom || c < theLeft || c >= theRight) {
                        theWrong += thePixel != theOutside;
                        continue;
                    }
                    const unsigned theBand = (w > h ? c : r) / 2048;
                    ++theInside[theBand];
                    theSwitched[theBand] += thePixel == theAfter;
                    const UInt32 theExpected = theProgress == 0 ? theBefore : theProgress == 1 ? theAfter : 0;
                    theWrong += theExpected ? thePixel != theExpected : thePixel != theBefore && thePixel != theAfter;
                }
            }
            EXPECT_EQ(theWrong, 0u);
            if (theProgress != 0.5) continue;
            for (size_t b = 0; b < theInside.size(); ++b) {
                if (!theInside[b]) continue;
                const double theShare = double(theSwitched[b]) / theInside[b];
                EXPECT_NEAR(theShare, 0.5, 0.05) << "band from " << b * 2048;
            }
            EXPECT_EQ(Checksum(theFrame), theCase.halfway);
        }
    }
}

// The mixer's own code on the shared platform, whose allocations fail on purpose after k good
// ones: the render is whole or the output keeps the clip, even when the output is that clip.
TEST(Mixer, WithoutMemoryTheClipPassesThrough)
{
    const unsigned w = 40000, h = 2;
    const std::vector<UInt32> theA(w * h, ToRgbaWord(0xFF102030)), theB(w * h, ToRgbaWord(0xFFE0D0C0));
    long theFailures = 0;
    for (long k = 0; k < 1000; ++k) {
        MixerInstance* theInstance = NewMixerInstance(w, h);
        ASSERT_NE(theInstance, nullptr);
        double theProgress = 1;
        SetMixerParam(&theInstance->settings, &theProgress, kParamProgress);
        std::vector<UInt32> theFrame = theA;
        SetAllocationFailureAfter(k);
        RenderMixerFrame(theInstance, theFrame.data(), theB.data(), theFrame.data());
        SetAllocationFailureAfter(-1);
        DisposeMixerInstance(theInstance);
        if (theFrame == theB) break;
        EXPECT_EQ(theFrame, theA) << "after " << k << " allocations";
        ++theFailures;
    }
    EXPECT_GT(theFailures, 0);
}

// No frames at all, or a frame no buffer can address: nothing is read or written.
TEST(Mixer, MissingOrUnaddressableFramesAreLeftAlone)
{
    ASSERT_NE(Module().handle, nullptr) << dlerror();
    std::vector<UInt32> theA(64, ToRgbaWord(0xFF102030)), theB(64, ToRgbaWord(0xFFFFFFFF)), theOut(64);
    Mixer theMixer(8, 8);
    Module().update2(theMixer.instance, 0.0, nullptr, nullptr, nullptr, theOut.data());
    Module().update2(theMixer.instance, 0.0, theA.data(), theB.data(), nullptr, nullptr);
    Module().update2(nullptr, 0.0, theA.data(), theB.data(), nullptr, theOut.data());
    EXPECT_EQ(theOut, std::vector<UInt32>(64));
    // Rows of 2 GB: the host learns at once that the mixer cannot take them.
    EXPECT_EQ(Module().construct(536870912, 1), nullptr);
    f0r_instance_t theWidest = Module().construct(536870911, 1);
    EXPECT_NE(theWidest, nullptr);
    Module().destruct(theWidest);
}
