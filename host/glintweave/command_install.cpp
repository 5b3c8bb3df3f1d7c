// install and uninstall: the frei0r mixer and its Kdenlive description files, put where MLT and
// Kdenlive look for them, for one user or for everyone.
#include "commands.h"

#include "LumaFile.h"
#include "pendingfile.h"
#include "signalcleanup.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* cMixerName = "glintweave.so";
constexpr const char* cDescriptionNames[] = {"glintweave.xml", "glintweave_automatic.xml"};

struct InstalledFile {
    fs::path source;
    fs::path destination;
    // Text that every version of the file holds, and no file of anyone else's is likely to.
    const char* marker;
    std::optional<LumaRequest> map = {}; // made here instead of copied from source
};

// The maps' sizes, and the Kdenlive folder that lists each (by the project's frame size).
struct MapSize {
    SInt32 width, height;
    const char* kdenliveFolder;
};
constexpr MapSize cMapSizes[] = {{1920, 1080, "HD"}, {3840, 2160, "HD"}, {1280, 720, "HD"}, {1080, 1920, "HD"},
                                 {1080, 1080, "HD"}, {720, 576, "PAL"},  {720, 480, "NTSC"}};
// The engine gives a pixel one of at most 32000 moments: at this length every pixel has its own
// in the finest order there is, which a luma wipe of any length spreads evenly over itself.
constexpr SInt32 cMapFrames = 32000;

// The build puts the mixer and the description files beside this program.
fs::path ProgramFolder()
{
    std::error_code theError;
    const fs::path theExecutable = fs::read_symlink("/proc/self/exe", theError);
    return theError ? fs::current_path(theError) : theExecutable.parent_path();
}

bool ListFiles(bool theSystem, std::vector<InstalledFile>& outFiles, std::string& outError)
{
    fs::path theMixerFolder, theDescriptionFolder, theDataFolder;
    if (theSystem) {
        const char* theStage = std::getenv("DESTDIR");
        const fs::path theRoot = theStage && *theStage ? fs::path(theStage) : fs::path("/");
        theMixerFolder = theRoot / "usr/local/lib/frei0r-1";
        theDescriptionFolder = theRoot / "usr/local/share/kdenlive/transitions";
        theDataFolder = theRoot / "usr/local/share";
    } else {
        const char* theHome = std::getenv("HOME");
        if (!theHome || *theHome != '/') {
            outError = "HOME is not set to a folder, so there is no user folder to use (try --system)";
            return false;
        }
        theMixerFolder = fs::path(theHome) / ".frei0r-1/lib";
        // Kdenlive finds its data through XDG_DATA_HOME, as every KDE program does.
        const char* theData = std::getenv("XDG_DATA_HOME");
        const fs::path theDataHome = theData && *theData == '/' ? fs::path(theData) : fs::path(theHome) / ".local/share";
        theDescriptionFolder = theDataHome / "kdenlive/transitions";
        theDataFolder = theDataHome;
    }
    const fs::path theBuild = ProgramFolder();
    outFiles.push_back({theBuild / "frei0r-1" / cMixerName, theMixerFolder / cMixerName, "Glintweave Developers"});
    for (const char* theName : cDescriptionNames)
        outFiles.push_back(
            {theBuild / "kdenlive/transitions" / theName, theDescriptionFolder / theName, "tag=\"frei0r.glintweave\""});
    for (const MapSize& theSize : cMapSizes) {
        const std::string theName =
            "Glintweave " + std::to_string(theSize.width) + "x" + std::to_string(theSize.height) + ".pgm";
        const LumaRequest theMap{theSize.width, theSize.height, cMapFrames, 3, {0.0, 1.0, 0.0, 1.0}};
        for (const fs::path& theFolder : {theDataFolder / "Meltytech/Shotcut/transitions",
                                          theDataFolder / "kdenlive/lumas" / theSize.kdenliveFolder})
            outFiles.push_back({{}, theFolder / theName, cLumaFileMark, theMap});
    }
    return true;
}

std::string DeniedMessage(const std::string& theCommand, const fs::path& thePath, bool theSystem)
{
    return "no permission to write in " + thePath.string() +
           (theSystem ? ": run 'sudo glintweave " + theCommand + " --system', or use --user"
                      : ": check that folder's owner and permissions");
}

