// A luma map as MLT's luma transition reads it at full precision: a binary 16-bit PGM. Its
// header carries a comment that marks it as Glintweave's (MLT, FFmpeg and Qt skip comments).
#pragma once

#include "LumaMap.h"

#include <functional>
#include <string>

// How every map of ours starts.
constexpr char cLumaFileMark[] = "P5\n# Glintweave ";

// Hands the file's bytes, header first, to theWrite; false when theWrite fails or without memory.
bool MakeLumaFile(const LumaRequest& theRequest, const std::function<bool(const char*, size_t)>& theWrite);

// Writes the map to thePath, which appears only when complete; false with one line in outError.
bool WriteLumaFile(const LumaRequest& theRequest, const std::string& thePath, std::string& outError);
