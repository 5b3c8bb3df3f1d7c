#include "commands.h"

#include "ConfigureMovie.h"
#include "Folders.h"
#include "PluginBundle.h"
#include "SettingsFolder.h"
#include "ToolboxDisplay.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* cUsage =
    "usage: glintweave configure --transition out|in|cross [options] CLIP [CLIP_B]\n"
    "\n"
    "Opens the transition's configuration dialog on your clips, as the editor's effect button\n"
    "does: scrub through the transition, drag and resize the region, pick the fill colour and\n"
    "the frame format. OK saves the settings, and the next 'glintweave render' uses them;\n"
    "Cancel leaves them as they were. When the dialog closes, says which happened (or why the\n"
    "settings could not be saved). Needs a display.\n"
    "\n"
    "options:\n"
    "  --transition out|in|cross  which transition (cross takes two clips, out and in one)\n"
    "  --speed S                  0 (short) to 1 (long), default 0.5: the length to preview\n"
    "  --bundle PATH              the plug-in bundle to load\n";

constexpr const char* cSettingsFileName = "Tamsel-Prefs";
constexpr UInt32 cOKCommand = 0x6F6B2020; // 'ok  '

// What identifies one version of the settings file: a save replaces the file or rewrites it.
struct FileVersion {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    bool operator==(const FileVersion& theOther) const
    {
        return exists == theOther.exists && device == theOther.device && inode == theOther.inode &&
               size == theOther.size && modified.tv_sec == theOther.modified.tv_sec &&
               modified.tv_nsec == theOther.modified.tv_nsec;
    }
};

FileVersion VersionOf(const std::string& thePath)
{
    FileVersion theVersion;
    struct stat theStat;
    if (stat(thePath.c_str(), &theStat) != 0) return theVersion;
    theVersion.exists = true;
    theVersion.device = theStat.st_dev;
    theVersion.inode = theStat.st_ino;
    theVersion.size = theStat.st_size;
    theVersion.modified = theStat.st_mtim;
    return theVersion;
}

// Why a save after OK left the settings file as it was.
std::string WhyNotSaved(const std::string& theFolder, const std::string& theFile)
{
    if (!SettingsFolderProblem().empty()) return SettingsFolderProblem();
    struct stat theStat;
    if (stat(theFolder.c_str(), &theStat) != 0 || !S_ISDIR(theStat.st_mode))
        return "the settings folder " + theFolder + " is missing";
    if (access(theFolder.c_str(), W_OK | X_OK) != 0)
        return "the settings folder " + theFolder + " cannot be written (" + std::strerror(errno) + ")";
    if (stat(theFile.c_str(), &theStat) == 0 && !S_ISREG(theStat.st_mode)) return theFile + " is not a regular file";
    if (access(theFile.c_str(), F_OK) == 0 && access(theFile.c_str(), W_OK) != 0)
        return theFile + " cannot be written (" + std::strerror(errno) + ")";
    return theFile + " could not be written";
}

} // namespace

int ConfigureCommand(const Arguments& theArguments)
{
    ConfigureJob theJob;
    theJob.which = 0;
    std::string theBundlePath = DefaultBundlePath();
    std::vector<std::string> theClips;
    for (size_t i = 0; i < theArguments.size(); ++i) {
        const std::string& theArgument = theArguments[i];
        if (theArgument == "--help" || theArgument == "-h") {
            std::fputs(cUsage, stdout);
            return 0;
        }
        if (IsSharedOption(theArgument)) {
            if (i + 1 >= theArguments.size()) return Fail("configure: " + theArgument + " needs a value");
            std::string theError;
            if (!TakeSharedOption(theArgument, theArguments[++i], theJob.which, theJob.speed, theBundlePath, theError))
                return Fail(theError);
            continue;
        }
        if (!theArgument.empty() && theArgument[0] == '-')
            return Fail("configure: unknown option '" + theArgument + "'");
        theClips.push_back(theArgument);
    }
    std::string theError;
    if (!TakeTransitionClips("configure", theJob.which, theClips, theJob.clipA, theJob.clipB, theError))
        return Fail(theError);

    if (!GlintUseDisplay())
        return Fail(std::string("configure: cannot open the dialog: ") + GlintDisplayProblem());
    std::unique_ptr<PluginBundle> theBundle = PluginBundle::Load(theBundlePath, theError);
    if (!theBundle) return Fail(theError);

    const std::string theFolder = GlintPreferencesPath();
    const std::string theFile = theFolder.empty() ? std::string() : theFolder + "/" + cSettingsFileName;
    FileVersion theBefore;
    if (!ConfigureTransition(theBundle->Main(), theJob, [&] { theBefore = VersionOf(theFile); }, theError))
        return Fail(theError);
    if (GlintLastModalQuitCommand() != cOKCommand) {
        std::printf("cancelled: the settings are unchanged\n");
        return 0;
    }
    const FileVersion theAfter = VersionOf(theFile);
    if (!theAfter.exists || theAfter == theBefore)
        return Fail("configure: the settings were not saved: " + WhyNotSaved(theFolder, theFile));
    std::printf("saved to %s: 'glintweave render' uses the new settings\n", theFile.c_str());
    return 0;
}
