#include "PluginBundle.h"

#include "Files.h"
#include "Resources.h"

#include <dlfcn.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string ExecutableName(const fs::path& theBundle)
{
    std::ifstream theFile(theBundle / "Contents" / "Info.json");
    nlohmann::json theInfo = nlohmann::json::parse(theFile, nullptr, false);
    if (!theInfo.is_object() || !theInfo.contains("CFBundleExecutable") || !theInfo["CFBundleExecutable"].is_string())
        return "";
    return theInfo["CFBundleExecutable"].get<std::string>();
}

} // namespace

std::unique_ptr<PluginBundle> PluginBundle::Load(const std::string& thePath, std::string& outError)
{
    std::unique_ptr<PluginBundle> theBundle(new PluginBundle);
    theBundle->mPath = thePath;
    const fs::path theFolder(thePath);
    std::error_code theProblem;
    if (!fs::is_directory(theFolder, theProblem)) {
        outError = "no plug-in bundle at " + thePath + (theProblem ? ": " + theProblem.message() : "");
        return nullptr;
    }
    if (GlintRegisterBundle(thePath.c_str(), &theBundle->mBundle) != noErr) {
        outError = "the bundle " + thePath + " has no usable Contents/Info.json";
        return nullptr;
    }
    CFRetain(theBundle->mBundle);

    const std::string theExecutable = ExecutableName(theFolder);
    const fs::path theLibrary = theFolder / "Contents" / "Linux" / theExecutable;
    if (theExecutable.empty() || !fs::is_regular_file(theLibrary, theProblem)) {
        outError = "the bundle " + thePath + " names no plug-in library";
        return nullptr;
    }
    // The plug-in's own strings come from the bundle's resource file, kept open in the chain.
    const fs::path theResources = theFolder / "Contents" / "Resources" / (fs::path(theExecutable).stem().string() + ".rsrc");
    FSSpec theSpec;
    if (FSPathMakeFSSpec(theResources.c_str(), &theSpec) == noErr) {
        theBundle->mResourceFile = FSpOpenResFile(&theSpec, fsRdPerm);
    }
    if (theBundle->mResourceFile < 0) {
        outError = "cannot open the bundle's resource file " + theResources.string();
        return nullptr;
    }

    theBundle->mLibrary = dlopen(theLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!theBundle->mLibrary) {
        outError = std::string("cannot load the plug-in: ") + dlerror();
        return nullptr;
    }
    theBundle->mMain = reinterpret_cast<HYPluginMainProc>(dlsym(theBundle->mLibrary, "main"));
    if (!theBundle->mMain) {
        outError = "the plug-in library exports no main";
        return nullptr;
    }
    return theBundle;
}

PluginBundle::~PluginBundle()
{
    // The library stays loaded: the plug-in keeps process-wide state until the process ends.
    if (mResourceFile >= 0) CloseResFile(mResourceFile);
    if (mBundle) CFRelease(mBundle);
}

std::string DefaultBundlePath()
{
    if (const char* theOverride = std::getenv("GLINTWEAVE_BUNDLE")) return theOverride;
    char theExecutable[PATH_MAX];
    ssize_t theLength = readlink("/proc/self/exe", theExecutable, sizeof theExecutable - 1);
    if (theLength <= 0) return "Glintweave.bundle";
    theExecutable[theLength] = 0;
    const fs::path theFolder = fs::path(theExecutable).parent_path();
    std::error_code theUnreadable;
    for (const fs::path& theCandidate : {theFolder / "Glintweave.bundle", theFolder.parent_path() / "Glintweave.bundle"})
        if (fs::is_directory(theCandidate, theUnreadable)) return theCandidate.string();
    return (theFolder / "Glintweave.bundle").string();
}
