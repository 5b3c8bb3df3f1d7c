// The user's settings folder, where the plug-in keeps Tamsel-Prefs: the platform's preferences
// folder (GlintPreferencesPath).
#pragma once

#include <string>

// Makes the settings folder, and any missing parent, with mode 0700 when it is missing, as the
// XDG convention asks of a program that writes there (the plug-in never makes folders). Call it
// before the plug-in is loaded. A failure is kept for SettingsFolderProblem, not reported.
void PrepareSettingsFolder();
// Why the settings folder is missing after PrepareSettingsFolder, or empty.
const std::string& SettingsFolderProblem();

// A settings folder of the process's own for its lifetime: XDG_CONFIG_HOME points at a new empty
// folder, removed with everything in it at the end, so the plug-in runs on its defaults and the
// user's settings are neither read nor written.
class ScratchSettingsFolder {
public:
    ScratchSettingsFolder();
    ~ScratchSettingsFolder();
    ScratchSettingsFolder(const ScratchSettingsFolder&) = delete;
    ScratchSettingsFolder& operator=(const ScratchSettingsFolder&) = delete;
    // False with the reason when the folder could not be made.
    bool Ready(std::string& outProblem) const;

private:
    std::string mFolder;
    std::string mProblem;
};
