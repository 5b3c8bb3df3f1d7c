// The configuration dialog on real clips, opened as the editor opens it.
#pragma once

#include "iMovieRecords.h"

#include <functional>
#include <string>

struct ConfigureJob {
    SInt32 which = 3;   // 1 Out, 2 In, 3 Cross
    float speed = 0.5f;
    std::string clipA;
    std::string clipB;  // Cross only
};

// Renders the transition's frames once (nothing is written), as the editor does before the user
// can press the effect's button, then presses it; returns when the dialog has closed.
// theBeforeDialog runs just before the press, when the plug-in has started and kept its settings.
bool ConfigureTransition(HYPluginMainProc theMain, const ConfigureJob& theJob, const std::function<void()>& theBeforeDialog,
                         std::string& outError);
