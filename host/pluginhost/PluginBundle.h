// Loading a plug-in bundle the way the editor did: register the bundle, open its resource
// file, load its library and find its one entry point.
#pragma once

#include "CFBundle.h"
#include "iMovieRecords.h"

#include <memory>
#include <string>

class PluginBundle {
public:
    // Null with a one-line reason in outError when the bundle cannot be used.
    static std::unique_ptr<PluginBundle> Load(const std::string& thePath, std::string& outError);
    ~PluginBundle();

    HYPluginMainProc Main() const { return mMain; }
    CFBundleRef Bundle() const { return mBundle; }
    const std::string& Path() const { return mPath; }

private:
    PluginBundle() = default;
    std::string mPath;
    void* mLibrary = nullptr;
    HYPluginMainProc mMain = nullptr;
    CFBundleRef mBundle = nullptr;
    SInt16 mResourceFile = -1;
};

// The bundle next to the running program (the build's own), or $GLINTWEAVE_BUNDLE.
std::string DefaultBundlePath();
