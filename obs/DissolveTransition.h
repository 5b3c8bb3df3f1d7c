// The two scene transitions: A dissolves into B, or into the fill colour and that into B.
#pragma once

#include <obs-module.h>

constexpr const char* cDissolveId = "glintweave_dissolve";
constexpr const char* cDissolveColourId = "glintweave_dissolve_colour";

obs_source_info DescribeDissolve(bool theThroughColour);
