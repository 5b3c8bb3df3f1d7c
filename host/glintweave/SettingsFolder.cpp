#include "SettingsFolder.h"

#include "Folders.h"

#include <cerrno>
#include <cstdlib>
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

ScratchSettingsFolder::ScratchSettingsFolder()
{
    const char* theTemp = std::getenv("TMPDIR");
    std::string theTemplate = std::string(theTemp && theTemp[0] == '/' ? theTemp : "/tmp") + "/glintweave-settings.XXXXXX";
    if (!mkdtemp(theTemplate.data())) {
        mProblem = "cannot make a settings folder in " + std::filesystem::path(theTemplate).parent_path().string() + ": " +
                   std::strerror(errno);
        return;
    }
    mFolder = theTemplate;
    setenv("XDG_CONFIG_HOME", mFolder.c_str(), 1);
}

ScratchSettingsFolder::~ScratchSettingsFolder()
{
    std::error_code theIgnored;
    if (!mFolder.empty()) std::filesystem::remove_all(mFolder, theIgnored);
}

bool ScratchSettingsFolder::Ready(std::string& outProblem) const
{
    outProblem = mProblem;
    return mProblem.empty();
}
