// The demonstration: two synthetic clips, all three transitions and a contact sheet of them.
#pragma once

#include "RenderMovie.h"

#include <string>
#include <vector>

struct DemoResult {
    std::vector<std::string> clips;   // the two generated clips
    std::vector<std::string> movies;  // Out, In, Cross
    std::string contactSheet;
};

// Writes everything into theFolder (made when missing). theObserver sees each render.
bool MakeDemoMovies(HYPluginMainProc theMain, const std::string& theFolder, const RenderObserver& theObserver,
                    DemoResult& outResult, std::string& outError);

// The transition frames a contact sheet shows: 0, 25, 50, 75 and 100 % of theCount frames.
std::vector<SInt32> SheetFrameIndices(SInt32 theCount);
