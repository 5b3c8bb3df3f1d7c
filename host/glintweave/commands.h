// The glintweave program's commands, each an entry of the program's command table.
#pragma once

#include "OptionTable.h"

#include "MacTypes.h"
#include "PluginBundle.h"

#include <memory>

Command InfoCommand();
// Native builds only: they read and write movies with FFmpeg.
Command RenderCommand();
Command PlayCommand();
Command DemoCommand();
Command ConfigureCommand();
// The transition's random order as a greyscale map for other editors' luma wipes.
Command LumaCommand();
// The same order as a black-and-white matte movie for editors' track mattes.
Command MatteCommand();
// Native builds only, beside the frei0r mixer.
Command InstallCommand(bool theRemoving);

// The options that several commands take.
Option TransitionOption(const char* theHelp, SInt32& outWhich);
Option SpeedOption(const char* theHelp, float& outSpeed);
Option BundleOption(std::string& outPath);
// The bundle --bundle gave, else the build's own; null with the reason.
std::unique_ptr<PluginBundle> LoadBundle(const std::string& theGiven, std::string& outError);

// Whether theCount clips suit transition theWhich (1 Out, 2 In, 3 Cross): a Cross takes two
// clips or more, Out and In one or more; with theSingle, exactly two or one. False with the reason.
bool CheckClipCount(SInt32 theWhich, size_t theCount, bool theSingle, std::string& outError);
