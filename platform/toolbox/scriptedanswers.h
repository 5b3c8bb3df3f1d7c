// Internal: answers that tests script for alerts and the colour picker.
#pragma once

#include "MacTypes.h"

#include <optional>

namespace toolbox_internal {

struct PickerAnswer {
    bool chosen;
    RGBColor color;
};

std::optional<SInt16> NextAlertAnswer();
std::optional<PickerAnswer> NextPickerAnswer();
void ClearScriptedAnswers();

} // namespace toolbox_internal
