#include "Alerts.h"
#include "HeadlessScript.h"
#include "Processes.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

struct OpaqueDialogPtr {
    AlertType type;
    std::string headline;
    std::string explanation;
    std::string buttons[3];
    SInt16 defaultButton;
};

namespace {

std::deque<SInt16> lgScriptedAnswers;
long lgAlertCount = 0;
std::string lgLastHeadline;
std::string lgLastExplanation;

std::string TextOf(CFStringRef theString)
{
    return theString ? CFStringGetUTF8Pointer(theString) : "";
}

const char* TypeName(AlertType theType)
{
    switch (theType) {
    case kAlertStopAlert: return "stop";
    case kAlertNoteAlert: return "note";
    case kAlertCautionAlert: return "caution";
    default: return "plain";
    }
}

} // namespace

extern "C" {

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamRec* param, UInt32 version)
{
    *param = AlertStdCFStringAlertParamRec{version, true, false, nullptr, nullptr, nullptr, kStdOkItemIndex, 0, 0, 0};
    return noErr;
}

OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert)
{
    DialogRef theAlert = new OpaqueDialogPtr;
    theAlert->type = alertType;
    theAlert->headline = TextOf(error);
    theAlert->explanation = TextOf(explanation);
    theAlert->defaultButton = kStdOkItemIndex;
    if (param) {
        theAlert->buttons[0] = param->defaultText ? TextOf(param->defaultText) : "OK";
        theAlert->buttons[1] = TextOf(param->cancelText);
        theAlert->buttons[2] = TextOf(param->otherText);
        if (param->defaultButton >= 1 && param->defaultButton <= 3) theAlert->defaultButton = param->defaultButton;
    } else {
        theAlert->buttons[0] = "OK";
    }
    *outAlert = theAlert;
    return noErr;
}

OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP, DialogItemIndex* outItemHit)
{
    if (!inAlert) return -50;
    ++lgAlertCount;
    lgLastHeadline = inAlert->headline;
    lgLastExplanation = inAlert->explanation;

    std::string theButtons;
    for (const std::string& theButton : inAlert->buttons)
        if (!theButton.empty()) theButtons += " [" + theButton + "]";
    std::fprintf(stderr, "Alert (%s): %s: %s%s\n", TypeName(inAlert->type), inAlert->headline.c_str(),
                 inAlert->explanation.c_str(), theButtons.c_str());

    SInt16 theAnswer = inAlert->defaultButton;
    if (!lgScriptedAnswers.empty()) {
        theAnswer = lgScriptedAnswers.front();
        lgScriptedAnswers.pop_front();
    }
    if (outItemHit) *outItemHit = theAnswer;
    delete inAlert;
    return noErr;
}

void HeadlessPushAlertAnswer(SInt16 theItemHit)
{
    lgScriptedAnswers.push_back(theItemHit);
}

void HeadlessClearScript(void)
{
    lgScriptedAnswers.clear();
}

long HeadlessAlertCount(void)
{
    return lgAlertCount;
}

const char* HeadlessLastAlertHeadline(void)
{
    return lgLastHeadline.c_str();
}

const char* HeadlessLastAlertExplanation(void)
{
    return lgLastExplanation.c_str();
}

void ExitToShell(void)
{
    // A fatal end leaves its blocks in place; quick_exit skips the leak report of a normal exit
    // while still running the at_quick_exit hooks a host uses to remove partial output.
    std::fflush(nullptr);
    std::quick_exit(EXIT_FAILURE);
}

} // extern "C"
