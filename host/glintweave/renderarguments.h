// The options that render and play share: which transition, its length and place, the
// settings for this one render, the clips; render adds its output.
#pragma once

#include "OneRenderSettings.h"
#include "RenderMovie.h"
#include "commands.h"

#include <string>

struct RenderRequest {
    RenderJob job;
    SettingsChanges changes;
    std::string bundlePath;
    bool stats = false;
    bool plan = false; // render: print the plan and write nothing
};

// Adds the options to ioCommand, each storing its value in ioRequest, which must outlive it.
// With theWantsOutput (render) -o (required), -y, --crf and --preset too.
void AddRenderOptions(Command& ioCommand, bool theWantsOutput, RenderRequest& ioRequest);

// Takes theClips into ioRequest and checks the command line as a whole; no file is opened.
bool CheckRenderArguments(const Arguments& theClips, RenderRequest& ioRequest, std::string& outError);

// What render checks of its output before loading anything.
bool CheckOutput(const RenderJob& theJob, std::string& outError);
