#include "TransitionRun.h"

#include <string>

namespace {

constexpr const char* cResultNames[] = {"kPluginOK",          "kPluginCancel",       "kPluginFinished",
                                        "kPluginBadParams",   "kPluginOutOfMemory",  "kPluginOutOfDiskSpace",
                                        "kPluginFailed",      "kPluginCantGetNeededFrame", "kPluginUnimplemented",
                                        "kPluginTryAgainLater", "kPluginAppIsTooOld", "kPluginAppIsTooNew"};

std::string Failure(const char* theStep, SInt32 theResult, const HostSession& theSession)
{
    std::string theText = std::string("the plug-in's ") + theStep + " request failed with " + ResultName(theResult);
    if (!theSession.LastError().empty()) theText += " (" + theSession.LastError() + ")";
    return theText;
}

// "1 frame", "30 frames": a still picture is a clip of one frame.
std::string FramesText(SInt32 theCount)
{
    return std::to_string(theCount) + (theCount == 1 ? " frame" : " frames");
}

} // namespace

const char* ResultName(SInt32 theResult)
{
    return theResult >= 0 && theResult < SInt32(std::size(cResultNames)) ? cResultNames[theResult] : "an unknown result";
}

bool AskTransitionLayout(HostSession& theSession, const TransitionPlan& thePlan, TransitionLayout& outLayout,
                         std::string& outError)
{
    theSession.SetSpeed(thePlan.speed);
    SInt32 theResult = theSession.Call(thePlan.which, kPlugGetInfo);
    if (theResult != kPluginOK) {
        outError = Failure("info", theResult, theSession);
        return false;
    }
    const HYPluginGetInfo& theInfo = theSession.Params().getInfo;
    outLayout.frameCount = thePlan.frames > 0 ? thePlan.frames : theInfo.framesToBeRendered;
    outLayout.pluginType = theInfo.pluginType;
    const SInt32 theLengthA = theSession.Source().ClipALength();
    const SInt32 theLengthB = theSession.Source().ClipBLength();
    const std::string theNeed = std::to_string(outLayout.frameCount);
    if (outLayout.frameCount <= 0) {
        outError = "the plug-in asked for a transition of " + theNeed + " frames";
        return false;
    }
    if (theLengthA < outLayout.frameCount) {
        outError = "the first clip is " + FramesText(theLengthA) + " long; the transition needs " + theNeed + " frames";
        return false;
    }
    if (outLayout.pluginType == kPluginTransitionBetweenType && theLengthB < outLayout.frameCount) {
        outError = "the second clip is " + FramesText(theLengthB) + " long; the transition needs " + theNeed + " frames";
        return false;
    }
    // In takes the head of clip A; Out and Cross its tail (Cross then the head of clip B).
    outLayout.startFrame = outLayout.pluginType == kPluginTransitionBeforeType ? 0 : theLengthA - outLayout.frameCount;
    return true;
}

bool RunTransition(HostSession& theSession, const TransitionPlan& thePlan,
                   const std::function<bool(SInt32 theIndex, GWorldPtr theFrame)>& theSink, std::string& outError)
{
    TransitionLayout theLayout;
    if (!AskTransitionLayout(theSession, thePlan, theLayout, outError)) return false;
    HYPluginParams& theParams = theSession.Params();
    if (!theSession.SetOutputSize(thePlan.width, thePlan.height, outError)) return false;
    theParams.proxyOnly = thePlan.proxy;
    theParams.frameCount = theLayout.frameCount;
    theParams.startFrame = theLayout.startFrame;

    SInt32 theResult = theSession.Call(thePlan.which, kPlugInitialize);
    if (theResult != kPluginOK) {
        outError = Failure("begin", theResult, theSession);
        return false;
    }
    bool theSucceeded = true;
    for (SInt32 theIndex = 0; theIndex < theLayout.frameCount && theSucceeded; ++theIndex) {
        theParams.renderFrame = theIndex;
        theResult = theSession.Call(thePlan.which, kPlugDoFrame);
        if (theResult != kPluginOK) {
            outError = Failure("frame", theResult, theSession);
            theSucceeded = false;
        } else if (!theSink(theIndex, theParams.frame)) {
            theSucceeded = false;
        }
    }
    if (theSucceeded && thePlan.withEndState && theLayout.pluginType == kPluginTransitionAfterType) {
        // Frame frameCount + 1 is past every pixel's moment. It is drawn over the clip's picture
        // of the last frame: the numbers the plug-in fetches are startFrame plus the frame's.
        const SInt32 theLast = theLayout.frameCount + 1;
        theParams.renderFrame = theLast;
        theParams.startFrame = theLayout.startFrame + theLayout.frameCount - 1 - theLast;
        theResult = theSession.Call(thePlan.which, kPlugDoFrame);
        theParams.startFrame = theLayout.startFrame;
        if (theResult != kPluginOK) {
            outError = Failure("frame", theResult, theSession);
            theSucceeded = false;
        } else {
            theSucceeded = theSink(theLayout.frameCount, theParams.frame);
        }
    }
    (void)theSession.Call(thePlan.which, kPlugTerminate);
    return theSucceeded;
}

bool PressCustomButton(HostSession& theSession, SInt32 theWhich, SInt32 theFrame, std::string& outError)
{
    // A button press carries no placement of its own: the plug-in remembers the last frame request's.
    HYPluginParams& theParams = theSession.Params();
    theParams.startFrame = 0;
    theParams.frameCount = 0;
    theParams.renderFrame = theFrame;
    const SInt32 theResult = theSession.Call(theWhich, kPlugCustomButtonClick);
    if (theResult != kPluginOK) {
        outError = Failure("custom button", theResult, theSession);
        return false;
    }
    return true;
}
