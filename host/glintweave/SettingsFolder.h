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
