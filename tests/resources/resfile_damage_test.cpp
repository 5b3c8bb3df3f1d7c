#include "ResourceTesting.h"
#include "TempConfigHome.h"

#include <functional>

#include <gtest/gtest.h>

namespace {

// A valid file made by hand, byte by byte, so that the reader is checked against the layout
// itself and not against our own writer: 'TEXT' 128 "first" = "hello", 'TEXT' 129 = "",
// 'STR#' 128 "list" = {"hi"}.
constexpr size_t cData = 256;
constexpr size_t cDataLength = 22;
constexpr size_t cMap = cData + cDataLength;
constexpr size_t cTypeList = cMap + 28;
constexpr size_t cTextRefs = cTypeList + 18;
constexpr size_t cListRefs = cTypeList + 42;
constexpr size_t cNames = cMap + 82;
constexpr size_t cMapLength = 93;

void Put(std::vector<UInt8>& theBytes, size_t theAt, UInt32 theValue, int theWidth)
{
    for (int i = 0; i < theWidth; ++i) theBytes[theAt + i] = static_cast<UInt8>(theValue >> (8 * (theWidth - 1 - i)));
}

std::vector<UInt8> HandmadeFile()
{
    std::vector<UInt8> theBytes(cMap + cMapLength, 0);
    for (size_t theAt : {size_t(0), cMap}) {
        Put(theBytes, theAt, cData, 4);
        Put(theBytes, theAt + 4, cMap, 4);
        Put(theBytes, theAt + 8, cDataLength, 4);
        Put(theBytes, theAt + 12, cMapLength, 4);
    }
    const char theData[] = "\0\0\0\5hello\0\0\0\0\0\0\0\5\0\1\2hi";
    std::copy(theData, theData + cDataLength, theBytes.begin() + cData);
    Put(theBytes, cMap + 24, 28, 2);
    Put(theBytes, cMap + 26, 82, 2);
    Put(theBytes, cTypeList, 1, 2);
    Put(theBytes, cTypeList + 2, FOUR_CHAR_CODE("TEXT"), 4);
    Put(theBytes, cTypeList + 6, 1, 2);
    Put(theBytes, cTypeList + 8, 18, 2);
    Put(theBytes, cTypeList + 10, FOUR_CHAR_CODE("STR#"), 4);
    Put(theBytes, cTypeList + 14, 0, 2);
    Put(theBytes, cTypeList + 16, 42, 2);
    const struct {
        size_t at;
        UInt32 id, name, data;
    } theRefs[] = {{cTextRefs, 128, 0, 0}, {cTextRefs + 12, 129, 0xFFFF, 9}, {cListRefs, 128, 6, 13}};
    for (const auto& theRef : theRefs) {
        Put(theBytes, theRef.at, theRef.id, 2);
        Put(theBytes, theRef.at + 2, theRef.name, 2);
        Put(theBytes, theRef.at + 5, theRef.data, 3);
    }
    const char theNames[] = "\5first\4list";
    std::copy(theNames, theNames + 11, theBytes.begin() + cNames);
    return theBytes;
}

struct Damage {
    const char* what;
    std::function<void(std::vector<UInt8>&)> change;
    OSErr expected;
};

} // namespace

TEST(ResourceFileDamage, HandmadeFileReads)
{
    TempConfigHome theHome;
    WriteFileBytes(theHome.PathOf("Good"), HandmadeFile());
    const FSSpec theSpec = PrefsSpec("Good");
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdPerm);
    ASSERT_EQ(ResError(), noErr);
    EXPECT_EQ(BytesOf(Get1Resource(FOUR_CHAR_CODE("TEXT"), 128)), "hello");
    EXPECT_EQ(BytesOf(Get1Resource(FOUR_CHAR_CODE("TEXT"), 129)), "");
    Str255 theString;
    GetIndString(theString, 128, 1);
    EXPECT_EQ(PascalText(theString), "hi");
    GetResInfo(Get1Resource(FOUR_CHAR_CODE("STR#"), 128), nullptr, nullptr, theString);
    EXPECT_EQ(PascalText(theString), "list");
    CloseResFile(theRefNum);
}

