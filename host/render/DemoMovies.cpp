#include "DemoMovies.h"

#include "ContactSheet.h"
#include "SyntheticClip.h"

#include <algorithm>
#include <filesystem>

namespace {

constexpr SInt16 cCellWidth = 192, cCellHeight = 108;

} // namespace

std::vector<SInt32> SheetFrameIndices(SInt32 theCount)
{
    std::vector<SInt32> theIndices;
    for (SInt32 thePercent = 0; thePercent <= 100; thePercent += 25)
        theIndices.push_back((thePercent * (theCount - 1) + 50) / 100);
    return theIndices;
}

bool MakeDemoMovies(HYPluginMainProc theMain, const std::string& theFolder, const RenderObserver& theObserver,
                    DemoResult& outResult, std::string& outError)
{
    std::error_code theFailure;
    std::filesystem::create_directories(theFolder, theFailure);
    if (theFailure) {
        outError = theFolder + ": " + theFailure.message();
        return false;
    }
    const std::filesystem::path theRoot(theFolder);
    video::SyntheticClip theClipA, theClipB;
    theClipA.pattern = "testsrc2";
    theClipA.toneHertz = 440.0;
    theClipB.pattern = "smptehdbars";
    theClipB.toneHertz = 660.0;
    outResult = DemoResult{};
    for (const auto& [theName, theClip] : {std::pair{"clip-a.mp4", theClipA}, std::pair{"clip-b.mp4", theClipB}}) {
        outResult.clips.push_back((theRoot / theName).string());
        if (!video::MakeSyntheticClip(outResult.clips.back(), theClip, outError)) return false;
    }

    const char* const theNames[] = {"Out", "In", "Cross"};
    ContactSheet theSheet({theNames[0], theNames[1], theNames[2]}, {"0 %", "25 %", "50 %", "75 %", "100 %"},
                          cCellWidth, cCellHeight);
    for (SInt32 theWhich = 1; theWhich <= 3; ++theWhich) {
        RenderJob theJob;
        theJob.which = theWhich;
        theJob.replace = true; // the demo's folder is its own, made anew each time
        theJob.clips.assign(outResult.clips.begin(), outResult.clips.begin() + (theWhich == 3 ? 2 : 1));
        theJob.output = (theRoot / (std::string(theWhich == 1 ? "out" : theWhich == 2 ? "in" : "cross") + ".mp4")).string();
        RenderObserver theSheetObserver = theObserver;
        theSheetObserver.transitionFrame = [&](SInt32 theIndex, SInt32 theCount, GWorldPtr theFrame) {
            // Out's 100 % is its end state, the frame after its last (which it replaces).
            const SInt32 theShown = std::min(theIndex, theCount - 1);
            const std::vector<SInt32> theWanted = SheetFrameIndices(theCount);
            for (size_t theColumn = 0; theColumn < theWanted.size(); ++theColumn)
                if (theWanted[theColumn] == theShown) theSheet.PlaceFrame(size_t(theWhich - 1), theColumn, theFrame);
            if (theObserver.transitionFrame) theObserver.transitionFrame(theIndex, theCount, theFrame);
        };
        if (!RenderMovie(theMain, theJob, theSheetObserver, outError)) return false;
        outResult.movies.push_back(theJob.output);
    }
    outResult.contactSheet = (theRoot / "contact-sheet.png").string();
    return theSheet.Write(outResult.contactSheet, outError);
}
