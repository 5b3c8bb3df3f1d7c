// Files past 2 GB on the 32-bit targets too.
#define _FILE_OFFSET_BITS 64

#include "ResourceTesting.h"
#include "TempConfigHome.h"

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

constexpr ResType cText = FOUR_CHAR_CODE("TEXT");
constexpr ResType cStrList = FOUR_CHAR_CODE("STR#");

// A new resource file in the preferences folder, open and current.
SInt16 CreateAndOpen(const FSSpec& theSpec)
{
    FSpCreateResFile(&theSpec, FOUR_CHAR_CODE("zqv "), FOUR_CHAR_CODE("Pref"), smSystemScript);
    EXPECT_EQ(ResError(), noErr);
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdWrPerm);
    EXPECT_EQ(ResError(), noErr);
    return theRefNum;
}

void AddText(const std::string& theText, ResType theType, SInt16 theID, ConstStr255Param theName)
{
    Handle theHandle = HandleWith(theText);
    AddResource(theHandle, theType, theID, theName);
    ASSERT_EQ(ResError(), noErr);
    ReleaseResource(theHandle);
}

std::string StrList(std::initializer_list<std::string> theStrings)
{
    std::string theList{0, static_cast<char>(theStrings.size())};
    for (const std::string& theString : theStrings) theList += static_cast<char>(theString.size()) + theString;
    return theList;
}

} // namespace

TEST(ResourceFile, NewFileIsTheClassicEmptyMapWithTypeAndCreator)
{
    TempConfigHome theHome;
    const FSSpec theSpec = PrefsSpec("Empty");
    FSpCreateResFile(&theSpec, FOUR_CHAR_CODE("zqv "), FOUR_CHAR_CODE("Pref"), smSystemScript);
    ASSERT_EQ(ResError(), noErr);

    const std::vector<UInt8> theBytes = ReadFileBytes(theHome.PathOf("Empty"));
    ASSERT_EQ(theBytes.size(), 256u + 30u);
    const std::vector<UInt8> theHeader{0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 30};
    EXPECT_TRUE(std::equal(theHeader.begin(), theHeader.end(), theBytes.begin()));
    EXPECT_TRUE(std::equal(theHeader.begin(), theHeader.end(), theBytes.begin() + 256));
    const std::vector<UInt8> theMapTail{0, 0, 0, 28, 0, 30, 0xFF, 0xFF}; // attributes, offsets, no types
    EXPECT_TRUE(std::equal(theMapTail.begin(), theMapTail.end(), theBytes.begin() + 256 + 22));

    FInfo theInfo{};
    ASSERT_EQ(FSpGetFInfo(&theSpec, &theInfo), noErr);
    // File systems without extended attributes report no type at all, which is allowed.
    if (theInfo.fdType != 0) {
        EXPECT_EQ(theInfo.fdType, FOUR_CHAR_CODE("Pref"));
        EXPECT_EQ(theInfo.fdCreator, FOUR_CHAR_CODE("zqv "));
    }

    FSpCreateResFile(&theSpec, FOUR_CHAR_CODE("zqv "), FOUR_CHAR_CODE("Pref"), smSystemScript);
    EXPECT_EQ(ResError(), dupFNErr);
}

