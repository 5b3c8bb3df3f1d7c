// glintweave play: renders a job on a second thread and plays it in a window as it comes.
#pragma once

#include "RenderMovie.h"

#include <string>

namespace play {

// For people checking whether their machine plays a movie in real time.
struct PlayStatistics {
    SInt32 frames = 0;          // rendered
    SInt32 shown = 0;           // of them, shown in the window
    double movieSeconds = 0.0;  // what those frames last
    double pluginSeconds = 0.0; // of processor time in the plug-in's own code
};

// Plays theJob's movie to its end or until the person quits (both true); false with one line
// when the render fails or no window can show it. SDL's video must be running.
bool PlayMovie(HYPluginMainProc theMain, const RenderJob& theJob, std::string& outError,
               PlayStatistics* outStatistics = nullptr);

} // namespace play
