#include "avsupport.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace video {

std::string ErrorText(int theCode)
{
    char theText[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(theCode, theText, sizeof theText);
    return theText;
}

std::string Quoted(const std::string& thePath)
{
    return "'" + thePath + "'";
}

std::string FileNameOf(const std::string& thePath)
{
    size_t theSlash = thePath.find_last_of('/');
    return theSlash == std::string::npos ? thePath : thePath.substr(theSlash + 1);
}

const char* KindOfFile(unsigned theMode)
{
    if (S_ISDIR(theMode)) return "a folder";
    if (S_ISCHR(theMode) || S_ISBLK(theMode)) return "a device";
    if (S_ISFIFO(theMode)) return "a pipe";
    if (S_ISSOCK(theMode)) return "a socket";
    return "not a regular file";
}

void QuietFFmpegLog()
{
    static std::once_flag lgOnce;
    std::call_once(lgOnce, [] { av_log_set_level(std::getenv("GLINT_FFMPEG_LOG") ? AV_LOG_WARNING : AV_LOG_QUIET); });
}

int CodecThreadCount()
{
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

int DecoderThreadCount(int theWidth, int theHeight)
{
    constexpr int64_t cPixelsForAllThreads = 4 * 1920 * 1088;
    const int64_t thePixels = std::max<int64_t>(int64_t(theWidth) * theHeight, 1);
    return static_cast<int>(std::clamp<int64_t>(cPixelsForAllThreads / thePixels, 1, CodecThreadCount()));
}

} // namespace video