TEST(ResourceFile, ResourcesSurviveUpdateAndReopen)
{
    TempConfigHome theHome;
    const FSSpec theSpec = PrefsSpec("Round");
    SInt16 theRefNum = CreateAndOpen(theSpec);
    AddText("hello", cText, 128, PSTR("greeting"));
    AddText("", cText, -5, nullptr);
    AddText(std::string(70000, 'x'), FOUR_CHAR_CODE("BIG "), 0, PSTR("\xA5 bullet"));
    UpdateResFile(theRefNum);
    EXPECT_EQ(ResError(), noErr);
    CloseResFile(theRefNum);

    theRefNum = FSpOpenResFile(&theSpec, fsRdPerm);
    ASSERT_EQ(ResError(), noErr);
    EXPECT_EQ(Count1Types(), 2);
    EXPECT_EQ(Count1Resources(cText), 2);
    Handle theGreeting = Get1Resource(cText, 128);
    ASSERT_NE(theGreeting, nullptr);
    EXPECT_EQ(BytesOf(theGreeting), "hello");
    EXPECT_NE(HGetState(theGreeting) & (1 << kHandleIsResourceBit), 0);
    EXPECT_EQ(Get1Resource(cText, 128), theGreeting) << "a loaded resource has one handle";
    Str255 theName;
    SInt16 theID;
    ResType theType;
    GetResInfo(theGreeting, &theID, &theType, theName);
    EXPECT_EQ(theID, 128);
    EXPECT_EQ(theType, cText);
    EXPECT_EQ(PascalText(theName), "greeting");
    GetResInfo(Get1Resource(cText, -5), &theID, &theType, theName);
    EXPECT_EQ(theName[0], 0);
    EXPECT_EQ(BytesOf(Get1Resource(cText, -5)), "");
    Handle theBig = Get1Resource(FOUR_CHAR_CODE("BIG "), 0);
    ASSERT_NE(theBig, nullptr);
    EXPECT_EQ(BytesOf(theBig), std::string(70000, 'x'));
    GetResInfo(theBig, &theID, &theType, theName);
    EXPECT_EQ(PascalText(theName), "\xA5 bullet");

    EXPECT_EQ(Get1Resource(cText, 130), nullptr);
    EXPECT_EQ(ResError(), resNotFound);
    CloseResFile(theRefNum);
    EXPECT_EQ(ResError(), noErr);
}

TEST(ResourceFile, AddAndRemoveRefuseWhatTheFileCannotTake)
{
    TempConfigHome theHome;
    const FSSpec theSpec = PrefsSpec("Refuse");
    const SInt16 theRefNum = CreateAndOpen(theSpec);
    AddText("one", cText, 1, nullptr);

    Handle theDuplicate = HandleWith("two");
    AddResource(theDuplicate, cText, 1, nullptr);
    EXPECT_EQ(ResError(), addResFailed) << "one ID per type";
    AddResource(nullptr, cText, 2, nullptr);
    EXPECT_EQ(ResError(), addResFailed);
    Handle theLoaded = Get1Resource(cText, 1);
    AddResource(theLoaded, cText, 3, nullptr);
    EXPECT_EQ(ResError(), addResFailed) << "a handle belongs to one resource";

    RemoveResource(theDuplicate);
    EXPECT_EQ(ResError(), rmvResFailed) << "not a resource";
    ReleaseResource(theDuplicate);
    EXPECT_EQ(ResError(), resNotFound);
    DisposeHandle(theDuplicate);
    CloseResFile(theRefNum);

    const SInt16 theReadOnly = FSpOpenResFile(&theSpec, fsRdPerm);
    Handle theNew = HandleWith("new");
    AddResource(theNew, cText, 9, nullptr);
    EXPECT_EQ(ResError(), addResFailed);
    RemoveResource(Get1Resource(cText, 1));
    EXPECT_EQ(ResError(), rmvResFailed);
    DisposeHandle(theNew);
    CloseResFile(theReadOnly);
}

TEST(ResourceFile, RemoveReleaseAndDetachHandOverTheHandle)
{
    TempConfigHome theHome;
    const FSSpec theSpec = PrefsSpec("Handles");
    SInt16 theRefNum = CreateAndOpen(theSpec);
    AddText("keep", cText, 1, nullptr);
    AddText("drop", cText, 2, nullptr);
    AddText("other", FOUR_CHAR_CODE("OTHR"), 7, PSTR("kept"));
    Handle theAdded = HandleWith("fresh");
    AddResource(theAdded, cText, 3, nullptr);
    DetachResource(theAdded);
    EXPECT_EQ(ResError(), resAttrErr) << "an unwritten resource cannot be detached";
    UpdateResFile(theRefNum);

    Handle theDrop = Get1Resource(cText, 2);
    RemoveResource(theDrop);
    EXPECT_EQ(ResError(), noErr);
    EXPECT_EQ(HGetState(theDrop) & (1 << kHandleIsResourceBit), 0);
    DisposeHandle(theDrop);
    Handle theKeep = Get1Resource(cText, 1);
    DetachResource(theKeep);
    EXPECT_EQ(ResError(), noErr);
    CloseResFile(theRefNum);
    EXPECT_EQ(BytesOf(theKeep), "keep") << "a detached handle outlives its file";
    DisposeHandle(theKeep);

    theRefNum = FSpOpenResFile(&theSpec, fsRdWrPerm);
    EXPECT_EQ(Get1Resource(cText, 2), nullptr);
    EXPECT_EQ(BytesOf(Get1Resource(cText, 1)), "keep");
    EXPECT_EQ(BytesOf(Get1Resource(cText, 3)), "fresh");
    Handle theOther = Get1Resource(FOUR_CHAR_CODE("OTHR"), 7);
    EXPECT_EQ(BytesOf(theOther), "other");
    ReleaseResource(theOther);
    EXPECT_EQ(BytesOf(Get1Resource(FOUR_CHAR_CODE("OTHR"), 7)), "other") << "released data loads again";
    CloseResFile(theRefNum);
}

