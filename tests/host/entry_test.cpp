#include "pluginfixture.h"

#include "Files.h"
#include "MacMemory.h"
#include "Folders.h"
#include "Resources.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

using namespace testing_support;

namespace {

template <typename T>
T FieldAt(const HYPluginParams& theParams, size_t theOffset)
{
    T theValue;
    std::memcpy(&theValue, reinterpret_cast<const char*>(&theParams) + theOffset, sizeof theValue);
    return theValue;
}

const char* TextAt(const HYPluginParams& theParams, size_t theOffset)
{
    return reinterpret_cast<const char*>(&theParams) + theOffset;
}

// The frame count with every single-precision step rounded on its own: the volatile stores keep
// x87's wider registers and fused multiply-adds out of the reference itself.
SInt32 ReferenceFrameCount(float theSpeed)
{
    volatile float theProduct = 110.0f * theSpeed;
    volatile float theSum = 10.0f + theProduct;
    SInt32 theFrames = static_cast<SInt32>(theSum);
    return theFrames + (theFrames & 1);
}

float FloatFromBits(UInt32 theBits)
{
    float theValue;
    std::memcpy(&theValue, &theBits, sizeof theValue);
    return theValue;
}

} // namespace

TEST_F(PluginTest, RefusesMissingBlockAndOldHosts)
{
    EXPECT_EQ(LoadedBundle().Main()(3, nullptr), kPluginBadParams);
    session->Params().interfaceVersion = 3;
    EXPECT_EQ(Call(3, kPlugGetInfo), kPluginAppIsTooOld);
    EXPECT_EQ(session->Calls(HostCallback::NewPtr), 0) << "nothing starts for an old host";
}

TEST_F(PluginTest, FirstStartWritesThePreferencesFile)
{
    ASSERT_EQ(Call(3, 0), kPluginOK);
    EXPECT_EQ(session->Calls(HostCallback::NewPtr), 1) << "the master configuration";
    const std::filesystem::path theFile = PreferencesFolder() / "Tamsel-Prefs";
    ASSERT_TRUE(std::filesystem::exists(theFile));
    FSSpec theSpec;
    ASSERT_EQ(FSPathMakeFSSpec(theFile.c_str(), &theSpec), noErr);
    SInt16 theFileNumber = FSpOpenResFile(&theSpec, fsRdPerm);
    ASSERT_GE(theFileNumber, 0);
    Handle theRecord = Get1Resource(FOUR_CHAR_CODE("Pref"), 1);
    ASSERT_NE(theRecord, nullptr);
    UInt32 theSize, theVersion;
    std::memcpy(&theSize, *theRecord, 4);
    std::memcpy(&theVersion, *theRecord + 4, 4);
    EXPECT_EQ(theSize, UInt32(GetHandleSize(theRecord)));
    EXPECT_EQ(theVersion, 3u);
    CloseResFile(theFileNumber);
}

TEST_F(PluginTest, InfoRequestTable)
{
    struct Case {
        SInt32 which;
        float speed;
        HYPluginType type;
        SInt32 rendered, before, after;
    } theCases[] = {
        {1, 0.0f, 104, 10, 10, 0},     {1, 0.5f, 104, 66, 66, 0},     {1, 1.0f, 104, 120, 120, 0},
        {2, 0.0f, 102, 10, 0, 10},     {2, 0.5f, 102, 66, 0, 66},     {2, 1.0f, 102, 120, 0, 120},
        {3, 0.0f, 103, 10, 10, 10},    {3, 0.5f, 103, 66, 66, 66},    {3, 1.0f, 103, 120, 120, 120},
        {0, 0.5f, 103, -7, 33, 33},    {9, 1.0f, 103, -7, 60, 60},
    };
    for (const Case& theCase : theCases) {
        SCOPED_TRACE(testing::Message() << "which " << theCase.which << " speed " << theCase.speed);
        HYPluginParams& theParams = session->Params();
        theParams.getInfo.framesToBeRendered = -7; // the host's own value, kept for unknown transitions
        session->SetSpeed(theCase.speed);
        ASSERT_EQ(Call(theCase.which, kPlugGetInfo), kPluginOK);
        // getInfo holds no pointer, so its own layout is the same on every target (at 16 on 32-bit hosts).
        const size_t theInfo = offsetof(HYPluginParams, getInfo);
        EXPECT_EQ(FieldAt<UInt8>(theParams, theInfo), theCase.type);
        EXPECT_EQ(FieldAt<UInt32>(theParams, theInfo + 4), 0x1007u);
        EXPECT_EQ(FieldAt<SInt32>(theParams, theInfo + 8), theCase.rendered);
        EXPECT_EQ(FieldAt<SInt32>(theParams, theInfo + 12), theCase.before);
        EXPECT_EQ(FieldAt<SInt32>(theParams, theInfo + 16), theCase.after);
        EXPECT_EQ(theParams.getInfo.minSpeedFrames, 10);
        EXPECT_EQ(theParams.getInfo.maxSpeedFrames, 120);
        EXPECT_TRUE(theParams.getInfo.mustTakeFromSingleClips);
        EXPECT_EQ(theParams.getInfo.defaultDirection, kPluginDirectionRight);
        EXPECT_EQ(theParams.getInfo.defaultFontSize, 0);
    }
    EXPECT_EQ(session->TransitionInfosOut(), session->TransitionInfosBack());
}

