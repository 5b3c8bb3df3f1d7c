// Files past 2 GB on the 32-bit targets too.
#define _FILE_OFFSET_BITS 64

#include "OrdinaryUser.h"
#include "ResourceTesting.h"
#include "TempConfigHome.h"
#include "prefsloader.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

constexpr ResType cPref = FOUR_CHAR_CODE("Pref");

pluginDataRec DefaultConfig()
{
    pluginDataRec theConfig;
    std::memset(&theConfig, 0, sizeof theConfig);
    ResetConfig(&theConfig, true);
    return theConfig;
}

// What the plug-in does at every start.
bool StartUp(pluginDataRec* theConfig)
{
    CreateConfigFile();
    ResetConfig(theConfig, true);
    const bool theRead = ReadConfig(theConfig);
    SaveConfig(theConfig);
    return theRead;
}

std::string GoldenDefault()
{
    const char* theSource = std::getenv("GLINT_SOURCE_DIR");
    EXPECT_NE(theSource, nullptr);
    const bool theLittle = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
    const std::vector<UInt8> theBytes = ReadFileBytes(std::string(theSource ? theSource : "") + "/tests/persistence/golden/default-config-" +
                                                      (theLittle ? "le" : "be") + ".bin");
    return std::string(theBytes.begin(), theBytes.end());
}

std::string RecordOf(pluginDataRec* theConfig)
{
    Handle theSave = NewHandleClear(cConfigSaveSize);
    EXPECT_TRUE(Config2Save(theConfig, theSave));
    const std::string theBytes = BytesOf(theSave);
    DisposeHandle(theSave);
    return theBytes;
}

// Every 'Pref' resource of the file, by ID, with its name and data.
struct Stored {
    SInt16 id;
    std::string name;
    std::string data;
};
std::vector<Stored> StoredResources(ResType theType)
{
    const FSSpec theSpec = PrefsSpec("Tamsel-Prefs");
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdPerm);
    std::vector<Stored> theResult;
    if (theRefNum == -1) return theResult;
    for (SInt16 i = 1; i <= Count1Resources(theType); ++i) {
        Handle theResource = Get1IndResource(theType, i);
        Stored theStored;
        Str255 theName;
        GetResInfo(theResource, &theStored.id, nullptr, theName);
        theStored.name = PascalText(theName);
        theStored.data = BytesOf(theResource);
        theResult.push_back(theStored);
    }
    CloseResFile(theRefNum);
    return theResult;
}

// Puts theData in the file as 'Pref' 1 (replacing what is there), as another writer would.
void StoreRecord(const std::string& theData)
{
    const FSSpec theSpec = PrefsSpec("Tamsel-Prefs");
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdWrPerm);
    ASSERT_NE(theRefNum, -1);
    if (Handle theOld = Get1Resource(cPref, 1)) {
        RemoveResource(theOld);
        DisposeHandle(theOld);
    }
    AddResource(HandleWith(theData), cPref, 1, PSTR("Config Settings"));
    CloseResFile(theRefNum);
    ASSERT_EQ(ResError(), noErr);
}

pluginDataRec EditedConfig()
{
    pluginDataRec theConfig = DefaultConfig();
    theConfig.startRel = relRect{0.125, 0.875, -0.25, 1.5};
    theConfig.endRel = relRect{0.1, 0.2, 0.3, 0.4};
    for (int i = 1; i <= cNumColors; ++i) theConfig.colors[i] = RGBColor{UInt16(i * 1000), UInt16(65535 - i), UInt16(i * 7)};
    for (int i = 1; i <= cNumSliders; ++i) theConfig.sliders[i] = static_cast<SInt16>(-i * 300);
    theConfig.frameStartColor = RGBColor{1, 2, 3};
    theConfig.frameEndColor = RGBColor{40000, 50000, 60000};
    theConfig.mediaType = 3;
    theConfig.keepProps = true;
    theConfig.method = -7;
    return theConfig;
}

