// install and uninstall: the frei0r mixer and its Kdenlive description files, the luma maps and
// the OBS Studio module, put where MLT, Kdenlive, Shotcut and OBS look for them, for one user or
// for everyone.
#include "commands.h"

#include "InstallRecord.h"
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

// The folders install writes in, each for one user or for everyone.
enum class Place { kFrei0r, kData, kObsModule, kObsData };

// Everything install writes, a row a file: where it goes, where its bytes come from (a file the
// build made, beside this program, or else the luma map of the size given), and text that every
// version of it holds, by which a file that an install without a record wrote is known.
struct TableRow {
    Place place;
    const char* path;
    const char* built;
    const char* marker;
    SInt32 mapWidth = 0, mapHeight = 0;
};

constexpr const char* cMixerMarker = "Glintweave Developers";
constexpr const char* cDescriptionMarker = "tag=\"frei0r.glintweave\"";
constexpr const char* cObsModuleMarker = "Glintweave: a random-pixel dissolve between scenes";
// Shotcut lists maps by name; Kdenlive by the project's frame size, in HD, PAL and NTSC.
constexpr TableRow cInstalledFiles[] = {
    {Place::kFrei0r, "glintweave.so", "frei0r-1/glintweave.so", cMixerMarker},
    {Place::kData, "kdenlive/transitions/glintweave.xml", "kdenlive/transitions/glintweave.xml", cDescriptionMarker},
    {Place::kData, "kdenlive/transitions/glintweave_automatic.xml", "kdenlive/transitions/glintweave_automatic.xml",
     cDescriptionMarker},
    {Place::kData, "Meltytech/Shotcut/transitions/Glintweave 1920x1080.pgm", nullptr, cLumaFileMark, 1920, 1080},
    {Place::kData, "kdenlive/lumas/HD/Glintweave 1920x1080.pgm", nullptr, cLumaFileMark, 1920, 1080},
    {Place::kData, "Meltytech/Shotcut/transitions/Glintweave 3840x2160.pgm", nullptr, cLumaFileMark, 3840, 2160},
    {Place::kData, "kdenlive/lumas/HD/Glintweave 3840x2160.pgm", nullptr, cLumaFileMark, 3840, 2160},
    {Place::kData, "Meltytech/Shotcut/transitions/Glintweave 1280x720.pgm", nullptr, cLumaFileMark, 1280, 720},
    {Place::kData, "kdenlive/lumas/HD/Glintweave 1280x720.pgm", nullptr, cLumaFileMark, 1280, 720},
    {Place::kData, "Meltytech/Shotcut/transitions/Glintweave 1080x1920.pgm", nullptr, cLumaFileMark, 1080, 1920},
    {Place::kData, "kdenlive/lumas/HD/Glintweave 1080x1920.pgm", nullptr, cLumaFileMark, 1080, 1920},
    {Place::kData, "Meltytech/Shotcut/transitions/Glintweave 1080x1080.pgm", nullptr, cLumaFileMark, 1080, 1080},
    {Place::kData, "kdenlive/lumas/HD/Glintweave 1080x1080.pgm", nullptr, cLumaFileMark, 1080, 1080},
    {Place::kData, "Meltytech/Shotcut/transitions/Glintweave 720x576.pgm", nullptr, cLumaFileMark, 720, 576},
    {Place::kData, "kdenlive/lumas/PAL/Glintweave 720x576.pgm", nullptr, cLumaFileMark, 720, 576},
    {Place::kData, "Meltytech/Shotcut/transitions/Glintweave 720x480.pgm", nullptr, cLumaFileMark, 720, 480},
    {Place::kData, "kdenlive/lumas/NTSC/Glintweave 720x480.pgm", nullptr, cLumaFileMark, 720, 480},
    {Place::kObsModule, "glintweave.so", "obs-plugins/glintweave/bin/64bit/glintweave.so", cObsModuleMarker},
    {Place::kObsData, "glintweave.effect", "obs-plugins/glintweave/data/glintweave.effect", "Glintweave's dissolve"},
    {Place::kObsData, "locale/en-US.ini", "obs-plugins/glintweave/data/locale/en-US.ini", "GlintweaveDissolve="},
};
// Where the record of what install wrote goes, in the data folder.
constexpr const char* cRecordPath = "glintweave/installed.txt";
// The engine gives a pixel one of at most 32000 moments: at this length every pixel has its own
// in the finest order there is, which a luma wipe of any length spreads evenly over itself.
constexpr SInt32 cMapFrames = 32000;

