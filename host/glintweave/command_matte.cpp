#include "commands.h"

#include "MatteMovie.h"
#include "MovieWriter.h"
#include "WipeOptions.h"
#include "avsupport.h"

#include <cstdio>
#include <memory>

namespace {

constexpr WipeWords cMatteWords{"matte", "OUTPUT",
                                "the matte: .mkv (FFV1 grey), .png (a picture per frame, numbered as\n"
                                "render numbers them) or .mov (ProRes 4444, the matte in alpha too)",
                                "replace OUTPUT if it exists", true};

struct MatteValues : WipeValues {
    bool invert = false;
};

MatteRequest RequestOf(const MatteValues& theValues)
{
    MatteRequest theRequest{theValues.request, video::FrameRate{}, theValues.invert};
    if (theValues.rate.num > 0) theRequest.rate = theValues.rate;
    return theRequest;
}

} // namespace

Command MatteCommand()
{
    const auto theValues = std::make_shared<MatteValues>();
    Command theCommand{"matte", "the transition as a black-and-white matte movie for track mattes"};
    theCommand.description =
        "Writes the transition as a matte for an editor's track matte or mask: N frames, frame j\n"
        "white where 'glintweave render' of the same transition and length shows the new picture\n"
        "on frame j, black elsewhere (--invert swaps them). The kind comes from the extension.\n"
        "The pattern and region are the saved settings', as for 'glintweave luma'.";
    theCommand.options = WipeOptions(theValues, cMatteWords);
    theCommand.options.push_back(FlagOption("--invert", "black where the new picture shows, white elsewhere\n"
                                                        "(OpenShot's Mask hides the upper clip where white)",
                                            theValues->invert));
    theCommand.check = [theValues](const Arguments& theOperands, std::string& outError) {
        if (!CheckWipeCommandLine(theOperands, *theValues, cMatteWords, outError)) return false;
        const std::string& thePath = theValues->output;
        if (!video::CheckMovieOutput(thePath, outError, video::OutputKind::kMatte) ||
            !CheckMatteSize(RequestOf(*theValues), thePath, outError))
            return false;
        if (!theValues->replace && video::MovieOutputExists(thePath)) {
            outError = video::Quoted(video::FirstFileOf(thePath)) + " exists; give -y to replace it";
            return false;
        }
        return true;
    };
    theCommand.run = [theValues](const Arguments&, std::string& outError) {
        ResolveWipeRegion(*theValues);
        if (!WriteMatteMovie(RequestOf(*theValues), theValues->output, outError)) return false;
        std::printf("%s\n", video::FirstFileOf(theValues->output).c_str());
        return true;
    };
    return theCommand;
}
