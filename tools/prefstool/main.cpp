// prefstool: starts, edits and shows the configuration file the way the plug-in does, so that
// builds for different processors can be run in turn on the same file.
#include "prefsloader.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

pluginDataRec ClearedConfig()
{
    pluginDataRec theConfig;
    std::memset(&theConfig, 0, sizeof theConfig);
    ResetConfig(&theConfig, true);
    return theConfig;
}

// A configuration in which every stored field differs from the defaults.
pluginDataRec EditedConfig()
{
    pluginDataRec theConfig = ClearedConfig();
    theConfig.startRel = relRect{0.125, 0.875, -0.25, 1.5};
    theConfig.endRel = relRect{0.1, 0.2, 0.3, 0.4};
    for (int i = 1; i <= cNumColors; ++i) theConfig.colors[i] = RGBColor{UInt16(i * 1000), UInt16(65535 - i), UInt16(i * 7)};
    for (int i = 1; i <= cNumSliders; ++i) theConfig.sliders[i] = static_cast<SInt16>(-i * 300);
    theConfig.frameStartColor = RGBColor{1, 2, 3};
    theConfig.frameEndColor = RGBColor{40000, 50000, 60000};
    theConfig.mediaType = 3;
    theConfig.keepProps = true;
    theConfig.method = -7;
    return theConfig;
}

void PrintColor(const RGBColor& theColor)
{
    std::printf(" %u,%u,%u", theColor.red, theColor.green, theColor.blue);
}

void PrintConfig(const pluginDataRec& theConfig)
{
    for (const relRect* theRel : {&theConfig.startRel, &theConfig.endRel})
        std::printf("%a,%a,%a,%a ", theRel->left, theRel->right, theRel->top, theRel->bottom);
    for (int i = 1; i <= cNumColors; ++i) PrintColor(theConfig.colors[i]);
    for (int i = 1; i <= cNumSliders; ++i) std::printf(" %d", theConfig.sliders[i]);
    PrintColor(theConfig.frameStartColor);
    PrintColor(theConfig.frameEndColor);
    std::printf(" %d %d %d\n", theConfig.mediaType, theConfig.keepProps, theConfig.method);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string theCommand = argc == 2 ? argv[1] : "";
    pluginDataRec theConfig = ClearedConfig();
    if (theCommand == "format") {
        std::printf("%u %s\n", cConfigSaveSize, __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? "little-endian" : "big-endian");
    } else if (theCommand == "start") {
        // The plug-in's start: create, reset, read over the defaults, write straight back.
        CreateConfigFile();
        std::printf("%s\n", ReadConfig(&theConfig) ? "read" : "defaults");
        if (!SaveConfig(&theConfig)) std::printf("not saved\n");
        PrintConfig(theConfig);
    } else if (theCommand == "edit") {
        CreateConfigFile();
        theConfig = EditedConfig();
        if (!SaveConfig(&theConfig)) std::printf("not saved\n");
        PrintConfig(theConfig);
    } else if (theCommand == "show") {
        std::printf("%s\n", ReadConfig(&theConfig) ? "read" : "defaults");
        PrintConfig(theConfig);
    } else {
        std::fprintf(stderr, "usage: prefstool format|start|edit|show\n"
                             "  works on Tamsel-Prefs in $XDG_CONFIG_HOME (else ~/.config)\n");
        return 2;
    }
    return 0;
}