TEST(ResourceFile, ChainSearchAndCurrentFile)
{
    TempConfigHome theHome;
    const FSSpec theBundleSpec = PrefsSpec("Bundle");
    const SInt16 theBundle = CreateAndOpen(theBundleSpec);
    AddText(StrList({"Out", "In", "Cross"}), cStrList, 128, nullptr);
    UpdateResFile(theBundle);
    const SInt16 thePrefs = CreateAndOpen(PrefsSpec("Prefs"));
    EXPECT_EQ(CurResFile(), thePrefs);
    EXPECT_EQ(FSpOpenResFile(&theBundleSpec, fsRdPerm), theBundle) << "an open file keeps its number";
    UseResFile(thePrefs);

    Str255 theString;
    GetIndString(theString, 128, 2);
    EXPECT_EQ(PascalText(theString), "In") << "found further down the chain";
    EXPECT_EQ(Get1Resource(cStrList, 128), nullptr) << "Get1 looks in the current file only";
    UseResFile(theBundle);
    EXPECT_NE(Get1Resource(cStrList, 128), nullptr);
    UseResFile(thePrefs);
    UseResFile(12345);
    EXPECT_EQ(ResError(), resFNotFound);
    EXPECT_EQ(CurResFile(), thePrefs);

    CloseResFile(thePrefs);
    EXPECT_EQ(CurResFile(), theBundle) << "the next file down becomes current";
    CloseResFile(thePrefs);
    EXPECT_EQ(ResError(), resFNotFound);
    CloseResFile(theBundle);
    EXPECT_EQ(CurResFile(), 0);
    GetIndString(theString, 128, 1);
    EXPECT_EQ(theString[0], 0);
}

TEST(ResourceFile, GetIndStringOutsideTheListIsEmpty)
{
    TempConfigHome theHome;
    const SInt16 theRefNum = CreateAndOpen(PrefsSpec("Strings"));
    AddText(StrList({"a", "bb"}), cStrList, 1, nullptr);
    AddText(std::string{0, 3, 1, 'a', 5, 'b'}, cStrList, 2, nullptr); // claims 3, second cut short
    Str255 theString;
    const struct {
        SInt16 list;
        SInt16 index;
        const char* expected;
    } theCases[] = {{1, 1, "a"}, {1, 2, "bb"}, {1, 0, ""}, {1, 3, ""}, {1, -1, ""}, {2, 1, "a"}, {2, 2, ""}, {2, 3, ""}, {9, 1, ""}};
    for (const auto& theCase : theCases) {
        GetIndString(theString, theCase.list, theCase.index);
        EXPECT_EQ(PascalText(theString), theCase.expected) << theCase.list << "/" << theCase.index;
    }
    CloseResFile(theRefNum);
}