void ExpectSameSavedFields(const pluginDataRec& theActual, const pluginDataRec& theExpected)
{
    EXPECT_EQ(std::memcmp(&theActual.startRel, &theExpected.startRel, sizeof(relRect)), 0);
    EXPECT_EQ(std::memcmp(&theActual.endRel, &theExpected.endRel, sizeof(relRect)), 0);
    EXPECT_EQ(std::memcmp(&theActual.colors, &theExpected.colors, sizeof theActual.colors), 0);
    EXPECT_EQ(std::memcmp(&theActual.sliders, &theExpected.sliders, sizeof theActual.sliders), 0);
    EXPECT_EQ(std::memcmp(&theActual.frameStartColor, &theExpected.frameStartColor, sizeof(RGBColor)), 0);
    EXPECT_EQ(std::memcmp(&theActual.frameEndColor, &theExpected.frameEndColor, sizeof(RGBColor)), 0);
    EXPECT_EQ(theActual.mediaType, theExpected.mediaType);
    EXPECT_EQ(theActual.keepProps, theExpected.keepProps);
    EXPECT_EQ(theActual.method, theExpected.method);
}

template <typename T>
void Poke(std::string& theRecord, size_t theOffset, T theValue)
{
    std::memcpy(&theRecord[theOffset], &theValue, sizeof theValue);
}

} // namespace

TEST(ConfigRecord, DefaultRecordMatchesTheGoldenBytes)
{
    pluginDataRec theConfig = DefaultConfig();
    const std::string theGolden = GoldenDefault();
    ASSERT_EQ(theGolden.size(), cConfigSaveSize);
    EXPECT_EQ(RecordOf(&theConfig), theGolden);
}

TEST(ConfigFile, FirstStartWritesTheDefaults)
{
    TempConfigHome theHome;
    pluginDataRec theConfig = DefaultConfig();
    EXPECT_FALSE(StartUp(&theConfig)) << "nothing to read yet";
    const std::vector<Stored> thePrefs = StoredResources(cPref);
    ASSERT_EQ(thePrefs.size(), 1u);
    EXPECT_EQ(thePrefs[0].id, 1);
    EXPECT_EQ(thePrefs[0].name, "Config Settings");
    EXPECT_EQ(thePrefs[0].data, GoldenDefault());

    const FSSpec theSpec = PrefsSpec("Tamsel-Prefs");
    FInfo theInfo{};
    ASSERT_EQ(FSpGetFInfo(&theSpec, &theInfo), noErr);
    if (theInfo.fdType != 0) {
        EXPECT_EQ(theInfo.fdType, FOUR_CHAR_CODE("Pref"));
        EXPECT_EQ(theInfo.fdCreator, FOUR_CHAR_CODE("zqv "));
    }
    EXPECT_TRUE(StartUp(&theConfig)) << "the second start reads what the first wrote";
}

TEST(ConfigFile, EditedConfigurationRoundTrips)
{
    TempConfigHome theHome;
    CreateConfigFile();
    pluginDataRec theEdited = EditedConfig();
    ASSERT_TRUE(SaveConfig(&theEdited));

    pluginDataRec theRead = DefaultConfig();
    theRead.which = 2;
    theRead.theRendered = reinterpret_cast<CGImageRef>(&theRead);
    theRead.theMask = reinterpret_cast<GWorldPtr>(&theRead);
    ASSERT_TRUE(ReadConfig(&theRead));
    ExpectSameSavedFields(theRead, theEdited);
    EXPECT_EQ(theRead.which, 2) << "not stored";
    EXPECT_EQ(theRead.theRendered, reinterpret_cast<CGImageRef>(&theRead));
    EXPECT_EQ(theRead.theMask, reinterpret_cast<GWorldPtr>(&theRead));
}

