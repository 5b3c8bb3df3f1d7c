#include "SoundRuntimeFolder.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace play {

namespace {

std::string EnvironmentValue(const char* theName)
{
    const char* theValue = std::getenv(theName);
    return theValue ? theValue : "";
}

// Where PulseAudio keeps its link to a runtime folder of its making.
std::string PulseConfigFolder()
{
    const std::string theConfig = EnvironmentValue("XDG_CONFIG_HOME");
    if (!theConfig.empty()) return theConfig + "/pulse";
    const std::string theHome = EnvironmentValue("HOME");
    return theHome.empty() ? "" : theHome + "/.config/pulse";
}

} // namespace

SoundRuntimeFolder::SoundRuntimeFolder()
{
    if (!EnvironmentValue("XDG_RUNTIME_DIR").empty() || !EnvironmentValue("PULSE_RUNTIME_PATH").empty()) return;
    const std::string thePulse = PulseConfigFolder();
    std::error_code theError;
    if (thePulse.empty() || std::filesystem::exists(thePulse, theError) || theError) return;
    std::string theIgnored;
    if (!mFolder.Make("glintweave-runtime", theIgnored)) return;
    setenv("XDG_RUNTIME_DIR", mFolder.Path().c_str(), 1);
    // PulseAudio's own name for it keeps its files in the folder itself rather than in a folder
    // of their own, which the removal on a signal would leave.
    setenv("PULSE_RUNTIME_PATH", mFolder.Path().c_str(), 1);
}

SoundRuntimeFolder::~SoundRuntimeFolder()
{
    if (mFolder.Path().empty()) return;
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("PULSE_RUNTIME_PATH");
}

} // namespace play