struct InstalledFile {
    fs::path source;
    fs::path destination;
    const char* marker;
    std::optional<LumaRequest> map = {}; // made here instead of copied from source
};

// The build puts the mixer and the description files beside this program.
fs::path ProgramFolder()
{
    std::error_code theError;
    const fs::path theExecutable = fs::read_symlink("/proc/self/exe", theError);
    return theError ? fs::current_path(theError) : theExecutable.parent_path();
}

// The table's files at their places, where the record of them goes, and the staging root.
bool ListFiles(bool theSystem, std::vector<InstalledFile>& outFiles, fs::path& outRecord, std::string& outRoot,
               std::string& outError)
{
    fs::path theFrei0rFolder, theDataFolder, theObsModuleFolder, theObsDataFolder;
    if (theSystem) {
        const char* theStage = std::getenv("DESTDIR");
        const fs::path theRoot = theStage && *theStage ? fs::path(theStage) : fs::path("/");
        if (theStage && *theStage) outRoot = theStage;
        theFrei0rFolder = theRoot / "usr/local/lib/frei0r-1";
        theDataFolder = theRoot / "usr/local/share";
        // Debian's OBS Studio reads its own modules' folders only.
        theObsModuleFolder = theRoot / "usr/lib/x86_64-linux-gnu/obs-plugins";
        theObsDataFolder = theRoot / "usr/share/obs/obs-plugins/glintweave";
    } else {
        const char* theHome = std::getenv("HOME");
        if (!theHome || *theHome != '/') {
            outError = "HOME is not set to a folder, so there is no user folder to use (try --system)";
            return false;
        }
        theFrei0rFolder = fs::path(theHome) / ".frei0r-1/lib";
        // Kdenlive finds its data through XDG_DATA_HOME, as every KDE program does.
        const char* theData = std::getenv("XDG_DATA_HOME");
        theDataFolder = theData && *theData == '/' ? fs::path(theData) : fs::path(theHome) / ".local/share";
        // OBS Studio's user plug-in folder: a folder a module, its library in bin/64bit.
        const char* theConfig = std::getenv("XDG_CONFIG_HOME");
        const fs::path theConfigHome = theConfig && *theConfig == '/' ? fs::path(theConfig) : fs::path(theHome) / ".config";
        const fs::path theModule = theConfigHome / "obs-studio/plugins/glintweave";
        theObsModuleFolder = theModule / "bin/64bit";
        theObsDataFolder = theModule / "data";
    }
    const fs::path theBuild = ProgramFolder();
    for (const TableRow& theRow : cInstalledFiles) {
        const fs::path theFolders[] = {theFrei0rFolder, theDataFolder, theObsModuleFolder, theObsDataFolder};
        InstalledFile theFile{theRow.built ? theBuild / theRow.built : fs::path(),
                              theFolders[static_cast<int>(theRow.place)] / theRow.path, theRow.marker};
        if (!theRow.built)
            theFile.map = LumaRequest{theRow.mapWidth, theRow.mapHeight, cMapFrames, 3, {0.0, 1.0, 0.0, 1.0}};
        outFiles.push_back(theFile);
    }
    outRecord = theDataFolder / cRecordPath;
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
bool CheckRights(const std::vector<fs::path>& thePaths, bool theSystem, bool theRemoving, std::string& outError)
{
    for (const fs::path& thePath : thePaths) {
        std::error_code theUnreachable;
        if (theRemoving && !fs::exists(thePath, theUnreachable) && !theUnreachable) continue;
        const fs::path theFolder = ExistingAncestor(thePath.parent_path());
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

// Only a regular file is read at a destination: a FIFO would never answer, and a link's target is
// not ours.
bool ReadRegularFile(const fs::path& thePath, std::string& outBytes)
{
    struct stat theStatus;
    return lstat(thePath.c_str(), &theStatus) == 0 && S_ISREG(theStatus.st_mode) && ReadFile(thePath, outBytes);
}

enum class Standing { kMissing, kOurs, kEdited, kNotOurs };

// What the file at theFile's destination is to us. Only a regular file can be ours: as the record
// has it, by its checksum (a changed one that still holds our marker was edited, one without is
// another's); one the record does not name (of an install before records were kept, or never
// ours) by its bytes: theInstalled, or any version's marker.
Standing StandingOf(const InstalledFile& theFile, const InstallRecord& theRecord, const std::string& theInstalled)
{
    std::error_code theMissing;
    if (fs::symlink_status(theFile.destination, theMissing).type() == fs::file_type::not_found) return Standing::kMissing;
    std::string theBytes;
    const bool theRegular = ReadRegularFile(theFile.destination, theBytes);
    if (!theRegular) return Standing::kNotOurs;
    const bool theMarked = theBytes.find(theFile.marker) != std::string::npos;
    const std::string theRecorded = theRecord.ChecksumOf(theFile.destination.string());
    if (!theRecorded.empty())
        return ChecksumOf(theBytes) == theRecorded ? Standing::kOurs : theMarked ? Standing::kEdited : Standing::kNotOurs;
    return theMarked || (!theInstalled.empty() && theBytes == theInstalled) ? Standing::kOurs : Standing::kNotOurs;
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

// A file of ours that is not as we wrote it is the user's now.
void ReportLeftAlone(Standing theStanding, const fs::path& thePath)
{
    std::printf("%-10s  %s: %s\n", "left alone", thePath.c_str(),
                theStanding == Standing::kEdited ? "edited since it was installed" : "not Glintweave's");
}

bool WriteFiles(const std::vector<InstalledFile>& theFiles, InstallRecord& theRecord, std::string& outError)
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
        const Standing theStanding = StandingOf(theFiles[i], theRecord, theContents[i]);
        // A built file under our name that is not ours is replaced, as MLT would load it as ours;
        // a map under our name that we did not write is the user's own.
        if (theStanding == Standing::kEdited || (theStanding == Standing::kNotOurs && theFiles[i].map)) {
            ReportLeftAlone(theStanding, theDestination);
            continue;
        }
        if (theFiles[i].map && !MakeLumaFile(*theFiles[i].map, [&](const char* theBytes, size_t theSize) {
                theContents[i].append(theBytes, theSize);
                return true;
            })) {
            outError = "out of memory for " + theDestination.string();
            return false;
        }
        std::string theInstalled;
        if (ReadRegularFile(theDestination, theInstalled) && theInstalled == theContents[i]) {
            Report("up to date", theDestination);
        } else {
            // Written beside the destination and renamed over it: an editor that has the old mixer
            // loaded keeps its copy, and a full disk never leaves half a file where MLT looks.
            if (!theRecord.MakeFolders(theDestination.string(), outError) ||
                !video::InstallFile(theDestination.string(), theContents[i], 0644, outError))
                return false;
            Report(theStanding == Standing::kMissing ? "installed" : "replaced", theDestination);
        }
        theRecord.RecordFile(theDestination.string(), ChecksumOf(theContents[i]));
        theContents[i] = {};
    }
    return true;
}

bool RemoveFiles(const std::vector<InstalledFile>& theFiles, InstallRecord& theRecord, std::string& outError)
{
    for (const InstalledFile& theFile : theFiles) {
        std::string theInstalled;
        if (!theFile.map) ReadFile(theFile.source, theInstalled);
        const Standing theStanding = StandingOf(theFile, theRecord, theInstalled);
        if (theStanding == Standing::kEdited || theStanding == Standing::kNotOurs) {
            ReportLeftAlone(theStanding, theFile.destination);
            continue;
        }
        std::error_code theError;
        const bool theRemoved = theStanding == Standing::kOurs && fs::remove(theFile.destination, theError);
        if (theError) {
            outError = SystemMessage(theFile.destination, theError);
            return false;
        }
        theRecord.ForgetFile(theFile.destination.string());
        Report(theRemoved ? "removed" : "not there", theFile.destination);
    }
    theRecord.RemoveEmptyFolders();
    return true;
}

// Installs or removes theFiles; the record keeps what was done, also when a step fails.
bool InstallOrRemove(bool theRemoving, const std::vector<InstalledFile>& theFiles, const fs::path& theRecordPath,
                     const std::string& theRoot, std::string& outError)
{
    InstallRecord theRecord;
    if (!theRecord.Read(theRecordPath.string(), theRoot, outError)) return false;
    const bool theDone = theRemoving ? RemoveFiles(theFiles, theRecord, outError) : WriteFiles(theFiles, theRecord, outError);
    std::string theRecordError;
    if (!theRecord.Write(theRecordError) && theDone) {
        outError = theRecordError;
        return false;
    }
    return theDone;
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
                                   : "the frei0r mixer, Kdenlive compositions, luma maps and the OBS Studio module"};
    theCommand.description =
        "Puts Glintweave's frei0r mixer (glintweave.so) and its two Kdenlive compositions,\n"
        "\"Glintweave\" and \"Glintweave (automatic)\", where MLT, melt and Kdenlive find them without\n"
        "FREI0R_PATH, and Glintweave's Cross as luma maps (\"Glintweave 1920x1080.pgm\", ...) where\n"
        "Shotcut's Transition panel and Kdenlive's Luma composition list them, and the OBS Studio\n"
        "module with its two scene transitions where OBS Studio loads it; uninstall takes them\n"
        "away, with the folders install made once they are empty. A file of another's under their\n"
        "names stays, installing or not, and so does one edited since it was installed (install\n"
        "keeps a record of what it wrote: glintweave/installed.txt in the data folder). Restart\n"
        "Kdenlive, Shotcut and OBS Studio afterwards.";
    theCommand.options = {
        FlagOption("--user",
                   "for you alone (the default): ~/.frei0r-1/lib/,\n"
                   "~/.local/share/kdenlive/transitions/ and lumas/, and\n"
                   "~/.local/share/Meltytech/Shotcut/transitions/ ($XDG_DATA_HOME\n"
                   "instead of ~/.local/share when XDG_DATA_HOME is set), and\n"
                   "~/.config/obs-studio/plugins/glintweave/ ($XDG_CONFIG_HOME\n"
                   "instead of ~/.config)",
                   theValues->user),
        FlagOption("--system",
                   "for every user, as root: /usr/local/lib/frei0r-1/, the\n"
                   "same folders below /usr/local/share/, and OBS Studio's\n"
                   "/usr/lib/x86_64-linux-gnu/obs-plugins/ and\n"
                   "/usr/share/obs/obs-plugins/glintweave/ (below $DESTDIR when\n"
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
        fs::path theRecord;
        std::string theRoot;
        if (!ListFiles(theValues->system, theFiles, theRecord, theRoot, outError)) return false;
        std::vector<fs::path> theWritten;
        for (const InstalledFile& theFile : theFiles) theWritten.push_back(theFile.destination);
        theWritten.push_back(theRecord);
        if (!CheckRights(theWritten, theValues->system, theRemoving, outError)) return false;
        return InstallOrRemove(theRemoving, theFiles, theRecord, theRoot, outError);
    };
    return theCommand;
}