TEST_F(PluginTest, InfoRequestFillsTextsFromTheBundle)
{
    HYPluginParams& theParams = session->Params();
    ASSERT_EQ(Call(3, kPlugGetInfo), kPluginOK);
    if (UINTPTR_MAX == 0xFFFFFFFFu) {
        // The host reads these at fixed places of its 32-bit block.
        EXPECT_STREQ(TextAt(theParams, 96), "Glintweave Dissolves");
        EXPECT_STREQ(TextAt(theParams, 224), "Dissolve (set with Configure)");
        EXPECT_STREQ(TextAt(theParams, 352 + 388), "Part of the frame");
        EXPECT_STREQ(TextAt(theParams, 480 + 2 * 388), "Light");
        EXPECT_STREQ(TextAt(theParams, 1520), "Configure\xC9");
        EXPECT_EQ(FieldAt<float>(theParams, 996), 0.5f);
    }
    EXPECT_STREQ(theParams.getInfo2.group, "Glintweave Dissolves");
    EXPECT_STREQ(theParams.getInfo2.filterSliders[2].label, "Fill colour (set with Configure)");
    EXPECT_STREQ(theParams.getInfo2.filterSliders[0].minLabel, "Start");
    EXPECT_STREQ(theParams.getInfo3.buttonTitle, "Configure\xC9");
    EXPECT_EQ(theParams.getInfo2.filterSliders[1].defaultValue, 0.5f);
}

TEST_F(PluginTest, FrameCountIsRoundedInSinglePrecisionOnEveryProcessor)
{
    // Speeds where an extended-precision or fused computation lands on the other side of a whole number.
    const struct {
        float speed;
        SInt32 frames;
    } theKnown[] = {{0.0f, 10},  {0.5f, 66},          {1.0f, 120}, {0.7f, 88},
                    {0.9f, 110}, {7.0f / 110.0f, 18}, {0.0454545394f, 16}, {0.24545452f, 38}};
    std::vector<float> theSpeeds;
    for (const auto& theCase : theKnown) theSpeeds.push_back(theCase.speed);
    // Every k/110 with its neighbours, every k/1000, and floats spread over [0, 1] by bit pattern.
    for (int k = 0; k <= 110; ++k) {
        float theBelow = float(k) / 110.0f, theAbove = theBelow;
        theSpeeds.push_back(theBelow);
        for (int i = 0; i < 16; ++i) {
            theBelow = std::nextafter(theBelow, 0.0f);
            theAbove = std::nextafter(theAbove, 1.0f);
            theSpeeds.push_back(theBelow);
            theSpeeds.push_back(theAbove);
        }
    }
    for (int k = 0; k <= 1000; ++k) theSpeeds.push_back(float(k) / 1000.0f);
    const UInt32 theOne = 0x3F800000;
    for (UInt32 theBits = 0; theBits <= theOne; theBits += theOne / 120000) theSpeeds.push_back(FloatFromBits(theBits));

    HYPluginParams& theParams = session->Params();
    for (const auto& theCase : theKnown) {
        session->SetSpeed(theCase.speed);
        ASSERT_EQ(Call(1, kPlugGetInfo), kPluginOK);
        EXPECT_EQ(theParams.getInfo.framesToBeRendered, theCase.frames) << "speed " << theCase.speed;
    }
    long theWrong = 0;
    for (float theSpeed : theSpeeds) {
        session->SetSpeed(theSpeed);
        ASSERT_EQ(Call(3, kPlugGetInfo), kPluginOK);
        const SInt32 theExpected = ReferenceFrameCount(theSpeed);
        if (theParams.getInfo.framesToBeRendered != theExpected && ++theWrong <= 10)
            ADD_FAILURE() << "speed " << std::hexfloat << theSpeed << std::defaultfloat << " (" << theSpeed
                          << ") gives " << theParams.getInfo.framesToBeRendered << " frames, not " << theExpected;
    }
    EXPECT_EQ(theWrong, 0) << "of " << theSpeeds.size() << " speeds";
}

TEST(Bundle, InfoFileCarriesTheVersion)
{
    std::ifstream theFile(std::string(GLINT_BUNDLE_PATH) + "/Contents/Info.json");
    std::stringstream theText;
    theText << theFile.rdbuf();
    EXPECT_NE(theText.str().find("\"CFBundleShortVersionString\": \"3.0.0\""), std::string::npos) << theText.str();
}

TEST_F(PluginTest, FailingTransitionInfoIsReportedAndNothingIsWritten)
{
    session->Params().getInfo.framesToBeRendered = 5;
    session->FailAt(HostCallback::GetTransitionInfo, 1, kPluginCantGetNeededFrame);
    EXPECT_EQ(Call(3, kPlugGetInfo), kPluginCantGetNeededFrame);
    EXPECT_EQ(session->Params().getInfo.framesToBeRendered, 5);
}

TEST_F(PluginTest, OtherSelectorsDoNothing)
{
    ASSERT_EQ(Call(3, kPlugGetInfo), kPluginOK);
    const HYPluginParams theBefore = session->Params();
    for (HYPluginSelector theSelector : {0, 3, 4, 7, 10, 255}) {
        EXPECT_EQ(Call(3, theSelector), kPluginOK);
        HYPluginParams theAfter = session->Params();
        theAfter.selector = theBefore.selector;
        EXPECT_EQ(std::memcmp(&theAfter, &theBefore, sizeof theBefore), 0);
    }
}
