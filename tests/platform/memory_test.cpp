#include "MacMemory.h"
#include "MemoryFaults.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Memory, PointersKnowTheirSize)
{
    Ptr thePtr = NewPtr(144);
    ASSERT_NE(thePtr, nullptr);
    EXPECT_EQ(GetPtrSize(thePtr), 144);
    EXPECT_EQ(MemError(), noErr);
    Ptr theCleared = NewPtrClear(33);
    EXPECT_EQ(theCleared[0] | theCleared[32], 0);
    DisposePtr(thePtr);
    DisposePtr(theCleared);
    DisposePtr(nullptr);
    EXPECT_EQ(NewPtr(-1), nullptr);
    EXPECT_EQ(MemError(), memFullErr);
}

TEST(Memory, HandlesKeepStateAndResize)
{
    Handle theHandle = NewHandleClear(10);
    ASSERT_NE(theHandle, nullptr);
    EXPECT_EQ(GetHandleSize(theHandle), 10);
    std::memcpy(*theHandle, "abcdefghij", 10);
    SInt8 theState = HGetState(theHandle);
    HLock(theHandle);
    EXPECT_TRUE(HGetState(theHandle) & (1 << kHandleLockedBit));
    HSetState(theHandle, theState);
    EXPECT_FALSE(HGetState(theHandle) & (1 << kHandleLockedBit));
    SetHandleSize(theHandle, 1000);
    EXPECT_EQ(GetHandleSize(theHandle), 1000);
    EXPECT_EQ(std::memcmp(*theHandle, "abcdefghij", 10), 0);
    DisposeHandle(theHandle);
}

TEST(Memory, AllocationFailureHook)
{
    SetAllocationFailureAfter(1);
    Ptr theFirst = NewPtr(8);
    EXPECT_NE(theFirst, nullptr);
    EXPECT_EQ(NewPtr(8), nullptr);
    EXPECT_EQ(NewHandle(8), nullptr);
    EXPECT_EQ(MemError(), memFullErr);
    SetAllocationFailureAfter(-1);
    Ptr theLater = NewPtr(8);
    EXPECT_NE(theLater, nullptr);
    DisposePtr(theFirst);
    DisposePtr(theLater);
}
