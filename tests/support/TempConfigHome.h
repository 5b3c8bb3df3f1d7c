// A fresh folder that stands in for the user's configuration folder for one test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

class TempConfigHome {
public:
    TempConfigHome()
    {
        std::string theTemplate = (std::filesystem::temp_directory_path() / "glint-config-XXXXXX").string();
        const char* theMade = mkdtemp(theTemplate.data());
        if (!theMade) ADD_FAILURE() << "cannot make a temporary folder";
        mRoot = theMade ? theMade : "/nonexistent";
        mConfig = mRoot + "/config";
        std::filesystem::create_directory(mConfig);
        SaveAndSet("XDG_CONFIG_HOME", mConfig, mOldConfig, mHadConfig);
        // HOME too, so that nothing can fall back to the real ~/.config.
        SaveAndSet("HOME", mRoot + "/home", mOldHome, mHadHome);
    }

    ~TempConfigHome()
    {
        Restore("XDG_CONFIG_HOME", mOldConfig, mHadConfig);
        Restore("HOME", mOldHome, mHadHome);
        std::error_code theError;
        std::filesystem::remove_all(mRoot, theError);
    }

    // The configuration folder itself.
    const std::string& Folder() const { return mConfig; }
    std::string PathOf(const std::string& theName) const { return mConfig + "/" + theName; }
    // Points XDG_CONFIG_HOME at a folder that does not exist.
    void MakeFolderMissing() { setenv("XDG_CONFIG_HOME", (mRoot + "/missing").c_str(), 1); }

private:
    static void SaveAndSet(const char* theName, const std::string& theValue, std::string& theOld, bool& theHad)
    {
        const char* theCurrent = std::getenv(theName);
        theHad = theCurrent != nullptr;
        if (theCurrent) theOld = theCurrent;
        setenv(theName, theValue.c_str(), 1);
    }

    static void Restore(const char* theName, const std::string& theOld, bool theHad)
    {
        if (theHad) setenv(theName, theOld.c_str(), 1);
        else unsetenv(theName);
    }

    std::string mRoot;
    std::string mConfig;
    std::string mOldConfig;
    std::string mOldHome;
    bool mHadConfig = false;
    bool mHadHome = false;
};
