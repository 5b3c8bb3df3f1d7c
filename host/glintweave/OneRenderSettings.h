// Settings given on the command line for one render: the plug-in reads them from a copy of the
// user's settings file in a folder of the process's own, so the user's file never changes.
#pragma once

#include "ValueParsers.h"
#include "scratchfolder.h"

#include <array>
#include <optional>
#include <string>

struct SettingsChanges {
    std::optional<Colour8> fill;
    // left, right, top, bottom: fractions of the frame, as the dialog stores them
    std::optional<std::array<double, 4>> region;
    bool Any() const { return fill || region; }
};

// "LEFT,RIGHT,TOP,BOTTOM", each from 0 to 1, left below right and top below bottom.
bool ParseRegion(const std::string& theText, std::array<double, 4>& outRegion);

// The region the user's settings hold (the whole frame when there are none): what a render uses
// without --region.
std::array<double, 4> SavedRegion();

class OneRenderSettings {
public:
    OneRenderSettings() = default;
    OneRenderSettings(const OneRenderSettings&) = delete;
    OneRenderSettings& operator=(const OneRenderSettings&) = delete;

    // Before the plug-in is loaded: points XDG_CONFIG_HOME at a new folder holding the user's
    // settings (or the defaults) with theChanges. False with the reason.
    bool Apply(const SettingsChanges& theChanges, std::string& outError);

private:
    video::ScratchFolder mFolder; // removed with the object
};
