// A finished movie from real clips, with the sound mixed at the plug-in's levels. A Cross goes
// at every cut: clip A up to the transition, the plug-in's transition into clip B, B up to the
// next transition, and so on to the rest of the last clip; each transition is a run of the
// plug-in of its own on the two clips around the cut. An In opens the movie on the first clip
// and an Out closes it on the last, the clips between joined by plain cuts; an Out ends on one
// more frame, the transition's end state, as a Cross goes on with clip B.
#pragma once

#include "FrameSink.h"
#include "MovieWriter.h"
#include "iMovieRecords.h"
#include "QuickDraw.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct RenderJob {
    SInt32 which = 3;       // 1 Out, 2 In, 3 Cross
    float speed = 0.5f;
    bool proxy = false;
    // The clips in movie order: one or more for Out and In, two or more for a Cross. A still
    // picture among them lasts stillSeconds.
    std::vector<std::string> clips;
    double stillSeconds = 3.0;
    std::string output;     // its extension picks the format; unused by RenderToSink
    SInt32 width = 0;       // 0: the first moving clip's size (see PlanRender)
    SInt32 height = 0;
    video::FrameRate rate{0, 0}; // 0: the first moving clip's rate
    // The transition's length: frames, else seconds, else what the plug-in asks for at speed.
    SInt32 frames = 0;
    double seconds = 0.0;
    // Where in clip A the transition starts, in seconds; below 0 so that it ends with the clip
    // (Out, Cross) or starts with it (In). An In there starts the movie; an Out or a Cross ends
    // clip A's part of it. Only for a single transition: one clip, or two for a Cross.
    double at = -1.0;
    bool replace = false;   // an existing output is replaced only when set
    bool reencode = false;  // every frame encoded, none copied
    // .mp4: x264's preset and constant rate factor; empty and -1 for the writer's own.
    std::string preset;
    int crf = -1;
};

struct RenderObserver {
    // Frames written so far of theTotal, after each frame.
    std::function<void(SInt32 theDone, SInt32 theTotal)> progress;
    // Every rendered transition frame, before it is written; for Out, theIndex theCount is the
    // end state that the movie ends on.
    std::function<void(SInt32 theIndex, SInt32 theCount, GWorldPtr theFrame)> transitionFrame;
    // Asked before each clip is opened to plan the movie: true gives up (a player closed while
    // its clips are still being opened).
    std::function<bool()> stopped;
};

// What a finished render did, for people tuning it.
struct RenderStatistics {
    SInt32 frames = 0;          // written
    SInt32 copied = 0;          // of them: copied as the clip holds them
    SInt32 passedDecoded = 0;   // passed on from the decoder, never drawn
    SInt32 passedDrawn = 0;     // drawn into a frame (fitted, turned, or for a sink that needs that)
    SInt32 rendered = 0;        // through the plug-in
    double pluginSeconds = 0.0; // of processor time in the plug-in's own code, not in the host's callbacks
};

// Makes the sink for a movie of theSettings (size, rate, sound, colour tags; the encoder's
// preset and crf from the job); null with the reason.
using FrameSinkMaker =
    std::function<std::unique_ptr<FrameSink>(const video::MovieSettings& theSettings, std::string& outError)>;

// Opens the clips, works out the movie's settings, asks theMakeSink for the sink and renders
// the whole job into it. The sink is destroyed before the return: one that must be completed
// (a file) refers to something its maker keeps.
bool RenderToSink(HYPluginMainProc theMain, const RenderJob& theJob, const FrameSinkMaker& theMakeSink,
                  const RenderObserver& theObserver, std::string& outError, RenderStatistics* outStatistics = nullptr);

// Checks the output before opening the clips; on failure nothing is left under the output name.
bool RenderMovie(HYPluginMainProc theMain, const RenderJob& theJob, const RenderObserver& theObserver,
                 std::string& outError, RenderStatistics* outStatistics = nullptr);
