#include "ResourceFaults.h"
#include "ResourceTesting.h"
#include "TempConfigHome.h"

#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

constexpr ResType cData = FOUR_CHAR_CODE("DATA");

// Replaces 'DATA' 1 in the file with theContent and writes the file.
OSErr ReplaceData(const FSSpec& theSpec, const std::string& theContent)
{
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdWrPerm);
    if (theRefNum == -1) return ResError();
    if (Handle theOld = Get1Resource(cData, 1)) {
        RemoveResource(theOld);
        DisposeHandle(theOld);
    }
    AddResource(HandleWith(theContent), cData, 1, PSTR("payload"));
    UpdateResFile(theRefNum);
    const OSErr theErr = ResError();
    // A failed write must not be retried by the close.
    SetResourceWriteFailureAfter(theErr ? 0 : -1);
    CloseResFile(theRefNum);
    SetResourceWriteFailureAfter(-1);
    return theErr;
}

// 'DATA' 1 as the file holds it now, or why it cannot be read.
std::string CurrentData(const FSSpec& theSpec)
{
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdPerm);
    if (theRefNum == -1) return "unreadable: " + std::to_string(ResError());
    Handle theData = Get1Resource(cData, 1);
    std::string theResult = theData ? BytesOf(theData) : "missing";
    CloseResFile(theRefNum);
    return theResult;
}

size_t FileCount(const std::string& theFolder)
{
    size_t theCount = 0;
    for ([[maybe_unused]] const auto& theEntry : std::filesystem::directory_iterator(theFolder)) ++theCount;
    return theCount;
}

} // namespace

TEST(ResourceFileWrite, FailureAtAnyStepLeavesTheOldFileWhole)
{
    TempConfigHome theHome;
    const FSSpec theSpec = PrefsSpec("Store");
    FSpCreateResFile(&theSpec, 0, 0, smSystemScript);
    ASSERT_EQ(ReplaceData(theSpec, "old"), noErr);
    const std::vector<UInt8> theOldBytes = ReadFileBytes(theHome.PathOf("Store"));
    const std::string theNew(200000, 'n'); // several write calls

    OSErr theErr = ioErr;
    for (long theSteps = 0; theErr != noErr; ++theSteps) {
        ASSERT_LT(theSteps, 100) << "the write never succeeds";
        SetResourceWriteFailureAfter(theSteps);
        theErr = ReplaceData(theSpec, theNew);
        const std::string theData = CurrentData(theSpec);
        if (theData == theNew) continue; // failed only after the rename (folder sync)
        EXPECT_EQ(theErr, ioErr) << theSteps;
        EXPECT_EQ(ReadFileBytes(theHome.PathOf("Store")), theOldBytes) << "after " << theSteps << " good steps";
        EXPECT_EQ(FileCount(theHome.Folder()), 1u) << "the new file is cleaned away after " << theSteps << " steps";
    }
    EXPECT_EQ(CurrentData(theSpec), theNew);
    EXPECT_EQ(FileCount(theHome.Folder()), 1u);
}

TEST(ResourceFileWrite, KilledWriterLeavesTheOldOrTheNewFile)
{
    TempConfigHome theHome;
    const FSSpec theSpec = PrefsSpec("Store");
    FSpCreateResFile(&theSpec, 0, 0, smSystemScript);
    const std::string theShort(100, 's');
    const std::string theLong(300000, 'L');
    ASSERT_EQ(ReplaceData(theSpec, theShort), noErr);

    std::mt19937 theRandom(7);
    std::uniform_int_distribution<long> theDelay(0, 4000000); // nanoseconds
    for (int theRound = 0; theRound < 60; ++theRound) {
        const pid_t theWriter = fork();
        ASSERT_NE(theWriter, -1);
        if (theWriter == 0) {
            for (int i = 0;; ++i) ReplaceData(theSpec, i % 2 ? theShort : theLong);
        }
        const timespec theWait{0, theDelay(theRandom)};
        nanosleep(&theWait, nullptr);
        kill(theWriter, SIGKILL);
        int theStatus = 0;
        waitpid(theWriter, &theStatus, 0);
        ASSERT_TRUE(WIFSIGNALED(theStatus));
        const std::string theData = CurrentData(theSpec);
        EXPECT_TRUE(theData == theShort || theData == theLong) << "round " << theRound << ": " << theData.substr(0, 40);
    }
}
