#include "OneRenderSettings.h"

#include "Files.h"
#include "Folders.h"
#include "MacMemory.h"
#include "Resources.h"

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace {

constexpr ResType cRecordType = FOUR_CHAR_CODE("Pref");
constexpr SInt16 cRecordID = 1;
constexpr const char* cFileName = "Tamsel-Prefs";
constexpr const char cMiscText[] = "Config save for Velk iMovie plug-in";
// The record as this processor's plug-in reads it: the size word tells the writer's layout.
constexpr UInt32 cRecordSize = std::endian::native == std::endian::little ? 396 : 394;
constexpr UInt32 cRecordVersion = 3;
// Byte offsets of the fields the command line sets, and of those the defaults fill.
constexpr size_t cStartRelAt = 8, cEndRelAt = 40, cColoursAt = 72, cSlidersAt = 108, cFrameStartColourAt = 120,
                 cMediaTypeAt = 132, cMethodAt = 136, cMiscAt = 138;

using Record = std::vector<UInt8>;

template <typename T>
void Put(Record& theRecord, size_t theOffset, T theValue)
{
    std::memcpy(theRecord.data() + theOffset, &theValue, sizeof theValue);
}

template <typename T>
T Get(const Record& theRecord, size_t theOffset)
{
    T theValue;
    std::memcpy(&theValue, theRecord.data() + theOffset, sizeof theValue);
    return theValue;
}

void PutRegion(Record& theRecord, size_t theOffset, const std::array<double, 4>& theRegion)
{
    for (size_t i = 0; i < 4; ++i) Put(theRecord, theOffset + 8 * i, theRegion[i]);
}

// One colour, 16 bits a channel.
void PutColour(Record& theRecord, size_t theOffset, UInt16 theRed, UInt16 theGreen, UInt16 theBlue)
{
    Put(theRecord, theOffset, theRed);
    Put(theRecord, theOffset + 2, theGreen);
    Put(theRecord, theOffset + 4, theBlue);
}

// The plug-in's own defaults, as a first start writes them.
Record DefaultRecord()
{
    Record theRecord(cRecordSize, 0);
    Put(theRecord, 0, cRecordSize);
    Put(theRecord, 4, cRecordVersion);
    PutRegion(theRecord, cStartRelAt, {0.0, 1.0, 0.0, 1.0});
    PutRegion(theRecord, cEndRelAt, {0.0, 1.0, 0.0, 1.0});
    PutColour(theRecord, cColoursAt, 0, 0, 65535);
    PutColour(theRecord, cColoursAt + 6, 65535, 65535, 65535);
    Put(theRecord, cSlidersAt, SInt16(17));
    PutColour(theRecord, cFrameStartColourAt, 65535, 0, 0);
    Put(theRecord, cMediaTypeAt, SInt16(1));
    Put(theRecord, cMethodAt, SInt16(1));
    theRecord[cMiscAt] = sizeof cMiscText - 1;
    std::memcpy(theRecord.data() + cMiscAt + 1, cMiscText, sizeof cMiscText - 1);
    return theRecord;
}

bool IsUsable(const Record& theRecord)
{
    if (theRecord.size() < cRecordSize || Get<UInt32>(theRecord, 0) != cRecordSize ||
        Get<UInt32>(theRecord, 4) != cRecordVersion)
        return false;
    for (size_t i = 0; i < 8; ++i)
        if (!std::isfinite(Get<double>(theRecord, cStartRelAt + 8 * i))) return false;
    return true;
}

// The record of the settings file at thePath, or none; the file is only read, and only its map
// and the record are.
Record ReadRecord(const std::string& thePath)
{
    FSSpec theSpec;
    if (FSPathMakeFSSpec(thePath.c_str(), &theSpec) != noErr) return {};
    const SInt16 theFile = FSpOpenResFile(&theSpec, fsRdPerm);
    if (ResError() != noErr || theFile == -1) return {};
    UseResFile(theFile);
    Record theRecord;
    if (Handle theData = Get1Resource(cRecordType, cRecordID)) {
        theRecord.assign(reinterpret_cast<UInt8*>(*theData), reinterpret_cast<UInt8*>(*theData) + GetHandleSize(theData));
        ReleaseResource(theData);
    }
    CloseResFile(theFile);
    return theRecord;
}

// A new settings file at thePath holding theRecord alone.
bool WriteRecord(const std::string& thePath, const Record& theRecord, std::string& outError)
{
    FSSpec theSpec;
    const OSErr theMade = FSPathMakeFSSpec(thePath.c_str(), &theSpec);
    if (theMade != noErr && theMade != fnfErr) {
        outError = "cannot name this render's settings file " + thePath;
        return false;
    }
    FSpCreateResFile(&theSpec, FOUR_CHAR_CODE("zqv "), FOUR_CHAR_CODE("Pref"), smSystemScript);
    const SInt16 theFile = FSpOpenResFile(&theSpec, fsRdWrPerm);
    if (ResError() != noErr || theFile == -1) {
        outError = "cannot write this render's settings file " + thePath;
        return false;
    }
    UseResFile(theFile);
    Handle theData = NewHandleClear(Size(theRecord.size()));
    bool theWritten = theData != nullptr;
    if (theData) {
        std::memcpy(*theData, theRecord.data(), theRecord.size());
        AddResource(theData, cRecordType, cRecordID, PSTR("Config Settings"));
        theWritten = ResError() == noErr;
        if (theWritten) {
            UpdateResFile(theFile);
            theWritten = ResError() == noErr;
            ReleaseResource(theData);
        } else {
            DisposeHandle(theData);
        }
    }
    CloseResFile(theFile);
    if (!theWritten) outError = "cannot write this render's settings file " + thePath;
    return theWritten;
}

} // namespace

