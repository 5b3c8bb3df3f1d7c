// Temporary folders, GWorlds and clips for the video tests.
#pragma once

#include "FrameSource.h"
#include "QuickDraw.h"
#include "SyntheticClip.h"

#include <memory>
#include <string>
#include <vector>

namespace videotest {

// A fresh folder, removed with everything in it at the end of the test.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    std::string PathOf(const std::string& theName) const { return mPath + "/" + theName; }
    const std::string& Path() const { return mPath; }
    // Every entry, hidden ones too, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string mPath;
};

struct GWorldDeleter {
    void operator()(OpaqueGrafPort* theWorld) const { DisposeGWorld(theWorld); }
};
using WorldPtr = std::unique_ptr<OpaqueGrafPort, GWorldDeleter>;

WorldPtr NewWorld(int theWidth, int theHeight);

// The visible pixels, row after row, without the rows' padding.
std::vector<UInt8> PixelsOf(GWorldPtr theWorld);

// Fills the visible pixels with opaque noise from theSeed.
void FillWithNoise(GWorldPtr theWorld, unsigned theSeed);

// The small clip most tests use: 64x48, 10 fps, 20 frames, a 440 Hz tone.
video::SyntheticClip SmallClip();

// Makes a clip, failing the test on error.
std::string MakeClip(const TemporaryFolder& theFolder, const std::string& theName,
                     const video::SyntheticClip& theClip = SmallClip());

std::unique_ptr<video::FrameSource> OpenClip(const std::string& thePath);

// Frame theFrame of theSource at its own size.
std::vector<UInt8> FramePixels(video::FrameSource& theSource, SInt32 theFrame);

} // namespace videotest
