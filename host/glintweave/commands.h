// The glintweave program's commands; each returns the process exit status.
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int InfoCommand(const Arguments& theArguments);
// Native builds only: they read and write movies with FFmpeg.
int RenderCommand(const Arguments& theArguments);
int DemoCommand(const Arguments& theArguments);
int ConfigureCommand(const Arguments& theArguments);
int PlayCommand(const Arguments& theArguments);
// Native builds only, beside the frei0r mixer: install, or uninstall when theRemoving.
int InstallCommand(const Arguments& theArguments, bool theRemoving);

// A speed from 0 to 1; false (outSpeed untouched) for anything else.
bool ParseSpeed(const std::string& theValue, float& outSpeed);
// --transition, --speed and --bundle, which render and configure both take.
bool IsSharedOption(const std::string& theOption);
// Stores the value of a shared option; false with the message when the value is bad.
bool TakeSharedOption(const std::string& theOption, const std::string& theValue, int& ioWhich, float& ioSpeed,
                      std::string& ioBundlePath, std::string& outError);
// The clips that transition theWhich takes (two for a Cross, one otherwise); false with the message.
bool TakeTransitionClips(const std::string& theCommand, int theWhich, const std::vector<std::string>& theClips,
                         std::string& outClipA, std::string& outClipB, std::string& outError);

// A one-line error on stderr, prefixed with the program name; returns the failure status.
int Fail(const std::string& theMessage);