TEST(FileSpec, NamesFoldersAndVolumes)
{
    TempConfigHome theHome;
    SInt16 theVolume = 0;
    SInt32 theFolder = 0;
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &theVolume, &theFolder), noErr);
    FSSpec theSpec;
    EXPECT_EQ(FSMakeFSSpec(theVolume, theFolder, PSTR("Absent"), &theSpec), fnfErr);
    EXPECT_EQ(SInt16(theSpec.vRefNum), theVolume);
    EXPECT_EQ(SInt32(theSpec.parID), theFolder);
    EXPECT_EQ(PascalText(theSpec.name), "Absent");
    for (const std::string theName : {"", "a:b", "a/b", "..", "0123456789012345678901234567890123456789012345678901234567890123"}) {
        Str255 thePascal{static_cast<UInt8>(theName.size())};
        std::copy(theName.begin(), theName.end(), thePascal + 1);
        EXPECT_EQ(FSMakeFSSpec(theVolume, theFolder, thePascal, &theSpec), bdNamErr) << theName;
    }
    EXPECT_EQ(FSMakeFSSpec(theVolume, 99999, PSTR("x"), &theSpec), dirNFErr);
    EXPECT_EQ(FSMakeFSSpec(7, theFolder, PSTR("x"), &theSpec), nsvErr);

    ASSERT_EQ(FSPathMakeFSSpec((theHome.Folder() + "/\xC3\xA9t\xC3\xA9").c_str(), &theSpec), fnfErr);
    EXPECT_EQ(SInt32(theSpec.parID), theFolder) << "the same folder gets the same number";
    EXPECT_EQ(PascalText(theSpec.name), "\x8Et\x8E") << "names are Mac Roman";
    EXPECT_EQ(FSPathMakeFSSpec("/tmp/\xE4\xB8\xAD", &theSpec), bdNamErr) << "no Mac Roman for it";
}

TEST(FindFolder, PreferencesFolderIsNeverCreated)
{
    TempConfigHome theHome;
    SInt16 theVolume = 0;
    SInt32 theFolder = 0;
    EXPECT_EQ(FindFolder(kOnSystemDisk, FOUR_CHAR_CODE("desk"), kDontCreateFolder, &theVolume, &theFolder), fnfErr);
    EXPECT_EQ(FindFolder(5, kPreferencesFolderType, kDontCreateFolder, &theVolume, &theFolder), nsvErr);

    theHome.MakeFolderMissing();
    EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &theVolume, &theFolder), fnfErr);
    EXPECT_FALSE(std::filesystem::exists(std::getenv("XDG_CONFIG_HOME")));

    // Without XDG_CONFIG_HOME (or with a relative one) the folder is ~/.config.
    const std::string theHomeConfig = std::string(std::getenv("HOME")) + "/.config";
    setenv("XDG_CONFIG_HOME", "relative/path", 1);
    EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &theVolume, &theFolder), fnfErr);
    EXPECT_FALSE(std::filesystem::exists(theHomeConfig));
    std::filesystem::create_directories(theHomeConfig);
    unsetenv("XDG_CONFIG_HOME");
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &theVolume, &theFolder), noErr);
    FSSpec theSpec;
    FSMakeFSSpec(theVolume, theFolder, PSTR("p"), &theSpec);
    FSSpec theExpected;
    FSPathMakeFSSpec((theHomeConfig + "/p").c_str(), &theExpected);
    EXPECT_EQ(SInt32(theSpec.parID), SInt32(theExpected.parID));
}

TEST(ResourceFile, OnlyTheMapAndTheDataAskedForAreRead)
{
    TempConfigHome theHome;
    const FSSpec theSpec = PrefsSpec("Holey");
    SInt16 theRefNum = CreateAndOpen(theSpec);
    AddText("hello", cText, 1, PSTR("greeting"));
    CloseResFile(theRefNum);
    // A terabyte of nothing after the map, more than any memory holds: a reader that takes
    // in the whole file cannot open it.
    if (truncate(theHome.PathOf("Holey").c_str(), 1LL << 40) != 0) GTEST_SKIP() << "no sparse files here";

    theRefNum = FSpOpenResFile(&theSpec, fsRdWrPerm);
    ASSERT_EQ(ResError(), noErr);
    EXPECT_EQ(BytesOf(Get1Resource(cText, 1)), "hello");
    AddText("more", cText, 2, nullptr);
    CloseResFile(theRefNum);
    EXPECT_EQ(ResError(), noErr);
    EXPECT_LT(std::filesystem::file_size(theHome.PathOf("Holey")), 1000u) << "written back without the hole";

    theRefNum = FSpOpenResFile(&theSpec, fsRdPerm);
    EXPECT_EQ(BytesOf(Get1Resource(cText, 1)), "hello");
    EXPECT_EQ(BytesOf(Get1Resource(cText, 2)), "more");
    CloseResFile(theRefNum);
}
