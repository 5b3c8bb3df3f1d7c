// Tests that drive the real bundle through its entry point, as the host does.
#pragma once

#include "HostSession.h"
#include "PluginBundle.h"
#include "TestPatternClips.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace testing_support {

// A fresh preferences folder for this test process, set before the plug-in's first start and
// removed when the process ends (by the process that made it, not a forked child).
inline std::filesystem::path PreferencesFolder()
{
    struct Folder {
        std::filesystem::path path;
        pid_t maker = getpid();
        Folder()
        {
            std::string theTemplate = (std::filesystem::temp_directory_path() / "glintweave-prefs-XXXXXX").string();
            if (mkdtemp(theTemplate.data())) path = theTemplate;
            else ADD_FAILURE() << "cannot make a preferences folder";
            setenv("XDG_CONFIG_HOME", path.c_str(), 1);
        }
        ~Folder()
        {
            std::error_code theIgnored;
            if (getpid() == maker && !path.empty()) std::filesystem::remove_all(path, theIgnored);
        }
    };
    static Folder lgFolder;
    return lgFolder.path;
}

inline PluginBundle& LoadedBundle()
{
    static std::unique_ptr<PluginBundle> lgBundle = [] {
        PreferencesFolder();
        std::string theError;
        std::unique_ptr<PluginBundle> theBundle = PluginBundle::Load(GLINT_BUNDLE_PATH, theError);
        if (!theBundle) ADD_FAILURE() << theError;
        return theBundle;
    }();
    return *lgBundle;
}

class PluginTest : public testing::Test {
protected:
    TestPatternClips source{200, 200};
    std::unique_ptr<HostSession> session;

    void SetUp() override { session = std::make_unique<HostSession>(LoadedBundle().Main(), source); }
    // An instance a test left running ends as the host would end it.
    void TearDown() override
    {
        if (session && session->Params().clientData) Call(3, kPlugTerminate);
        if (session) {
            EXPECT_EQ(session->FramesOut(), session->FramesBack()) << "every frame goes back to the host";
        }
    }
    // A new session for the next case of a table.
    void Restart()
    {
        TearDown();
        SetUp();
    }

    SInt32 Call(SInt32 theWhich, HYPluginSelector theSelector) { return session->Call(theWhich, theSelector); }

    // Info, begin and output frame ready for frame requests of a transition of theFrames frames.
    void Begin(SInt32 theWhich, SInt32 theFrames, SInt16 theWidth = 32, SInt16 theHeight = 24)
    {
        HYPluginParams& theParams = session->Params();
        session->SetSpeed(float(theFrames - 10) / 110.0f);
        ASSERT_EQ(Call(theWhich, kPlugGetInfo), kPluginOK);
        ASSERT_EQ(Call(theWhich, kPlugInitialize), kPluginOK);
        std::string theError;
        ASSERT_TRUE(session->SetOutputSize(theWidth, theHeight, theError)) << theError;
        theParams.frameCount = theFrames;
        theParams.startFrame = theWhich == 2 ? 0 : source.ClipALength() - theFrames;
    }

    SInt32 Frame(SInt32 theWhich, SInt32 theIndex)
    {
        session->Params().renderFrame = theIndex;
        return Call(theWhich, kPlugDoFrame);
    }
};

}
