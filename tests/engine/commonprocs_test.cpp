#include "commonprocs.h"

#include "HeadlessScript.h"
#include "testbuffers.h"

#include <gtest/gtest.h>

#include <string>

using namespace testing_support;

namespace {

std::string Text(ConstStr255Param theText)
{
    return std::string(reinterpret_cast<const char*>(theText + 1), theText[0]);
}

} // namespace

TEST(Num2Text, DecimalWithSignOnlyForNegatives)
{
    struct Case {
        SInt32 number;
        const char* text;
    } theCases[] = {{0, "0"}, {-17, "-17"}, {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"}, {7, "7"}};
    for (const Case& theCase : theCases) {
        Str255 theText;
        Num2Text(theCase.number, theText);
        EXPECT_EQ(Text(theText), theCase.text);
    }
}

TEST(PascalStrings, JoiningCutsAt255)
{
    Str255 theText;
    CopyCStrToPStr(std::string(250, 'a').c_str(), theText);
    AppendCStr(theText, "bcdefghij");
    EXPECT_EQ(Text(theText), std::string(250, 'a') + "bcdef");
    CopyCStrToPStr(std::string(300, 'z').c_str(), theText);
    EXPECT_EQ(theText[0], 255);
}

TEST(MakeCFString, ConvertsMacRoman)
{
    const unsigned char theText[] = {4, 'C', 0x8E, 't', 0xE9}; // "CétÈ" in Mac Roman
    CFStringRef theString = MakeCFString(theText);
    ASSERT_NE(theString, nullptr);
    EXPECT_STREQ(CFStringGetUTF8Pointer(theString), "C\xC3\xA9t\xC3\x88");
    CFRelease(theString);
}

TEST(CenterRectInRect, CentresWithTruncatedHalves)
{
    struct Case {
        Rect rect, bounds, expected;
    } theCases[] = {
        {{0, 0, 10, 10}, {0, 0, 100, 101}, {45, 45, 55, 55}},
        {{0, 0, 300, 400}, {10, 10, 110, 110}, {-90, -140, 210, 260}}, // larger than the bounds
        {{5, 7, 6, 8}, {-10, -10, 10, 10}, {0, 0, 1, 1}},
    };
    for (Case& theCase : theCases) {
        CenterRectInRect(&theCase.rect, theCase.bounds);
        EXPECT_TRUE(EqualRect(&theCase.rect, &theCase.expected))
            << theCase.rect.top << " " << theCase.rect.left << " " << theCase.rect.bottom << " " << theCase.rect.right;
    }
}

TEST(Alerts, AssertPassesNonNull)
{
    long theBefore = HeadlessAlertCount();
    int theValue = 0;
    Assert(&theValue, PSTR("never shown"));
    EXPECT_EQ(HeadlessAlertCount(), theBefore);
}

TEST(AlertsDeathTest, AssertStopsWithTheLocation)
{
    EXPECT_EXIT(Assert(nullptr, PSTR("Nil theConfig on DoConfig")), testing::ExitedWithCode(1),
                "Alert \\(stop\\): Assertion Failure: Assertion failed in: Nil theConfig on DoConfig \\[OK\\]");
}

TEST(AlertsDeathTest, LongLocationIsCutAt255Characters)
{
    Str255 theLocation;
    CopyCStrToPStr(std::string(240, 'x').c_str(), theLocation);
    // "Assertion failed in: " is 21 characters, so 234 of the 240 remain.
    EXPECT_EXIT(Assert(nullptr, theLocation), testing::ExitedWithCode(1), "in: x{234} \\[OK\\]");
}

TEST(AlertsDeathTest, TerminateShowsHeadlineAndDescription)
{
    EXPECT_EXIT(Terminate(PSTR("Non-Matching Blocks"), PSTR("The Size of Source and Dest do not match")),
                testing::ExitedWithCode(1),
                "Alert \\(stop\\): Non-Matching Blocks: The Size of Source and Dest do not match \\[OK\\]");
}

TEST(Alerts, NotifyAndStandardWarningAnswer)
{
    testing::internal::CaptureStderr();
    Notify(PSTR(""));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Alert (caution): Internal Notification::  [ok]\n");

    EXPECT_EQ(StandardWarning(PSTR("Head"), PSTR("Text"), PSTR("Go"), PSTR("")), 1);
    HeadlessPushAlertAnswer(2);
    testing::internal::CaptureStderr();
    EXPECT_EQ(StandardWarning(PSTR("Head"), PSTR("Text"), PSTR("Go"), PSTR("Stop")), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Alert (caution): Head: Text [Go] [Stop]\n");
}

TEST(Buffers, AllocateRectGWorldMovesBoundsToTheOrigin)
{
    GWorldOwner theGW(AllocateRectGWorld(Rect{10, 20, 110, 220}));
    ASSERT_NE(theGW, nullptr);
    Rect theBounds = GetPortRect(theGW.get());
    SInt32 theWidth, theHeight;
    GetDims(theBounds, &theWidth, &theHeight);
    EXPECT_EQ(theWidth, 200);
    EXPECT_EQ(theHeight, 100);
    EXPECT_EQ(theBounds.top, 0);
    EXPECT_EQ(theBounds.left, 0);
    EXPECT_TRUE(GetPixelsState(GetGWorldPixMap(theGW.get())) & pixelsLocked);
}

TEST(Buffers, GetPixInfoRecordsTheStateAndLocks)
{
    GWorldOwner theGW = MakeGWorld(5, 3);
    PixMapHandle thePixMap = GetGWorldPixMap(theGW.get());
    SetPixelsState(thePixMap, 0);
    Ptr theBase;
    SInt32 theRowBytes;
    Rect theFrame;
    GWorldFlags theState;
    GetPixInfoFromGWorld(theGW.get(), &theBase, &theRowBytes, &theFrame, &theState);
    EXPECT_EQ(theState, 0u);
    EXPECT_TRUE(GetPixelsState(thePixMap) & pixelsLocked);
    EXPECT_EQ(theBase, GetPixBaseAddr(thePixMap));
    EXPECT_GE(theRowBytes, 20);
    EXPECT_EQ(theFrame.right, 5);
    EXPECT_EQ(theFrame.bottom, 3);
}

TEST(Buffers, Source2TargetScalesToFill)
{
    GWorldOwner theSource = MakeGWorld(720, 480), theTarget = MakeGWorld(360, 240);
    Fill(theSource.get(), [](int r, int c) { return r < 240 && c < 360 ? 0xFFFF0000u : 0xFF0000FFu; });
    Source2Target(theSource.get(), theTarget.get());
    EXPECT_EQ(ReadARGB(theTarget.get(), 0, 0), 0xFFFF0000u);
    EXPECT_EQ(ReadARGB(theTarget.get(), 100, 150), 0xFFFF0000u);
    EXPECT_EQ(ReadARGB(theTarget.get(), 239, 359), 0xFF0000FFu);
    EXPECT_EQ(ReadARGB(theTarget.get(), 130, 170), 0xFF0000FFu);
    Source2Target(nullptr, theTarget.get());
    Source2Target(theSource.get(), nullptr);
}
