// PlayMovie's two threads: a failure on the render's thread ends play with the reason, never
// the program.
#include "PlayMovie.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

SInt32 ThrowingMain(SInt32, HYPluginParams*)
{
    throw std::runtime_error("a plug-in fault");
}

SInt32 BadAllocMain(SInt32, HYPluginParams*)
{
    throw std::bad_alloc();
}

} // namespace

TEST(PlayMovie, AnExceptionOnTheRendersThreadEndsPlayWithItsReason)
{
    const std::filesystem::path theFolder = std::filesystem::temp_directory_path() / ("glintplay-" + std::to_string(getpid()));
    std::filesystem::create_directory(theFolder);
    const std::string theClip = (theFolder / "a.mkv").string();
    ASSERT_EQ(std::system(("ffmpeg -v error -f lavfi -i testsrc=s=64x48:rate=10 -frames:v 20 -c:v ffv1 '" + theClip + "'")
                              .c_str()),
              0);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const struct {
        HYPluginMainProc main;
        const char* error;
    } cCases[] = {{ThrowingMain, "the render failed: a plug-in fault"}, {BadAllocMain, "out of memory"}};
    for (const auto& theCase : cCases) {
        SCOPED_TRACE(theCase.error);
        RenderJob theJob;
        theJob.which = 1;
        theJob.clips = {theClip};
        std::string theError;
        EXPECT_FALSE(play::PlayMovie(theCase.main, theJob, theError));
        EXPECT_EQ(theError, theCase.error);
    }
    std::filesystem::remove_all(theFolder);
}