// The deepest folder of thePath that exists, which is where the first write happens.
fs::path ExistingAncestor(fs::path thePath)
{
    std::error_code theError;
    while (!fs::exists(thePath, theError) && thePath.has_relative_path()) thePath = thePath.parent_path();
    return thePath;
}

// Checked before anything is touched, so that a refusal leaves nothing half done. Removing needs
// rights only where there is something to remove.
bool CheckRights(const std::vector<InstalledFile>& theFiles, bool theSystem, bool theRemoving,
                 std::string& outError)
{
    for (const InstalledFile& theFile : theFiles) {
        std::error_code theUnreachable;
        if (theRemoving && !fs::exists(theFile.destination, theUnreachable) && !theUnreachable) continue;
        const fs::path theFolder = ExistingAncestor(theFile.destination.parent_path());
        if (access(theFolder.c_str(), W_OK | X_OK) != 0) {
            outError = errno == EROFS ? theFolder.string() + " is on a read-only file system"
                                      : DeniedMessage(theRemoving ? "uninstall" : "install", theFolder, theSystem);
            return false;
        }
    }
    return true;
}

bool ReadFile(const fs::path& thePath, std::string& outBytes)
{
    std::ifstream theStream(thePath, std::ios::binary);
    if (!theStream) return false;
    outBytes.assign(std::istreambuf_iterator<char>(theStream), {});
    return !theStream.bad();
}

std::string SystemMessage(const fs::path& thePath, const std::error_code& theError)
{
    return thePath.string() + ": " + theError.message();
}

// Written beside the destination and renamed over it: an editor that has the old mixer loaded
// keeps its copy, and a full disk never leaves half a file where MLT looks.
bool CopyInPlace(const std::string& theBytes, const fs::path& theDestination, std::string& outError)
{
    std::error_code theError;
    fs::create_directories(theDestination.parent_path(), theError);
    if (theError) {
        outError = SystemMessage(theDestination.parent_path(), theError);
        return false;
    }
    return video::InstallFile(theDestination.string(), theBytes, 0644, outError);
}

// Only a regular file is read at a destination: a FIFO would never answer, and a link's target is
// not ours.
bool ReadRegularFile(const fs::path& thePath, std::string& outBytes)
{
    struct stat theStatus;
    return lstat(thePath.c_str(), &theStatus) == 0 && S_ISREG(theStatus.st_mode) && ReadFile(thePath, outBytes);
}

// A regular file that is what we install, or an earlier version of it.
bool IsOurs(const InstalledFile& theFile, const std::string& theInstalled)
{
    std::string theBytes;
    if (!ReadRegularFile(theFile.destination, theBytes)) return false;
    return theBytes == theInstalled || theBytes.find(theFile.marker) != std::string::npos;
}

// True when HOME is unset or belongs to root (the owner of its deepest existing folder).
bool HomeIsRoots()
{
    const char* theHome = std::getenv("HOME");
    if (!theHome || *theHome != '/') return true;
    struct stat theStatus;
    return stat(ExistingAncestor(theHome).c_str(), &theStatus) != 0 || theStatus.st_uid == 0;
}

void Report(const char* theAction, const fs::path& thePath)
{
    std::printf("%-10s  %s\n", theAction, thePath.c_str());
}

bool Install(const std::vector<InstalledFile>& theFiles, std::string& outError)
{
    std::vector<std::string> theContents;
    for (const InstalledFile& theFile : theFiles) {
        theContents.emplace_back();
        if (!theFile.map && !ReadFile(theFile.source, theContents.back())) {
            outError = theFile.source.string() + " is missing: build it first (scripts/build-target.sh native)";
            return false;
        }
    }
    for (size_t i = 0; i < theFiles.size(); ++i) {
        const fs::path& theDestination = theFiles[i].destination;
        if (theFiles[i].map) {
            // A map under our name that we did not write is the user's own.
            std::error_code theMissing;
            if (fs::symlink_status(theDestination, theMissing).type() != fs::file_type::not_found &&
                !IsOurs(theFiles[i], "")) {
                std::printf("%-10s  %s: not Glintweave's\n", "left alone", theDestination.c_str());
                continue;
            }
            if (!MakeLumaFile(*theFiles[i].map, [&](const char* theBytes, size_t theSize) {
                    theContents[i].append(theBytes, theSize);
                    return true;
                })) {
                outError = "out of memory for " + theDestination.string();
                return false;
            }
        }
        std::string theInstalled;
        if (ReadRegularFile(theDestination, theInstalled) && theInstalled == theContents[i]) {
            Report("up to date", theDestination);
            continue;
        }
        std::error_code theMissing;
        const bool theReplacing = fs::symlink_status(theDestination, theMissing).type() != fs::file_type::not_found;
        if (!CopyInPlace(theContents[i], theDestination, outError)) return false;
        Report(theReplacing ? "replaced" : "installed", theDestination);
        theContents[i] = {};
    }
    return true;
}