TEST(ConfigFile, InvalidRecordsAreRejectedAndRewrittenWithTheDefaults)
{
    const std::string theGood = RecordOf(std::make_unique<pluginDataRec>(EditedConfig()).get());
    std::string theOtherOrder = theGood;
    for (size_t theField : {0, 4}) std::reverse(theOtherOrder.begin() + theField, theOtherOrder.begin() + theField + 4);
    const struct {
        const char* what;
        std::string record;
    } theCases[] = {
        {"version 2", [&] { std::string r = theGood; Poke<UInt32>(r, 4, 2); return r; }()},
        {"version 4", [&] { std::string r = theGood; Poke<UInt32>(r, 4, 4); return r; }()},
        {"the other processor's size", [&] { std::string r = theGood; Poke<UInt32>(r, 0, 396 + 394 - cConfigSaveSize); return r; }()},
        {"the other byte order", theOtherOrder},
        {"cut short", theGood.substr(0, cConfigSaveSize - 1)},
        {"not a number", [&] { std::string r = theGood; Poke(r, 8, std::numeric_limits<double>::quiet_NaN()); return r; }()},
        {"infinite", [&] { std::string r = theGood; Poke(r, 64, -std::numeric_limits<double>::infinity()); return r; }()},
    };
    for (const auto& theCase : theCases) {
        TempConfigHome theHome;
        CreateConfigFile();
        StoreRecord(theCase.record);
        pluginDataRec theConfig = EditedConfig();
        const pluginDataRec theBefore = theConfig;
        EXPECT_FALSE(ReadConfig(&theConfig)) << theCase.what;
        EXPECT_EQ(std::memcmp(&theConfig, &theBefore, sizeof theConfig), 0) << theCase.what;

        pluginDataRec theFresh = DefaultConfig();
        EXPECT_FALSE(StartUp(&theFresh)) << theCase.what;
        const std::vector<Stored> thePrefs = StoredResources(cPref);
        ASSERT_EQ(thePrefs.size(), 1u) << theCase.what;
        EXPECT_EQ(thePrefs[0].data, GoldenDefault()) << theCase.what;
    }
}

TEST(ConfigFile, AnyNonZeroKeepPropsByteMeansTrue)
{
    pluginDataRec theConfig = DefaultConfig();
    std::string theRecord = RecordOf(&theConfig);
    theRecord[134] = static_cast<char>(0x80);
    Handle theSave = HandleWith(theRecord);
    ASSERT_TRUE(Save2Config(&theConfig, theSave));
    EXPECT_EQ(theConfig.keepProps, 1);
    EXPECT_EQ(RecordOf(&theConfig)[134], 1) << "and is written back as 1";
    DisposeHandle(theSave);
}

TEST(ConfigFile, SavesReplaceOnlyTheConfiguration)
{
    TempConfigHome theHome;
    CreateConfigFile();
    const FSSpec theSpec = PrefsSpec("Tamsel-Prefs");
    SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdWrPerm);
    AddResource(HandleWith("other pref"), cPref, 2, PSTR("Something else"));
    AddResource(HandleWith(std::string("\0\1\3abc", 6)), FOUR_CHAR_CODE("STR#"), 5, nullptr);
    CloseResFile(theRefNum);

    pluginDataRec theConfig = EditedConfig();
    ASSERT_TRUE(SaveConfig(&theConfig));
    theConfig.method = 99;
    ASSERT_TRUE(SaveConfig(&theConfig));
    const std::vector<Stored> thePrefs = StoredResources(cPref);
    ASSERT_EQ(thePrefs.size(), 2u);
    EXPECT_EQ(thePrefs[0].id, 2);
    EXPECT_EQ(thePrefs[0].data, "other pref");
    EXPECT_EQ(thePrefs[0].name, "Something else");
    EXPECT_EQ(thePrefs[1].id, 1);
    EXPECT_EQ(thePrefs[1].data, RecordOf(&theConfig));
    const std::vector<Stored> theLists = StoredResources(FOUR_CHAR_CODE("STR#"));
    ASSERT_EQ(theLists.size(), 1u);
    EXPECT_EQ(theLists[0].data, std::string("\0\1\3abc", 6));
}

TEST(ConfigFile, WithoutAUsableFileEverythingIsFalse)
{
    TempConfigHome theHome;
    pluginDataRec theConfig = DefaultConfig();
    EXPECT_FALSE(ReadConfig(&theConfig)) << "no file";
    EXPECT_FALSE(SaveConfig(&theConfig)) << "no file";
    EXPECT_FALSE(ReadConfig(nullptr));
    EXPECT_FALSE(SaveConfig(nullptr));
    Handle theSave = NewHandleClear(cConfigSaveSize);
    EXPECT_FALSE(Config2Save(nullptr, theSave));
    EXPECT_FALSE(Save2Config(nullptr, theSave));
    EXPECT_FALSE(Config2Save(&theConfig, nullptr));
    EXPECT_FALSE(Save2Config(&theConfig, nullptr));
    DisposeHandle(theSave);

    WriteFileBytes(theHome.PathOf("Tamsel-Prefs"), std::vector<UInt8>(300, 0xEE));
    CreateConfigFile();
    EXPECT_FALSE(StartUp(&theConfig)) << "a damaged file";
    EXPECT_EQ(ReadFileBytes(theHome.PathOf("Tamsel-Prefs")), std::vector<UInt8>(300, 0xEE)) << "is left alone";

    theHome.MakeFolderMissing();
    EXPECT_FALSE(StartUp(&theConfig)) << "no preferences folder";
    EXPECT_FALSE(SaveConfig(&theConfig));
    EXPECT_FALSE(std::filesystem::exists(std::getenv("XDG_CONFIG_HOME")));
    EXPECT_EQ(CurResFile(), 0) << "nothing left open";
}

