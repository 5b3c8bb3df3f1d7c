// A luma map as MLT's luma transition reads it at full precision: a binary 16-bit PGM.
#pragma once

#include "LumaMap.h"

#include <string>

// Writes the map to thePath, which appears only when complete; false with one line in outError.
bool WriteLumaFile(const LumaRequest& theRequest, const std::string& thePath, std::string& outError);
