#include "commands.h"

#include "ConfigureMovie.h"
#include "Folders.h"
#include "PluginBundle.h"
#include "SettingsFolder.h"
#include "ToolboxDisplay.h"
#include "UnfinishedSettings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

bool Configure(const ConfigureJob& theJob, const std::string& theBundlePath, std::string& outError)
{
    if (!GlintUseDisplay()) {
        outError = std::string("cannot open the dialog: ") + GlintDisplayProblem();
        return false;
    }
    // After the display: Ctrl-C stays SDL's quit, which closes the dialog as Cancel does.
    RemoveUnfinishedSettingsOnSignals();
    PrepareSettingsFolder();
    std::unique_ptr<PluginBundle> theBundle = LoadBundle(theBundlePath, outError);
    if (!theBundle) return false;

    const std::string theFolder = GlintPreferencesPath();
    const std::string theFile = theFolder.empty() ? std::string() : theFolder + "/" + cSettingsFileName;
    FileVersion theBefore;
    if (!ConfigureTransition(theBundle->Main(), theJob, [&] { theBefore = VersionOf(theFile); }, outError))
        return false;
    if (GlintLastModalQuitCommand() != cOKCommand) {
        std::printf("cancelled: the settings are unchanged\n");
        return true;
    }
    const FileVersion theAfter = VersionOf(theFile);
    if (!theAfter.exists || theAfter == theBefore) {
        outError = "the settings were not saved: " + WhyNotSaved(theFolder, theFile);
        return false;
    }
    std::printf("saved to %s: 'glintweave render' uses the new settings\n", theFile.c_str());
    return true;
}

} // namespace

Command ConfigureCommand()
{
    struct Values {
        ConfigureJob job;
        std::string bundlePath;
    };
    const auto theValues = std::make_shared<Values>();
    theValues->job.which = 0;
    Command theCommand{"configure", "the transition's settings dialog on your clips", "CLIP [CLIP_B]"};
    theCommand.description =
        "Opens the transition's configuration dialog on your clips, as the editor's effect button\n"
        "does: scrub through the transition, drag and resize the region, pick the fill colour and\n"
        "the frame format. OK saves the settings, and the next 'glintweave render' uses them;\n"
        "Cancel leaves them as they were. When the dialog closes, says which happened (or why the\n"
        "settings could not be saved). Needs a display.";
    theCommand.options = {
        TransitionOption("which transition (cross takes two clips, out and in one)", theValues->job.which),
        SpeedOption("0 (short) to 1 (long), default 0.5: the length to preview", theValues->job.speed),
        BundleOption(theValues->bundlePath)};
    theCommand.check = [theValues](const Arguments& theClips, std::string& outError) {
        ConfigureJob& theJob = theValues->job;
        if (!CheckClipCount(theJob.which, theClips.size(), true, outError)) {
            outError = "the dialog shows one transition: " + outError;
            return false;
        }
        theJob.clipA = theClips[0];
        if (theClips.size() > 1) theJob.clipB = theClips[1];
        return true;
    };
    theCommand.run = [theValues](const Arguments&, std::string& outError) {
        return Configure(theValues->job, theValues->bundlePath, outError);
    };
    return theCommand;
}
