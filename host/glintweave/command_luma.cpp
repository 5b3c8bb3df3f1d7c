#include "commands.h"

#include "LumaFile.h"
#include "WipeOptions.h"
#include "pendingfile.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace {

constexpr WipeWords cLumaWords{"map", "MAP.pgm", "the map; its name must end in .pgm", "replace MAP.pgm if it exists",
                               false};

bool CheckLumaOutput(const WipeValues& theValues, std::string& outError)
{
    const std::string& thePath = theValues.output;
    if (!video::CheckOutputIsNoFolderOrDevice(thePath, "map.pgm", outError)) return false;
    // MLT reads a map as a PGM only by this name.
    if (thePath.size() < 5 || thePath.compare(thePath.size() - 4, 4, ".pgm") != 0) {
        outError = "the map's name must end in .pgm, not '" + thePath + "'";
        return false;
    }
    // As render's output: a folder or a pipe under the name is refused whatever -y says.
    if (!video::CheckOutputFile(thePath, outError)) return false;
    struct stat theStatus;
    if (!theValues.replace && lstat(thePath.c_str(), &theStatus) == 0) {
        outError = "'" + thePath + "' exists; give -y to replace it";
        return false;
    }
    return true;
}

} // namespace

Command LumaCommand()
{
    const auto theValues = std::make_shared<WipeValues>();
    Command theCommand{"luma", "the transition as a greyscale map for Shotcut, Flowblade, melt and FFmpeg"};
    theCommand.description =
        "Writes the transition's random order as a 16-bit greyscale map for a luma wipe (MLT's luma\n"
        "transition in Shotcut, Kdenlive, Flowblade and melt; FFmpeg's threshold filter). With\n"
        "softness 0, over N frames at this size, the wipe shows on every frame exactly the pixels\n"
        "that 'glintweave render' of the same transition shows new; at another length the same\n"
        "order is spread evenly over it. The pattern and region are the saved settings'.";
    theCommand.options = WipeOptions(theValues, cLumaWords);
    theCommand.check = [theValues](const Arguments& theOperands, std::string& outError) {
        return CheckWipeCommandLine(theOperands, *theValues, cLumaWords, outError) &&
               CheckLumaOutput(*theValues, outError);
    };
    theCommand.run = [theValues](const Arguments&, std::string& outError) {
        ResolveWipeRegion(*theValues);
        if (!WriteLumaFile(theValues->request, theValues->output, outError)) return false;
        std::printf("%s\n", theValues->output.c_str());
        return true;
    };
    return theCommand;
}