bool Uninstall(const std::vector<InstalledFile>& theFiles, std::string& outError)
{
    for (const InstalledFile& theFile : theFiles) {
        std::error_code theError;
        if (fs::symlink_status(theFile.destination, theError).type() == fs::file_type::not_found) {
            Report("not there", theFile.destination);
            continue;
        }
        std::string theInstalled;
        if (!theFile.map) ReadFile(theFile.source, theInstalled);
        if (!IsOurs(theFile, theInstalled)) {
            std::printf("%-10s  %s: not Glintweave's\n", "left alone", theFile.destination.c_str());
            continue;
        }
        const bool theRemoved = fs::remove(theFile.destination, theError);
        if (theError) {
            outError = SystemMessage(theFile.destination, theError);
            return false;
        }
        Report(theRemoved ? "removed" : "not there", theFile.destination);
    }
    return true;
}

} // namespace

Command InstallCommand(bool theRemoving)
{
    struct Values {
        bool system = false, user = false;
    };
    const auto theValues = std::make_shared<Values>();
    Command theCommand{theRemoving ? "uninstall" : "install",
                       theRemoving ? "takes them away again"
                                   : "the frei0r mixer and its Kdenlive compositions, for MLT editors"};
    theCommand.description =
        "Puts Glintweave's frei0r mixer (glintweave.so) and its two Kdenlive compositions,\n"
        "\"Glintweave\" and \"Glintweave (automatic)\", where MLT, melt and Kdenlive find them without\n"
        "FREI0R_PATH, and Glintweave's Cross as luma maps (\"Glintweave 1920x1080.pgm\", ...) where\n"
        "Shotcut's Transition panel and Kdenlive's Luma composition list them; uninstall takes them\n"
        "away. A file of another's under their names stays, installing or not. Restart Kdenlive and\n"
        "Shotcut afterwards.";
    theCommand.options = {
        FlagOption("--user",
                   "for you alone (the default): ~/.frei0r-1/lib/,\n"
                   "~/.local/share/kdenlive/transitions/ and lumas/, and\n"
                   "~/.local/share/Meltytech/Shotcut/transitions/ ($XDG_DATA_HOME\n"
                   "instead of ~/.local/share when XDG_DATA_HOME is set)",
                   theValues->user),
        FlagOption("--system",
                   "for every user, as root: /usr/local/lib/frei0r-1/ and the\n"
                   "same folders below /usr/local/share/ (below $DESTDIR when\n"
                   "it is set, for packaging)",
                   theValues->system)};
    theCommand.check = [theValues](const Arguments&, std::string& outError) {
        if (!theValues->system || !theValues->user) return true;
        outError = "--user and --system exclude each other";
        return false;
    };
    theCommand.run = [theValues, theRemoving](const Arguments&, std::string& outError) {
        // Root writing a user's folders would leave them root's, and the user unable to change them.
        if (!theRemoving && !theValues->system && geteuid() == 0 && !HomeIsRoots()) {
            outError = "HOME is another user's folder, and folders made there as root would be root's: "
                       "run it without sudo, or use --system";
            return false;
        }
        video::RemovePendingOutputsOnSignals();
        std::vector<InstalledFile> theFiles;
        if (!ListFiles(theValues->system, theFiles, outError) ||
            !CheckRights(theFiles, theValues->system, theRemoving, outError))
            return false;
        return theRemoving ? Uninstall(theFiles, outError) : Install(theFiles, outError);
    };
    return theCommand;
}