namespace {

// A file holding theSaved, as a first start and an OK would leave it.
void SaveFirst(pluginDataRec* theSaved)
{
    CreateConfigFile();
    ASSERT_TRUE(SaveConfig(theSaved));
}

void ExpectStillSaved(const pluginDataRec& theSaved, const char* theWhat)
{
    pluginDataRec theRead = DefaultConfig();
    EXPECT_TRUE(ReadConfig(&theRead)) << theWhat;
    ExpectSameSavedFields(theRead, theSaved);
}

// Sets the map attributes of the resource file at thePath as another writer could have.
void SetMapAttributesInFile(const std::string& thePath, UInt8 theAttributes)
{
    std::vector<UInt8> theBytes = ReadFileBytes(thePath);
    ASSERT_GE(theBytes.size(), 16u);
    const size_t theMap = (size_t(theBytes[4]) << 24) | (size_t(theBytes[5]) << 16) | (size_t(theBytes[6]) << 8) | theBytes[7];
    ASSERT_LT(theMap + 23, theBytes.size());
    theBytes[theMap + 23] = theAttributes;
    WriteFileBytes(thePath, theBytes);
}

void ProtectTheRecord()
{
    const FSSpec theSpec = PrefsSpec("Tamsel-Prefs");
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdWrPerm);
    SetResAttrs(Get1Resource(cPref, 1), resProtected);
    CloseResFile(theRefNum);
    ASSERT_EQ(ResError(), noErr);
}

} // namespace

TEST(ConfigFile, ASaveThatCannotBeMadeChangesNothing)
{
    const struct {
        const char* what;
        std::function<void(const TempConfigHome&)> lock;
        std::function<void(const TempConfigHome&)> unlock;
    } theCases[] = {
        {"file mode 0444", [](auto& h) { chmod(h.PathOf("Tamsel-Prefs").c_str(), 0444); }, [](auto&) {}},
        {"folder mode 0555", [](auto& h) { chmod(h.Folder().c_str(), 0555); }, [](auto& h) { chmod(h.Folder().c_str(), 0755); }},
        {"protected record", [](auto&) { ProtectTheRecord(); }, [](auto&) {}},
        {"read-only map", [](auto& h) { SetMapAttributesInFile(h.PathOf("Tamsel-Prefs"), mapReadOnly); }, [](auto&) {}},
    };
    const std::string theOutcome = RunAsOrdinaryUser([&] {
                  for (const auto& theCase : theCases) {
                      TempConfigHome theHome;
                      pluginDataRec theSaved = EditedConfig();
                      SaveFirst(&theSaved);
                      theCase.lock(theHome);
                      const std::vector<UInt8> theBefore = ReadFileBytes(theHome.PathOf("Tamsel-Prefs"));

                      pluginDataRec theOther = DefaultConfig();
                      EXPECT_FALSE(SaveConfig(&theOther)) << theCase.what;
                      pluginDataRec theStarted = DefaultConfig();
                      EXPECT_TRUE(StartUp(&theStarted)) << theCase.what << ": a start still reads the record";
                      ExpectSameSavedFields(theStarted, theSaved);
                      EXPECT_EQ(ReadFileBytes(theHome.PathOf("Tamsel-Prefs")), theBefore) << theCase.what;
                      EXPECT_EQ(CurResFile(), 0) << theCase.what << ": nothing left open";
                      theCase.unlock(theHome);
                  }
              });
    EXPECT_EQ(theOutcome, "");
}

