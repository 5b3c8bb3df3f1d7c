#include "h264syntax.h"

#include <algorithm>

namespace video::h264 {

namespace {

// Bits of a NAL unit's payload after its header, emulation prevention bytes removed.
class BitReader {
public:
    explicit BitReader(const Nal& theNal)
    {
        for (size_t i = 1; i < theNal.size(); ++i) {
            if (i >= 3 && theNal[i] == 3 && theNal[i - 1] == 0 && theNal[i - 2] == 0 && mBytes.size() >= 2 &&
                mBytes[mBytes.size() - 1] == 0 && mBytes[mBytes.size() - 2] == 0)
                continue;
            mBytes.push_back(theNal[i]);
        }
    }
    bool Bits(int theCount, uint32_t& outValue)
    {
        outValue = 0;
        for (int i = 0; i < theCount; ++i) {
            if (mPosition >= mBytes.size() * 8) return false;
            outValue = (outValue << 1) | ((mBytes[mPosition / 8] >> (7 - mPosition % 8)) & 1u);
            ++mPosition;
        }
        return true;
    }
    bool Golomb(uint32_t& outValue)
    {
        int theZeros = 0;
        uint32_t theBit = 0;
        while (Bits(1, theBit) && theBit == 0) {
            if (++theZeros > 31) return false;
        }
        if (theBit != 1) return false;
        uint32_t theRest = 0;
        if (!Bits(theZeros, theRest)) return false;
        outValue = (uint32_t(1) << theZeros) - 1 + theRest;
        return true;
    }

private:
    std::vector<uint8_t> mBytes;
    size_t mPosition = 0;
};

bool HasChromaFields(int theProfile)
{
    switch (theProfile) {
    case 100: case 110: case 122: case 244: case 44: case 83: case 86: case 118: case 128: case 138: case 139: case 134: case 135:
        return true;
    default:
        return false;
    }
}

void PutSets(std::vector<uint8_t>& ioBytes, const std::vector<Nal>& theSets)
{
    for (const Nal& theSet : theSets) {
        ioBytes.push_back(uint8_t(theSet.size() >> 8));
        ioBytes.push_back(uint8_t(theSet.size()));
        ioBytes.insert(ioBytes.end(), theSet.begin(), theSet.end());
    }
}

bool TakeSets(const uint8_t*& ioBytes, const uint8_t* theEnd, int theCount, std::vector<Nal>& outSets)
{
    for (int i = 0; i < theCount; ++i) {
        if (theEnd - ioBytes < 2) return false;
        size_t theLength = size_t(ioBytes[0]) << 8 | ioBytes[1];
        ioBytes += 2;
        if (theLength == 0 || size_t(theEnd - ioBytes) < theLength) return false;
        outSets.emplace_back(ioBytes, ioBytes + theLength);
        ioBytes += theLength;
    }
    return true;
}

int SpsIdOf(const Nal& theNal)
{
    SpsFacts theFacts;
    return ReadSps(theNal, theFacts) ? theFacts.id : -1;
}

int PpsIdOf(const Nal& theNal)
{
    int theId = -1, theSps = -1;
    return ReadPpsIds(theNal, theId, theSps) ? theId : -1;
}

bool MergeSets(std::vector<Nal>& ioSets, const std::vector<Nal>& theMore, int (*theIdOf)(const Nal&), const char* theKind,
               std::string& outError)
{
    for (const Nal& theSet : theMore) {
        const int theId = theIdOf(theSet);
        if (theId < 0) {
            outError = std::string("has a damaged ") + theKind;
            return false;
        }
        auto theSame = std::find_if(ioSets.begin(), ioSets.end(), [&](const Nal& n) { return theIdOf(n) == theId; });
        if (theSame == ioSets.end()) ioSets.push_back(theSet);
        else if (*theSame != theSet) {
            outError = std::string("has another ") + theKind + " of id " + std::to_string(theId) + " than the clips copied before it";
            return false;
        }
    }
    return true;
}

} // namespace

bool ReadAvcConfig(const uint8_t* theBytes, size_t theSize, ParameterSets& outSets, std::string& outError)
{
    outSets = ParameterSets();
    const uint8_t* theEnd = theBytes + theSize;
    if (theSize < 7 || theBytes[0] != 1) {
        outError = "has no avcC record";
        return false;
    }
    outSets.lengthSize = (theBytes[4] & 3) + 1;
    const uint8_t* theNext = theBytes + 6;
    bool theRead = TakeSets(theNext, theEnd, theBytes[5] & 0x1F, outSets.sps) && theNext < theEnd;
    if (theRead) {
        const int thePpsCount = *theNext++;
        theRead = TakeSets(theNext, theEnd, thePpsCount, outSets.pps);
    }
    if (!theRead || outSets.sps.empty() || outSets.pps.empty()) {
        outError = "has a damaged avcC record";
        return false;
    }
    return true;
}

std::vector<uint8_t> WriteAvcConfig(const ParameterSets& theSets)
{
    SpsFacts theFirst;
    if (!theSets.sps.empty()) ReadSps(theSets.sps.front(), theFirst);
    std::vector<uint8_t> theBytes{1, uint8_t(theFirst.profile), uint8_t(theFirst.constraints), uint8_t(theFirst.level),
                                  uint8_t(0xFC | (theSets.lengthSize - 1)), uint8_t(0xE0 | theSets.sps.size())};
    PutSets(theBytes, theSets.sps);
    theBytes.push_back(uint8_t(theSets.pps.size()));
    PutSets(theBytes, theSets.pps);
    if (HasChromaFields(theFirst.profile)) {
        theBytes.push_back(uint8_t(0xFC | theFirst.chromaFormat));
        theBytes.push_back(uint8_t(0xF8 | (theFirst.lumaBits - 8)));
        theBytes.push_back(uint8_t(0xF8 | (theFirst.chromaBits - 8)));
        theBytes.push_back(0);
    }
    return theBytes;
}

bool ReadSps(const Nal& theNal, SpsFacts& outFacts)
{
    if (theNal.size() < 4 || (theNal[0] & 0x1F) != cSps) return false;
    outFacts = SpsFacts();
    outFacts.profile = theNal[1];
    outFacts.constraints = theNal[2];
    outFacts.level = theNal[3];
    BitReader theReader(theNal);
    uint32_t theValue = 0;
    if (!theReader.Bits(24, theValue) || !theReader.Golomb(theValue) || theValue > 31) return false;
    outFacts.id = int(theValue);
    if (!HasChromaFields(outFacts.profile)) return true;
    if (!theReader.Golomb(theValue) || theValue > 3) return false;
    outFacts.chromaFormat = int(theValue);
    if (theValue == 3 && !theReader.Bits(1, theValue)) return false;
    if (!theReader.Golomb(theValue) || theValue > 6) return false;
    outFacts.lumaBits = 8 + int(theValue);
    if (!theReader.Golomb(theValue) || theValue > 6) return false;
    outFacts.chromaBits = 8 + int(theValue);
    return true;
}

bool ReadPpsIds(const Nal& theNal, int& outId, int& outSpsId)
{
    if (theNal.size() < 2 || (theNal[0] & 0x1F) != cPps) return false;
    BitReader theReader(theNal);
    uint32_t theId = 0, theSps = 0;
    if (!theReader.Golomb(theId) || theId > 255 || !theReader.Golomb(theSps) || theSps > 31) return false;
    outId = int(theId);
    outSpsId = int(theSps);
    return true;
}

bool NalTypesOf(const uint8_t* theBytes, size_t theSize, int theLengthSize, std::vector<int>& outTypes)
{
    outTypes.clear();
    size_t thePosition = 0;
    while (thePosition < theSize) {
        if (theSize - thePosition < size_t(theLengthSize)) return false;
        size_t theLength = 0;
        for (int i = 0; i < theLengthSize; ++i) theLength = theLength << 8 | theBytes[thePosition++];
        if (theLength == 0 || theSize - thePosition < theLength) return false;
        outTypes.push_back(theBytes[thePosition] & 0x1F);
        thePosition += theLength;
    }
    return true;
}

ParameterSets ParameterSetsInSample(const uint8_t* theBytes, size_t theSize, int theLengthSize)
{
    ParameterSets theSets;
    theSets.lengthSize = theLengthSize;
    size_t thePosition = 0;
    while (theSize - thePosition >= size_t(theLengthSize)) {
        size_t theLength = 0;
        for (int i = 0; i < theLengthSize; ++i) theLength = theLength << 8 | theBytes[thePosition++];
        if (theLength == 0 || theSize - thePosition < theLength) break;
        const int theType = theBytes[thePosition] & 0x1F;
        if (theType == cSps) theSets.sps.emplace_back(theBytes + thePosition, theBytes + thePosition + theLength);
        if (theType == cPps) theSets.pps.emplace_back(theBytes + thePosition, theBytes + thePosition + theLength);
        thePosition += theLength;
    }
    return theSets;
}

std::vector<Nal> SplitAnnexB(const uint8_t* theBytes, size_t theSize)
{
    std::vector<Nal> theUnits;
    size_t theStart = std::string::npos;
    size_t i = 0;
    while (i + 3 <= theSize) {
        if (theBytes[i] == 0 && theBytes[i + 1] == 0 && theBytes[i + 2] == 1) {
            if (theStart != std::string::npos) {
                size_t theEnd = i;
                while (theEnd > theStart && theBytes[theEnd - 1] == 0) --theEnd; // a 4-byte start code's zero
                theUnits.emplace_back(theBytes + theStart, theBytes + theEnd);
            }
            i += 3;
            theStart = i;
        } else {
            ++i;
        }
    }
    if (theStart != std::string::npos && theStart < theSize) theUnits.emplace_back(theBytes + theStart, theBytes + theSize);
    theUnits.erase(std::remove_if(theUnits.begin(), theUnits.end(), [](const Nal& n) { return n.empty(); }), theUnits.end());
    return theUnits;
}

std::vector<uint8_t> SampleFromAnnexB(const uint8_t* theBytes, size_t theSize)
{
    std::vector<uint8_t> theSample;
    theSample.reserve(theSize + 16);
    for (const Nal& theUnit : SplitAnnexB(theBytes, theSize)) {
        const int theType = theUnit[0] & 0x1F;
        if (theType == cSps || theType == cPps || theType == cAccessUnitDelimiter) continue;
        for (int theShift = 24; theShift >= 0; theShift -= 8) theSample.push_back(uint8_t(theUnit.size() >> theShift));
        theSample.insert(theSample.end(), theUnit.begin(), theUnit.end());
    }
    return theSample;
}

bool MergeParameterSets(ParameterSets& ioSets, const ParameterSets& theMore, std::string& outError)
{
    if (ioSets.lengthSize != theMore.lengthSize) {
        outError = "gives its NAL units " + std::to_string(theMore.lengthSize) + "-byte lengths, the clips copied before it " +
                   std::to_string(ioSets.lengthSize);
        return false;
    }
    ParameterSets theMerged = ioSets;
    if (!MergeSets(theMerged.sps, theMore.sps, SpsIdOf, "SPS", outError) ||
        !MergeSets(theMerged.pps, theMore.pps, PpsIdOf, "PPS", outError))
        return false;
    ioSets = std::move(theMerged);
    return true;
}

int FreeParameterSetId(const ParameterSets& theSets)
{
    int theFree = 0;
    for (const Nal& theSet : theSets.sps) theFree = std::max(theFree, SpsIdOf(theSet) + 1);
    for (const Nal& theSet : theSets.pps) theFree = std::max(theFree, PpsIdOf(theSet) + 1);
    return theFree;
}

} // namespace video::h264
