// What a render works out before it writes a frame: the movie's settings, every clip's length
// in the movie's frames, the transition's length and place, and that each clip is long enough.
//
// The movie takes the frame rate, size and colour tags of its first moving clip (a still
// picture has no rate); every other clip is conformed to that rate and fitted into that size.
// A movie of stills only runs at 25 frames a second at the first still's size, fitted within
// 1920x1080 when larger, in even numbers. A size the job gives overrides; a proxy halves it.
#pragma once

#include "MovieWriter.h"
#include "RenderMovie.h"

#include <functional>
#include <string>
#include <vector>

struct RenderPlan {
    video::MovieSettings settings;
    SInt32 stillFrames = 0;       // how long a still lasts
    std::vector<SInt32> lengths;  // of each clip, in the movie's frames (a still's is stillFrames)
    std::vector<bool> stills;
    std::vector<video::ClipInfo> infos; // of each clip, conformed to the movie's rate
    size_t firstMoving = 0;       // the clip whose rate the movie takes; none: clips.size()
    SInt32 transitionFrames = 0;
    // The part of the first clip that takes part, from --at: frames [firstOfA, endOfA).
    SInt32 firstOfA = 0;
    SInt32 endOfA = 0;
    SInt32 totalFrames = 0;       // the movie's, with Out's end state
    // What the output's name asks for, chosen once; null for no output (play).
    const video::OutputFormat* format = nullptr;
};

// Opens each clip once, in turn, and closes it again. False with one line: a clip that cannot
// be read, a clip too short for the transitions at its ends (naming it, with the frames it has
// and needs), --at where there is not one transition.
// theStopped, when set, is asked before each clip: true ends the plan with "stopped".
bool PlanRender(HYPluginMainProc theMain, const RenderJob& theJob, RenderPlan& outPlan, std::string& outError,
                const std::function<bool()>& theStopped = {});

// theSeconds in frames of theRate, rounded to the nearest.
SInt32 SecondsToFrames(double theSeconds, video::FrameRate theRate);