TEST(ConfigFile, ANewRecordThatDoesNotFitLeavesTheOldOne)
{
    TempConfigHome theHome;
    pluginDataRec theSaved = EditedConfig();
    SaveFirst(&theSaved);
    // Another resource of 17 MB after the record: a new record would have to start past the
    // 16 MB that the format's 24-bit data offsets reach.
    const FSSpec theSpec = PrefsSpec("Tamsel-Prefs");
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdWrPerm);
    AddResource(HandleWith(std::string(17 << 20, 'b')), FOUR_CHAR_CODE("BIG "), 128, nullptr);
    CloseResFile(theRefNum);
    ASSERT_EQ(ResError(), noErr);
    const std::vector<UInt8> theBefore = ReadFileBytes(theHome.PathOf("Tamsel-Prefs"));

    pluginDataRec theOther = DefaultConfig();
    EXPECT_FALSE(SaveConfig(&theOther));
    EXPECT_TRUE(ReadFileBytes(theHome.PathOf("Tamsel-Prefs")) == theBefore);
    ExpectStillSaved(theSaved, "after the failed save");
}

TEST(ConfigFile, WithoutAPreferencesFolderNoFileIsMade)
{
    TempConfigHome theHome;
    CreateConfigFile();
    ASSERT_EQ(std::remove(theHome.PathOf("Tamsel-Prefs").c_str()), 0);
    theHome.MakeFolderMissing();
    UseResFile(12345); // leaves a known error behind
    ASSERT_EQ(ResError(), resFNotFound);
    CreateConfigFile();
    EXPECT_EQ(ResError(), resFNotFound) << "the File Manager was not asked to create anything";
    EXPECT_FALSE(std::filesystem::exists(theHome.PathOf("Tamsel-Prefs")));
    EXPECT_FALSE(std::filesystem::exists(std::getenv("XDG_CONFIG_HOME")));
}

TEST(ConfigFile, OnlyARegularFileIsUsed)
{
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
    } theCases[] = {
        {"a FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }},
        {"a folder", [](const std::string& p) { std::filesystem::create_directory(p); }},
        {"a link to a device", [](const std::string& p) { std::filesystem::create_symlink("/dev/null", p); }},
    };
    const std::string theOutcome = RunAsOrdinaryUser(
                  [&] {
                      for (const auto& theCase : theCases) {
                          TempConfigHome theHome;
                          const std::string thePath = theHome.PathOf("Tamsel-Prefs");
                          theCase.make(thePath);
                          struct stat theBefore;
                          ASSERT_EQ(lstat(thePath.c_str(), &theBefore), 0);
                          pluginDataRec theConfig = EditedConfig();
                          EXPECT_FALSE(StartUp(&theConfig)) << theCase.what;
                          EXPECT_FALSE(SaveConfig(&theConfig)) << theCase.what;
                          struct stat theAfter;
                          ASSERT_EQ(lstat(thePath.c_str(), &theAfter), 0);
                          EXPECT_EQ(theAfter.st_mode, theBefore.st_mode) << theCase.what << " is left as it was";
                          EXPECT_EQ(theAfter.st_ino, theBefore.st_ino) << theCase.what;
                      }
                  },
                  20);
    EXPECT_EQ(theOutcome, "");
}

TEST(ConfigFile, ALinkedFileIsWrittenThroughTheLink)
{
    TempConfigHome theHome;
    std::filesystem::create_directory(theHome.Folder() + "/kept");
    // Relative, as a dotfiles checkout links it; the file does not exist yet.
    std::filesystem::create_symlink("kept/prefs", theHome.PathOf("Tamsel-Prefs"));
    pluginDataRec theConfig = DefaultConfig();
    EXPECT_FALSE(StartUp(&theConfig)) << "nothing to read yet";
    pluginDataRec theSaved = EditedConfig();
    EXPECT_TRUE(SaveConfig(&theSaved));
    EXPECT_TRUE(std::filesystem::is_symlink(theHome.PathOf("Tamsel-Prefs")));
    EXPECT_EQ(std::filesystem::read_symlink(theHome.PathOf("Tamsel-Prefs")), "kept/prefs");
    EXPECT_TRUE(std::filesystem::is_regular_file(theHome.Folder() + "/kept/prefs"));
    ExpectStillSaved(theSaved, "read through the link");
    size_t theFiles = 0;
    for ([[maybe_unused]] const auto& theEntry : std::filesystem::directory_iterator(theHome.Folder() + "/kept")) ++theFiles;
    EXPECT_EQ(theFiles, 1u) << "no temporary file left beside the target";
}
