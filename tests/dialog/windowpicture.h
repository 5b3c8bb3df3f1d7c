// A window's pixels as a PNG file: the headless backend's PPM read back and written uncompressed.
#pragma once

#include "HeadlessScript.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace dialog_testing {

inline uint32_t Crc32(const std::vector<uint8_t>& theBytes, size_t theStart)
{
    uint32_t theCrc = 0xFFFFFFFFu;
    for (size_t i = theStart; i < theBytes.size(); ++i) {
        theCrc ^= theBytes[i];
        for (int k = 0; k < 8; ++k) theCrc = (theCrc >> 1) ^ (0xEDB88320u & (0u - (theCrc & 1u)));
    }
    return ~theCrc;
}

inline void PutBig32(std::vector<uint8_t>& theBytes, uint32_t theValue)
{
    for (int i = 24; i >= 0; i -= 8) theBytes.push_back(static_cast<uint8_t>(theValue >> i));
}

inline void PutChunk(std::vector<uint8_t>& theFile, const char* theType, const std::vector<uint8_t>& theData)
{
    PutBig32(theFile, static_cast<uint32_t>(theData.size()));
    std::vector<uint8_t> theBody(theType, theType + 4);
    theBody.insert(theBody.end(), theData.begin(), theData.end());
    theFile.insert(theFile.end(), theBody.begin(), theBody.end());
    PutBig32(theFile, Crc32(theBody, 0));
}

// Writes RGB rows (3 bytes a pixel) as a PNG with stored deflate blocks.
inline bool WritePNG(const std::string& thePath, int theWidth, int theHeight, const std::vector<uint8_t>& theRGB)
{
    std::vector<uint8_t> theRaw;
    for (int theRow = 0; theRow < theHeight; ++theRow) {
        theRaw.push_back(0);
        theRaw.insert(theRaw.end(), theRGB.begin() + theRow * theWidth * 3, theRGB.begin() + (theRow + 1) * theWidth * 3);
    }
    std::vector<uint8_t> theZlib{0x78, 0x01};
    for (size_t theStart = 0; theStart < theRaw.size() || theStart == 0; theStart += 65535) {
        const size_t theCount = std::min<size_t>(65535, theRaw.size() - theStart);
        theZlib.push_back(theStart + theCount >= theRaw.size() ? 1 : 0);
        theZlib.push_back(static_cast<uint8_t>(theCount));
        theZlib.push_back(static_cast<uint8_t>(theCount >> 8));
        theZlib.push_back(static_cast<uint8_t>(~theCount));
        theZlib.push_back(static_cast<uint8_t>(~theCount >> 8));
        theZlib.insert(theZlib.end(), theRaw.begin() + theStart, theRaw.begin() + theStart + theCount);
        if (theStart + theCount >= theRaw.size()) break;
    }
    uint32_t theA = 1, theB = 0;
    for (uint8_t theByte : theRaw) {
        theA = (theA + theByte) % 65521;
        theB = (theB + theA) % 65521;
    }
    PutBig32(theZlib, (theB << 16) | theA);

    std::vector<uint8_t> theFile{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> theHeader;
    PutBig32(theHeader, static_cast<uint32_t>(theWidth));
    PutBig32(theHeader, static_cast<uint32_t>(theHeight));
    theHeader.insert(theHeader.end(), {8, 2, 0, 0, 0});
    PutChunk(theFile, "IHDR", theHeader);
    PutChunk(theFile, "IDAT", theZlib);
    PutChunk(theFile, "IEND", {});
    std::ofstream theOut(thePath, std::ios::binary);
    theOut.write(reinterpret_cast<const char*>(theFile.data()), static_cast<std::streamsize>(theFile.size()));
    return static_cast<bool>(theOut);
}

// The window's pixels as RGB rows; empty when the backend cannot write them.
struct WindowPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    uint32_t At(int theH, int theV) const
    {
        const size_t theAt = (static_cast<size_t>(theV) * width + theH) * 3;
        return (uint32_t(rgb[theAt]) << 16) | (uint32_t(rgb[theAt + 1]) << 8) | rgb[theAt + 2];
    }
};

inline WindowPicture ReadWindowPicture(WindowRef theWindow, const std::string& thePPMPath)
{
    WindowPicture thePicture;
    if (!HeadlessWriteWindowPicture(theWindow, thePPMPath.c_str())) return thePicture;
    std::ifstream theIn(thePPMPath, std::ios::binary);
    std::string theMagic;
    int theMax = 0;
    theIn >> theMagic >> thePicture.width >> thePicture.height >> theMax;
    theIn.get();
    thePicture.rgb.assign(std::istreambuf_iterator<char>(theIn), {});
    std::remove(thePPMPath.c_str());
    if (theMagic != "P6" || theMax != 255 ||
        thePicture.rgb.size() != static_cast<size_t>(thePicture.width) * thePicture.height * 3)
        return WindowPicture{};
    return thePicture;
}

} // namespace dialog_testing
