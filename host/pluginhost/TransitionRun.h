// One transition as the editor ran it: the info request, begin, every frame, end.
#pragma once

#include "HostSession.h"

#include <functional>
#include <string>

struct TransitionPlan {
    SInt32 which;     // 1 Out, 2 In, 3 Cross
    float speed;      // 0 (short) to 1 (long)
    SInt16 width;     // output frame size
    SInt16 height;
    bool proxy;
    // Out only: after the last frame, one more showing where the transition ends (see RunTransition).
    bool withEndState = false;
    // The transition's length in frames instead of the one the plug-in asks for; 0 for that one.
    SInt32 frames = 0;
};

// The length and placement the plug-in asked for at the info request.
struct TransitionLayout {
    SInt32 frameCount;
    SInt32 startFrame;      // in the movie's numbering: clip A, then clip B
    HYPluginType pluginType;
};

// Fills outLayout from the info request; false with a reason when the clips cannot hold it.
bool AskTransitionLayout(HostSession& theSession, const TransitionPlan& thePlan, TransitionLayout& outLayout,
                         std::string& outError);

// Renders every frame and hands each to theSink (which may stop the run by returning false).
// With withEndState, an Out then hands over one more frame, index frameCount: the dissolve
// complete, the fill colour wherever it works. Its last frame still shows the clip where a
// pixel's moment is that frame or the next, and a movie should not end on that speckle. The
// end request runs after every successful begin.
bool RunTransition(HostSession& theSession, const TransitionPlan& thePlan,
                   const std::function<bool(SInt32 theIndex, GWorldPtr theFrame)>& theSink, std::string& outError);

// The user presses the effect's custom button with frame theFrame of the transition on screen:
// the plug-in opens its configuration dialog and returns when it has closed.
bool PressCustomButton(HostSession& theSession, SInt32 theWhich, SInt32 theFrame, std::string& outError);

const char* ResultName(SInt32 theResult);
