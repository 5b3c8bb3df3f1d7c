// The few pieces of H.264's syntax that copying compressed pictures needs: the avcC record of
// an .mp4's sample description, the ids of parameter sets, and NAL unit types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace video::h264 {

using Nal = std::vector<uint8_t>;

// NAL unit types.
constexpr int cIdrSlice = 5;
constexpr int cSei = 6;
constexpr int cSps = 7;
constexpr int cPps = 8;
constexpr int cAccessUnitDelimiter = 9;

struct ParameterSets {
    std::vector<Nal> sps;
    std::vector<Nal> pps;
    int lengthSize = 4; // bytes before each NAL unit of a sample
};

struct SpsFacts {
    int profile = 0;
    int constraints = 0;
    int level = 0;
    int id = 0;
    int chromaFormat = 1;
    int lumaBits = 8;
    int chromaBits = 8;
};

// The avcC record; false with the reason when it is damaged.
bool ReadAvcConfig(const uint8_t* theBytes, size_t theSize, ParameterSets& outSets, std::string& outError);

// An avcC record holding every set, profile and level from the first SPS.
std::vector<uint8_t> WriteAvcConfig(const ParameterSets& theSets);

bool ReadSps(const Nal& theNal, SpsFacts& outFacts);
// The PPS's own id and that of the SPS it refers to.
bool ReadPpsIds(const Nal& theNal, int& outId, int& outSpsId);

// The types of the NAL units of a sample whose units carry theLengthSize-byte lengths; false
// when the lengths run past its end.
bool NalTypesOf(const uint8_t* theBytes, size_t theSize, int theLengthSize, std::vector<int>& outTypes);

// The parameter sets a sample carries in its own NAL units.
ParameterSets ParameterSetsInSample(const uint8_t* theBytes, size_t theSize, int theLengthSize);

// The units of an Annex B stream (start codes) without them.
std::vector<Nal> SplitAnnexB(const uint8_t* theBytes, size_t theSize);

// Units as a sample with 4-byte lengths, leaving out parameter sets and delimiters: those live
// in the sample description.
std::vector<uint8_t> SampleFromAnnexB(const uint8_t* theBytes, size_t theSize);

// Adds theMore's sets to ioSets, each id once. False with the reason when a set differs from
// one of the same id already there, or the units' length fields differ.
bool MergeParameterSets(ParameterSets& ioSets, const ParameterSets& theMore, std::string& outError);

// The lowest id above every SPS and PPS id in theSets: a set of that id cannot clash with them.
int FreeParameterSetId(const ParameterSets& theSets);

} // namespace video::h264