TEST(ResourceFileDamage, EveryDamageIsAnErrorAndTheChainStaysAsItWas)
{
    const Damage theCases[] = {
        {"empty file", [](auto& f) { f.clear(); }, eofErr},
        {"shorter than a header", [](auto& f) { f.resize(15); }, eofErr},
        {"map cut short", [](auto& f) { f.pop_back(); }, eofErr},
        {"data past the end", [](auto& f) { Put(f, 8, 0x7FFFFFF0, 4); }, eofErr},
        {"map offset past the end", [](auto& f) { Put(f, 4, 0xFFFFFFFF, 4); }, eofErr},
        {"map over the header", [](auto& f) { Put(f, 4, 0, 4); }, mapReadErr},
        {"data over the map", [](auto& f) { Put(f, 8, cDataLength + 1, 4); }, mapReadErr},
        {"map too short for its header", [](auto& f) { Put(f, 12, 20, 4); }, mapReadErr},
        {"type list outside the map", [](auto& f) { Put(f, cMap + 24, 0xFFF0, 2); }, mapReadErr},
        {"name list outside the map", [](auto& f) { Put(f, cMap + 26, cMapLength + 1, 2); }, mapReadErr},
        {"type count past the map", [](auto& f) { Put(f, cTypeList, 0x7FFF, 2); }, mapReadErr},
        {"negative type count", [](auto& f) { Put(f, cTypeList, 0xFFFE, 2); }, mapReadErr},
        {"reference count that wraps", [](auto& f) { Put(f, cTypeList + 6, 0xFFFF, 2); }, mapReadErr},
        {"reference list outside the map", [](auto& f) { Put(f, cTypeList + 8, 0xFFF0, 2); }, mapReadErr},
        {"reference list over the type list", [](auto& f) { Put(f, cTypeList + 16, 2, 2); }, mapReadErr},
        {"two types share references", [](auto& f) { Put(f, cTypeList + 16, 18, 2); }, mapReadErr},
        {"a type twice", [](auto& f) { Put(f, cTypeList + 10, FOUR_CHAR_CODE("TEXT"), 4); }, mapReadErr},
        {"an ID twice", [](auto& f) { Put(f, cTextRefs + 12, 128, 2); }, mapReadErr},
        {"name offset outside the map", [](auto& f) { Put(f, cTextRefs + 2, 0x7000, 2); }, mapReadErr},
        {"name running past the map", [](auto& f) { f[cNames + 6] = 200; }, mapReadErr},
        {"data offset outside the data", [](auto& f) { Put(f, cTextRefs + 5, cDataLength, 3); }, mapReadErr},
        {"data length past the data", [](auto& f) { Put(f, cData, 6, 4); }, mapReadErr},
        {"data length that wraps", [](auto& f) { Put(f, cData, 0xFFFFFFFF, 4); }, mapReadErr},
        {"two resources share data", [](auto& f) { Put(f, cListRefs + 5, 0, 3); }, mapReadErr},
        {"data inside another's data", [](auto& f) { Put(f, cTextRefs + 17, 4, 3); }, mapReadErr},
    };
    TempConfigHome theHome;
    WriteFileBytes(theHome.PathOf("Good"), HandmadeFile());
    const FSSpec theGoodSpec = PrefsSpec("Good");
    const SInt16 theGood = FSpOpenResFile(&theGoodSpec, fsRdPerm);
    for (const Damage& theCase : theCases) {
        std::vector<UInt8> theBytes = HandmadeFile();
        theCase.change(theBytes);
        WriteFileBytes(theHome.PathOf(theCase.what), theBytes);
        const FSSpec theSpec = PrefsSpec(theCase.what);
        EXPECT_EQ(FSpOpenResFile(&theSpec, fsRdWrPerm), -1) << theCase.what;
        EXPECT_EQ(ResError(), theCase.expected) << theCase.what;
        EXPECT_EQ(CurResFile(), theGood) << theCase.what;
    }
    const FSSpec theMissing = PrefsSpec("Missing");
    EXPECT_EQ(FSpOpenResFile(&theMissing, fsCurPerm), -1);
    EXPECT_EQ(ResError(), fnfErr);
    CloseResFile(theGood);
}
