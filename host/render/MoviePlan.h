// The movie as a list of segments, built once before any frame is written: where each stretch
// of the output takes its pictures from, and why. Render, play, --stats and render --plan all
// read the same list; the loop that writes a segment never decides what happens to a clip.
#pragma once

#include "RenderPlan.h"

#include <string>
#include <vector>

struct MovieSegment {
    enum class Source {
        CopyPackets,      // the clip's compressed pictures, as they are
        PassDecoded,      // the clip's frames, decoded and encoded again
        RenderTransition  // the plug-in's transition on clip (and clipB for a Cross)
    };
    Source source = Source::PassDecoded;
    size_t clip = 0;
    size_t clipB = 0;       // a Cross's incoming clip, whose frames [0, end - first) it takes
    size_t copySource = 0;  // CopyPackets: the clip's facts in render.settings.copySources
    // The clip's frames [first, end), numbered at the movie's rate.
    SInt32 first = 0;
    SInt32 end = 0;
    // Where it goes in the movie: [movieFirst, movieEnd). An Out's transition ends on one
    // frame more than it takes from its clip: the end state.
    SInt32 movieFirst = 0;
    SInt32 movieEnd = 0;
    std::string why;
    // PassDecoded: drawn into a frame on the way (turned, fitted on black, colours converted,
    // or for a sink that takes only drawn frames), with the reason; else handed on as decoded.
    bool drawn = true;
    std::string whyDrawn;
};

struct MoviePlan {
    RenderPlan render;
    std::vector<MovieSegment> segments;
    // Why nothing of the movie is copied, when that holds for every clip; empty otherwise.
    std::string smartWhyNot;
};

// Works out the render (see PlanRender) and lays the segments out in movie order. Where the
// output takes copies, each moving clip's packets are read to find its clean splits, and a
// clip that cannot be copied is named on stderr with the reason.
bool PlanMovie(HYPluginMainProc theMain, const RenderJob& theJob, MoviePlan& outPlan, std::string& outError,
               const std::function<bool()>& theStopped = {});

// The plan as a short table for people: one row a segment, then the sound.
std::string DescribeMoviePlan(const RenderJob& theJob, const MoviePlan& thePlan);
