// The H.264 syntax behind copying pictures: parameter set ids, samples and avcC records.
#include "h264syntax.h"

#include <gtest/gtest.h>

using namespace video::h264;

TEST(H264Syntax, ParameterSetIdsAreReadPastEmulationPrevention)
{
    struct Case {
        const char* name;
        Nal sps;
        int id;
        int chromaFormat;
    };
    for (const Case& theCase : {
             // High profile: id 3 (00100), 4:2:0 (010), 8-bit luma and chroma (1, 1).
             Case{"high", {0x67, 0x64, 0x00, 0x1E, 0x22, 0xC0}, 3, 1},
             // Baseline, level 0: 00 00 03 is an escape, and the id 5 (00110) follows it.
             Case{"escaped", {0x67, 0x42, 0x00, 0x00, 0x03, 0x30}, 5, 1},
         }) {
        SCOPED_TRACE(theCase.name);
        SpsFacts theFacts;
        ASSERT_TRUE(ReadSps(theCase.sps, theFacts));
        EXPECT_EQ(theFacts.id, theCase.id);
        EXPECT_EQ(theFacts.chromaFormat, theCase.chromaFormat);
    }
    int theId = -1, theSps = -1;
    // PPS id 4 (00101), SPS id 2 (011).
    ASSERT_TRUE(ReadPpsIds(Nal{0x68, 0x2B, 0x80}, theId, theSps));
    EXPECT_EQ(theId, 4);
    EXPECT_EQ(theSps, 2);
}

TEST(H264Syntax, EncodedPicturesBecomeSamplesWithoutHeaders)
{
    // An access unit delimiter, SPS and PPS behind 4- and 3-byte start codes, an SEI and a slice.
    const std::vector<uint8_t> theAnnexB{0, 0, 0, 1, 0x09, 0x10, 0, 0, 1, 0x67, 0x64, 0x00, 0x1E, 0xAC, 0, 0, 1, 0x68, 0xEE,
                                         0x3C, 0x80, 0, 0, 0, 1, 0x06, 0x05, 0x01, 0x80, 0, 0, 1, 0x65, 0x88, 0x84, 0x21};
    EXPECT_EQ(SampleFromAnnexB(theAnnexB.data(), theAnnexB.size()),
              (std::vector<uint8_t>{0, 0, 0, 4, 0x06, 0x05, 0x01, 0x80, 0, 0, 0, 4, 0x65, 0x88, 0x84, 0x21}));
    std::vector<int> theTypes;
    const std::vector<uint8_t> theSample{0, 0, 0, 2, 0x06, 0x05, 0, 0, 0, 3, 0x65, 0x88, 0x84};
    ASSERT_TRUE(NalTypesOf(theSample.data(), theSample.size(), 4, theTypes));
    EXPECT_EQ(theTypes, (std::vector<int>{6, 5}));
    EXPECT_FALSE(NalTypesOf(theSample.data(), theSample.size() - 1, 4, theTypes)) << "a length past the end";
}

TEST(H264Syntax, SetsOfDistinctIdsShareOneRecordAndClashingOnesAreRefused)
{
    ParameterSets theFirst{{{0x67, 0x64, 0x00, 0x1E, 0xAC}}, {{0x68, 0xEE, 0x3C, 0x80}}, 4};    // SPS 0, PPS 0
    ParameterSets theSame = theFirst;
    ParameterSets theOwnIds{{{0x67, 0x4D, 0x00, 0x1E, 0x6A}}, {{0x68, 0x6E, 0x80}}, 4};    // SPS 2 (011); PPS 2 (011) of SPS 2 (011)
    ParameterSets theClash{{{0x67, 0x4D, 0x00, 0x1E, 0xAC}}, {{0x68, 0xEE, 0x3C, 0x80}}, 4}; // another SPS 0
    std::string theError;
    ParameterSets theAll = theFirst;
    ASSERT_TRUE(MergeParameterSets(theAll, theSame, theError));
    ASSERT_TRUE(MergeParameterSets(theAll, theOwnIds, theError)) << theError;
    EXPECT_EQ(theAll.sps.size(), 2u);
    EXPECT_EQ(theAll.pps.size(), 2u);
    EXPECT_EQ(FreeParameterSetId(theAll), 3);
    EXPECT_FALSE(MergeParameterSets(theAll, theClash, theError));
    EXPECT_EQ(theError, "has another SPS of id 0 than the clips copied before it");
    EXPECT_EQ(theAll.sps.size(), 2u) << "a refused merge changes nothing";

    const std::vector<uint8_t> theRecord = WriteAvcConfig(theAll);
    // Version 1, High profile level 3.0 from the first SPS, 4-byte lengths, two SPS, and
    // High's chroma fields at the end: 4:2:0, 8 bits.
    ASSERT_GE(theRecord.size(), 10u);
    EXPECT_EQ(std::vector<uint8_t>(theRecord.begin(), theRecord.begin() + 6),
              (std::vector<uint8_t>{1, 0x64, 0x00, 0x1E, 0xFF, 0xE2}));
    EXPECT_EQ(std::vector<uint8_t>(theRecord.end() - 4, theRecord.end()), (std::vector<uint8_t>{0xFD, 0xF8, 0xF8, 0}));
    ParameterSets theRead;
    ASSERT_TRUE(ReadAvcConfig(theRecord.data(), theRecord.size(), theRead, theError)) << theError;
    EXPECT_EQ(theRead.sps, theAll.sps);
    EXPECT_EQ(theRead.pps, theAll.pps);
    EXPECT_FALSE(ReadAvcConfig(theRecord.data(), 12, theRead, theError)) << "cut short";
}
