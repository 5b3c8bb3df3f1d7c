// Where in the dissolve a transition time falls: the length in frames at the canvas rate, and
// the engine transition, its length and its frame that a time shows.
#pragma once

#include <cstdint>

// The engine's transition numbers.
constexpr int32_t cEngineOut = 1, cEngineIn = 2, cEngineCross = 3;

// max(1, round(duration x rate)), at most the longest length a 16-bit map tells apart.
int32_t CountDissolveFrames(int64_t theDurationMs, uint32_t theRateNum, uint32_t theRateDen);
// The time N frames take at the rate, rounded to milliseconds, as OBS keeps a fixed duration.
uint32_t MeasureFramesMs(int32_t theFrames, uint32_t theRateNum, uint32_t theRateDen);

struct DissolveStep {
    int32_t which;  // the engine transition shown
    int32_t frames; // its length
    int32_t frame;  // 0 to frames; frames is its end state
};

// Frame ceil(t x N) of the whole transition. Through the colour, Out takes the first half of
// the frames (the larger one when N is odd) and In the rest.
DissolveStep FindDissolveStep(bool theThroughColour, int32_t theFrames, float theTime);

// trunc(65536 x frame / frames): a pixel whose map level is at most this shows new.
uint32_t ReachedLevel(const DissolveStep& theStep);