bool ParseRegion(const std::string& theText, std::array<double, 4>& outRegion)
{
    std::array<double, 4> theRegion{};
    const char* theCursor = theText.c_str();
    for (size_t i = 0; i < 4; ++i) {
        char* theEnd = nullptr;
        theRegion[i] = std::strtod(theCursor, &theEnd);
        if (theEnd == theCursor || !(theRegion[i] >= 0.0 && theRegion[i] <= 1.0)) return false;
        if (*theEnd != (i < 3 ? ',' : '\0')) return false;
        theCursor = theEnd + 1;
    }
    if (!(theRegion[0] < theRegion[1] && theRegion[2] < theRegion[3])) return false;
    outRegion = theRegion;
    return true;
}

std::array<double, 4> SavedRegion()
{
    const std::string theFolder = GlintPreferencesPath();
    Record theRecord;
    if (!theFolder.empty()) theRecord = ReadRecord(theFolder + "/" + cFileName);
    if (!IsUsable(theRecord)) theRecord = DefaultRecord();
    std::array<double, 4> theRegion{};
    for (size_t i = 0; i < 4; ++i) theRegion[i] = Get<double>(theRecord, cStartRelAt + 8 * i);
    return theRegion;
}

bool OneRenderSettings::Apply(const SettingsChanges& theChanges, std::string& outError)
{
    if (!mFolder.Make("glintweave-settings", outError)) {
        outError = "this render's settings: " + outError;
        return false;
    }
    const std::string theCopy = mFolder.Path() + "/" + cFileName;
    // The user's file is only read: the plug-in writes back whatever it reads, here into a file
    // of the render's own that holds the saved record and nothing else of the user's file.
    const std::string theFolder = GlintPreferencesPath();
    Record theRecord;
    if (!theFolder.empty()) theRecord = ReadRecord(theFolder + "/" + cFileName);
    if (!IsUsable(theRecord)) theRecord = DefaultRecord();
    if (theChanges.fill) {
        // Each channel's high byte is the one the dissolve paints.
        const Colour8 theFill = *theChanges.fill;
        PutColour(theRecord, cColoursAt, UInt16(theFill.red * 257), UInt16(theFill.green * 257), UInt16(theFill.blue * 257));
    }
    if (theChanges.region) PutRegion(theRecord, cStartRelAt, *theChanges.region);
    if (!WriteRecord(theCopy, theRecord, outError)) return false;
    setenv("XDG_CONFIG_HOME", mFolder.Path().c_str(), 1);
    return true;
}
