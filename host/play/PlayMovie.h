// glintweave play: renders a job on a second thread and plays it in a window as it comes.
#pragma once

#include "RenderMovie.h"

#include <string>

namespace play {

// Plays theJob's movie to its end or until the person quits (both true); false with one line
// when the render fails or no window can show it. SDL's video must be running.
bool PlayMovie(HYPluginMainProc theMain, const RenderJob& theJob, std::string& outError);

} // namespace play
