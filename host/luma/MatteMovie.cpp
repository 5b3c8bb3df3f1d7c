#include "MatteMovie.h"

#include "MovieWriter.h"
#include "avsupport.h"
#include "QuickDraw.h"

#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace {

// Memory order alpha, red, green, blue: opaque white and transparent black, so that ProRes
// carries the matte in alpha as in the picture.
constexpr UInt8 cWhite[4] = {0xFF, 0xFF, 0xFF, 0xFF};
constexpr UInt8 cBlack[4] = {0, 0, 0, 0};

struct GWorldDisposer {
    void operator()(GWorldPtr theWorld) const { DisposeGWorld(theWorld); }
};

} // namespace

bool CheckMatteSize(const MatteRequest& theRequest, const std::string& thePath, std::string& outError)
{
    const video::OutputFormat* theFormat = video::OutputFormatFor(thePath, outError, video::OutputKind::kMatte);
    if (!theFormat) return false;
    const SInt32 theWidth = theRequest.map.width, theHeight = theRequest.map.height;
    const std::string theSize = std::to_string(theWidth) + "x" + std::to_string(theHeight);
    video::QuietFFmpegLog();
    if (av_image_check_size2(unsigned(theWidth), unsigned(theHeight), INT64_MAX, AV_PIX_FMT_NONE, 0, nullptr) < 0) {
        outError = "FFmpeg cannot write a picture of " + theSize + ": it has too many pixels for its encoders";
        return false;
    }
    // A matte must be exactly the project's size, so an odd one is refused rather than padded.
    if (std::strcmp(theFormat->extension, ".mov") == 0 && (theWidth % 2 || theHeight % 2)) {
        outError = "a ProRes matte takes an even size, not " + theSize + "; use .mkv or .png for an odd one";
        return false;
    }
    return true;
}

bool WriteMatteMovie(const MatteRequest& theRequest, const std::string& thePath, std::string& outError)
{
    const LumaRequest& theMap = theRequest.map;
    const size_t theWidth = size_t(theMap.width), thePixels = theWidth * size_t(theMap.height);
    const std::string theNoMemory =
        "out of memory for a " + std::to_string(theMap.width) + "x" + std::to_string(theMap.height) + " matte";
    std::vector<UInt16> theLevels;
    theLevels.reserve(thePixels);
    if (!MakeLumaMap(theMap, [&](const UInt16* theRow) {
            theLevels.insert(theLevels.end(), theRow, theRow + theWidth);
            return true;
        })) {
        outError = theNoMemory;
        return false;
    }

    video::MovieSettings theSettings;
    theSettings.width = theMap.width;
    theSettings.height = theMap.height;
    theSettings.rate = theRequest.rate;
    theSettings.kind = video::OutputKind::kMatte;
    const std::unique_ptr<video::MovieWriter> theWriter = video::MovieWriter::Create(thePath, theSettings, outError);
    if (!theWriter) return false;

    std::vector<UInt8> thePicture(4 * thePixels);
    Rect theBounds;
    SetRect(&theBounds, 0, 0, SInt16(theMap.width), SInt16(theMap.height));
    GWorldPtr theWorld = nullptr;
    if (NewGWorldFromPtr(&theWorld, k32ARGBPixelFormat, &theBounds, nullptr, nullptr, 0,
                         reinterpret_cast<Ptr>(thePicture.data()), SInt32(4 * theWidth)) != noErr ||
        !theWorld) {
        outError = theNoMemory;
        return false;
    }
    const std::unique_ptr<std::remove_pointer_t<GWorldPtr>, GWorldDisposer> theOwner(theWorld);
    const UInt8* const theNew = theRequest.invert ? cBlack : cWhite;
    const UInt8* const theOld = theRequest.invert ? cWhite : cBlack;
    for (SInt32 theIndex = 0; theIndex < theMap.frames; ++theIndex) {
        const UInt16 theReached = WipeLevel(theIndex, theMap.frames);
        for (size_t i = 0; i < thePixels; ++i)
            std::memcpy(&thePicture[4 * i], theLevels[i] <= theReached ? theNew : theOld, 4);
        if (!theWriter->AddFrame(theWorld, nullptr, outError)) return false;
    }
    return theWriter->Finish(outError);
}
