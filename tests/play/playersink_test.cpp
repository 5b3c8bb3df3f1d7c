#include "PlayerSink.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

constexpr SInt32 cWidth = 3, cHeight = 2, cRowBytes = 16; // 4 bytes of padding a row

struct PaddedFrame {
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(cRowBytes * cHeight, 0xEE);
    GWorldPtr world = nullptr;

    PaddedFrame()
    {
        for (SInt32 y = 0; y < cHeight; ++y)
            for (SInt32 i = 0; i < cWidth * 4; ++i) buffer[y * cRowBytes + i] = std::uint8_t(16 * y + i);
        const Rect theBounds{0, 0, cHeight, cWidth};
        EXPECT_EQ(NewGWorldFromPtr(&world, k32ARGBPixelFormat, &theBounds, nullptr, nullptr, 0,
                                   reinterpret_cast<Ptr>(buffer.data()), cRowBytes),
                  noErr);
    }
    ~PaddedFrame() { DisposeGWorld(world); }
};

// The picture loses its row padding; each frame's sound is cut or stretched to the frame's own
// length at 30000/1001 (1601, 1602, 1601 samples), so that sound never drifts from picture.
TEST(PlayerSink, CopiesPicturesUnpaddedAndSoundAtEachFramesLength)
{
    PaddedFrame theFrame;
    play::PlayQueue theQueue(8);
    play::PlayerSink theSink(theQueue, video::FrameRate{30000, 1001}, true);
    video::AudioBlock theSound;
    theSound.samples.assign(2 * 10, 0.25f);
    std::string theError;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(theSink.AddFrame(theFrame.world, &theSound, theError)) << theError;
    EXPECT_EQ(theSink.FramesWritten(), 3);

    const size_t theLengths[] = {1601, 1602, 1601};
    for (SInt64 i = 0; i < 3; ++i) {
        std::unique_ptr<play::PlayFrame> theCopy = theQueue.TryPop();
        ASSERT_TRUE(theCopy);
        EXPECT_EQ(theCopy->index, i);
        EXPECT_EQ(theCopy->width, 3);
        EXPECT_EQ(theCopy->height, 2);
        const std::vector<std::uint8_t> theExpected{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                                    16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27};
        EXPECT_EQ(theCopy->pixels, theExpected);
        EXPECT_EQ(theCopy->sound.size(), 2 * theLengths[i]);
        EXPECT_EQ(theCopy->sound.back(), 0.25f);
    }
}

// A render waiting for room in a full queue is released when the player quits: its frame is
// refused without an error line, which would otherwise be reported as a failed render.
TEST(PlayerSink, QuittingReleasesAWaitingRenderWithoutAnError)
{
    PaddedFrame theFrame;
    play::PlayQueue theQueue(1);
    play::PlayerSink theSink(theQueue, video::FrameRate{25, 1}, false);
    std::string theError;
    ASSERT_TRUE(theSink.AddFrame(theFrame.world, nullptr, theError));
    bool theTaken = true;
    std::thread theRender([&] { theTaken = theSink.AddFrame(theFrame.world, nullptr, theError); });
    theQueue.Quit();
    theRender.join();
    EXPECT_FALSE(theTaken);
    EXPECT_EQ(theError, "");
    EXPECT_EQ(theSink.FramesWritten(), 1);
    EXPECT_TRUE(theQueue.TryPop()->sound.empty());
}

} // namespace
