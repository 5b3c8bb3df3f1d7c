// The arguments that render and play share: which transition, its length and place, the
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

// The help lines of the options both commands take, for each command's usage text.
extern const char* const cRenderOptionsHelp;

// Parses and checks everything but --help, which each command answers with its own usage.
// With theWantsOutput (render) -o is required and checked against the clips, and -y, --crf and
// --preset are taken; without it (play) they are refused. False with one line in outError.
bool ParseRenderArguments(const Arguments& theArguments, bool theWantsOutput, RenderRequest& outRequest,
                          std::string& outError);
