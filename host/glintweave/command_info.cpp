#include "commands.h"

#include "HostSession.h"
#include "PluginBundle.h"
#include "SettingsFolder.h"
#include "TestPatternClips.h"
#include "TransitionRun.h"
#ifdef GLINT_WITH_VIDEO
#include "UnfinishedSettings.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const char* TypeName(HYPluginType theType)
{
    switch (theType) {
    case kPluginTransitionBeforeType: return "at the start of a clip";
    case kPluginTransitionBetweenType: return "between two clips";
    case kPluginTransitionAfterType: return "at the end of a clip";
    default: return "unknown";
    }
}

SInt32 FramesAt(HostSession& theSession, SInt32 theWhich, float theSpeed)
{
    theSession.SetSpeed(theSpeed);
    theSession.Call(theWhich, kPlugGetInfo);
    return theSession.Params().getInfo.framesToBeRendered;
}

// The plug-in's texts are Mac Roman; the terminal wants UTF-8.
std::string Readable(const char* theMacRoman)
{
    CFStringRef theString = CFStringCreateWithCString(kCFAllocatorDefault, theMacRoman, kCFStringEncodingMacRoman);
    if (!theString) return "";
    std::string theText = CFStringGetUTF8Pointer(theString);
    CFRelease(theString);
    return theText;
}

// Reports on all three transitions, at theSpeed.
bool ReportInfo(const std::string& theBundlePath, float theSpeed, std::string& outError)
{
#ifdef GLINT_WITH_VIDEO
    RemoveUnfinishedSettingsOnSignals();
#endif
    PrepareSettingsFolder();
    std::unique_ptr<PluginBundle> theBundle = LoadBundle(theBundlePath, outError);
    if (!theBundle) return false;
    std::printf("Plug-in bundle %s (%s)\n", theBundle->Path().c_str(),
                CFStringGetUTF8Pointer(CFBundleGetIdentifier(theBundle->Bundle())));

    TestPatternClips theSource(1000, 1000);
    const char* const theNames[] = {"", "Out", "In", "Cross"};
    for (SInt32 theWhich = 1; theWhich <= 3; ++theWhich) {
        HostSession theSession(theBundle->Main(), theSource);
        const SInt32 theShortest = FramesAt(theSession, theWhich, 0.0f);
        const SInt32 theLongest = FramesAt(theSession, theWhich, 1.0f);
        theSession.SetSpeed(theSpeed);
        const SInt32 theResult = theSession.Call(theWhich, kPlugGetInfo);
        if (theResult != kPluginOK) {
            outError = std::string("the info request failed with ") + ResultName(theResult);
            return false;
        }
        const HYPluginParams& theParams = theSession.Params();
        const HYPluginGetInfo& theInfo = theParams.getInfo;
        std::printf("\n%s (which %d): type %d, %s\n", theNames[theWhich], int(theWhich), int(theInfo.pluginType),
                    TypeName(theInfo.pluginType));
        std::printf("  frames: %d at speed %.2f (%d at 0, %d at 1; the host allows %d to %d)\n",
                    int(theInfo.framesToBeRendered), double(theSpeed), int(theShortest), int(theLongest),
                    int(theInfo.minSpeedFrames), int(theInfo.maxSpeedFrames));
        std::printf("  taken from the clip before: %d, after: %d; single clips only: %s\n",
                    int(theInfo.takeFromClipBefore), int(theInfo.takeFromClipAfter),
                    theInfo.mustTakeFromSingleClips ? "yes" : "no");
        for (const HYPluginFilterSliderInfo& theSlider : theParams.getInfo2.filterSliders)
            std::printf("  slider \"%s\": \"%s\" to \"%s\", default %.2f\n", Readable(theSlider.label).c_str(),
                        Readable(theSlider.minLabel).c_str(), Readable(theSlider.maxLabel).c_str(),
                        double(theSlider.defaultValue));
        std::printf("  button: \"%s\"\n  group: \"%s\"\n  flags: 0x%04X, direction %d\n",
                    Readable(theParams.getInfo3.buttonTitle).c_str(), Readable(theParams.getInfo2.group).c_str(),
                    unsigned(theInfo.pluginFlags), int(theInfo.defaultDirection));
    }
    return true;
}

} // namespace

Command InfoCommand()
{
    struct Values {
        std::string bundlePath;
        float speed = 0.5f;
    };
    const auto theValues = std::make_shared<Values>();
    Command theCommand{"info", "what the plug-in reports about its three transitions"};
    theCommand.description =
        "Loads the plug-in bundle and prints what its info request reports for Out, In and\n"
        "Cross: type, frame count at the speed, labels, button, group, flags.";
    theCommand.options = {SpeedOption("0 (short) to 1 (long), default 0.5", theValues->speed),
                          BundleOption(theValues->bundlePath)};
    theCommand.run = [theValues](const Arguments&, std::string& outError) {
        return ReportInfo(theValues->bundlePath, theValues->speed, outError);
    };
    return theCommand;
}
