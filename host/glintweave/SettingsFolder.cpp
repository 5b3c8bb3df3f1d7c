#include "SettingsFolder.h"

#include "Folders.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace {

std::string lgProblem;

bool IsFolder(const std::string& thePath)
{
    struct stat theStat;
    return stat(thePath.c_str(), &theStat) == 0 && S_ISDIR(theStat.st_mode);
}

} // namespace

void PrepareSettingsFolder()
{
    lgProblem.clear();
    const std::string theFolder = GlintPreferencesPath();
    if (theFolder.empty()) {
        lgProblem = "there is no settings folder: neither XDG_CONFIG_HOME nor HOME names one";
        return;
    }
    // The missing folders from the outermost in.
    std::vector<std::string> theMissing;
    for (std::string thePath = theFolder; !thePath.empty() && thePath != "/" && !IsFolder(thePath);
         thePath = std::filesystem::path(thePath).parent_path().string())
        theMissing.push_back(thePath);
    for (auto thePath = theMissing.rbegin(); thePath != theMissing.rend(); ++thePath)
        if (mkdir(thePath->c_str(), 0700) != 0 && errno != EEXIST) {
            lgProblem = "the settings folder " + theFolder + " cannot be made: " +
                        (*thePath == theFolder ? "" : *thePath + ": ") + std::strerror(errno);
            return;
        }
    if (!IsFolder(theFolder)) lgProblem = "the settings folder " + theFolder + " is not a folder";
}

const std::string& SettingsFolderProblem()
{
    return lgProblem;
}
