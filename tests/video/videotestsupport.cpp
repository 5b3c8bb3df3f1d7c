#include "videotestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace videotest {

TemporaryFolder::TemporaryFolder()
{
    const char* theBase = std::getenv("TMPDIR");
    std::string theTemplate = std::string(theBase && *theBase ? theBase : "/tmp") + "/glintvideo.XXXXXX";
    std::vector<char> theName(theTemplate.begin(), theTemplate.end());
    theName.push_back('\0');
    if (mkdtemp(theName.data())) mPath = theName.data();
    EXPECT_FALSE(mPath.empty()) << "cannot make a temporary folder";
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code theError;
    if (!mPath.empty()) std::filesystem::remove_all(mPath, theError);
}

std::vector<std::string> TemporaryFolder::Entries() const
{
    std::vector<std::string> theNames;
    for (const auto& theEntry : std::filesystem::directory_iterator(mPath)) theNames.push_back(theEntry.path().filename());
    std::sort(theNames.begin(), theNames.end());
    return theNames;
}

WorldPtr NewWorld(int theWidth, int theHeight)
{
    GWorldPtr theWorld = nullptr;
    Rect theBounds{0, 0, SInt16(theHeight), SInt16(theWidth)};
    EXPECT_EQ(NewGWorld(&theWorld, 32, &theBounds, nullptr, nullptr, 0), noErr);
    return WorldPtr(theWorld);
}

std::vector<UInt8> PixelsOf(GWorldPtr theWorld)
{
    PixMapHandle thePixMap = GetGWorldPixMap(theWorld);
    Rect theBounds;
    GetPixBounds(thePixMap, &theBounds);
    int theWidth = theBounds.right - theBounds.left;
    int theHeight = theBounds.bottom - theBounds.top;
    std::vector<UInt8> thePixels(size_t(theWidth) * theHeight * 4);
    for (int theRow = 0; theRow < theHeight; ++theRow) {
        std::memcpy(&thePixels[size_t(theRow) * theWidth * 4], GetPixBaseAddr(thePixMap) + theRow * GetPixRowBytes(thePixMap),
                    size_t(theWidth) * 4);
    }
    return thePixels;
}

void FillWithNoise(GWorldPtr theWorld, unsigned theSeed)
{
    PixMapHandle thePixMap = GetGWorldPixMap(theWorld);
    Rect theBounds;
    GetPixBounds(thePixMap, &theBounds);
    std::minstd_rand theRandom(theSeed);
    for (int theRow = 0; theRow < theBounds.bottom; ++theRow) {
        UInt8* thePixel = reinterpret_cast<UInt8*>(GetPixBaseAddr(thePixMap) + theRow * GetPixRowBytes(thePixMap));
        for (int theColumn = 0; theColumn < theBounds.right; ++theColumn, thePixel += 4) {
            thePixel[0] = 255;
            for (int c = 1; c < 4; ++c) thePixel[c] = UInt8(theRandom() >> 7);
        }
    }
}

video::SyntheticClip SmallClip()
{
    video::SyntheticClip theClip;
    theClip.width = 64;
    theClip.height = 48;
    theClip.rate = {10, 1};
    theClip.frameCount = 20;
    theClip.toneHertz = 440;
    return theClip;
}

std::string MakeClip(const TemporaryFolder& theFolder, const std::string& theName, const video::SyntheticClip& theClip)
{
    std::string thePath = theFolder.PathOf(theName);
    std::string theError;
    EXPECT_TRUE(video::MakeSyntheticClip(thePath, theClip, theError)) << theError;
    return thePath;
}

std::unique_ptr<video::FrameSource> OpenClip(const std::string& thePath)
{
    std::string theError;
    std::unique_ptr<video::FrameSource> theSource = video::FrameSource::Open(thePath, theError);
    EXPECT_TRUE(theSource) << theError;
    return theSource;
}

std::vector<UInt8> FramePixels(video::FrameSource& theSource, SInt32 theFrame)
{
    WorldPtr theWorld = NewWorld(theSource.Info().width, theSource.Info().height);
    std::string theError;
    EXPECT_TRUE(theSource.DrawFrame(theFrame, theWorld.get(), theError)) << "frame " << theFrame << ": " << theError;
    return PixelsOf(theWorld.get());
}

} // namespace videotest
