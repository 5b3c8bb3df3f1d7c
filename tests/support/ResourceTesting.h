// Small helpers for tests of resource files.
#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Folders.h"
#include "MacMemory.h"
#include "Resources.h"

inline std::vector<UInt8> ReadFileBytes(const std::string& thePath)
{
    std::ifstream theStream(thePath, std::ios::binary);
    return std::vector<UInt8>(std::istreambuf_iterator<char>(theStream), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& thePath, const std::vector<UInt8>& theBytes)
{
    std::ofstream theStream(thePath, std::ios::binary | std::ios::trunc);
    theStream.write(reinterpret_cast<const char*>(theBytes.data()), static_cast<std::streamsize>(theBytes.size()));
}

// The FSSpec of theName in the preferences folder; fnfErr is fine (a file to create).
inline FSSpec PrefsSpec(const char* theName)
{
    SInt16 theVolume = 0;
    SInt32 theFolder = 0;
    FSSpec theSpec{};
    EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &theVolume, &theFolder), noErr);
    Str255 thePascal;
    thePascal[0] = static_cast<UInt8>(std::string(theName).size());
    std::copy(theName, theName + thePascal[0], thePascal + 1);
    const OSErr theErr = FSMakeFSSpec(theVolume, theFolder, thePascal, &theSpec);
    EXPECT_TRUE(theErr == noErr || theErr == fnfErr) << theErr;
    return theSpec;
}

inline Handle HandleWith(const std::string& theBytes)
{
    Handle theHandle = nullptr;
    PtrToHand(theBytes.data(), &theHandle, static_cast<Size>(theBytes.size()));
    return theHandle;
}

inline std::string BytesOf(Handle theHandle)
{
    return std::string(*theHandle, static_cast<size_t>(GetHandleSize(theHandle)));
}

inline std::string PascalText(const unsigned char* theString)
{
    return std::string(reinterpret_cast<const char*>(theString + 1), theString[0]);
}
