// Frames a second of the Glintweave transition in the real libobs at 1920x1080 under llvmpipe,
// against OBS's own fade transition in the same run: each frame renders both scenes and the
// transition, and is read back, so that the GPU (here the CPU) has finished it.
#include "ObsSession.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t cWidth = 1920, cHeight = 1080;

std::vector<uint8_t> MakePicture(uint8_t theSalt)
{
    std::vector<uint8_t> thePixels(size_t(cWidth) * cHeight * 4);
    for (size_t i = 0; i < thePixels.size(); ++i) thePixels[i] = (i & 3) == 3 ? 255 : uint8_t(i * 7 + theSalt);
    return thePixels;
}

// Seconds per frame of theFrames frames of the transition half way through.
double TimeFrames(obs_source_t* theTransition, int theFrames)
{
    gs_texrender_t* theTarget = nullptr;
    gs_stagesurf_t* theStage = nullptr;
    obs_enter_graphics();
    theTarget = gs_texrender_create(GS_RGBA, GS_ZS_NONE);
    theStage = gs_stagesurface_create(cWidth, cHeight, GS_RGBA);
    obs_leave_graphics();
    const auto theStart = std::chrono::steady_clock::now();
    for (int i = 0; i < theFrames; ++i) {
        obs_enter_graphics();
        gs_texrender_reset(theTarget);
        if (gs_texrender_begin(theTarget, cWidth, cHeight)) {
            vec4 theClear{};
            gs_clear(GS_CLEAR_COLOR, &theClear, 0.0f, 0);
            gs_ortho(0.0f, float(cWidth), 0.0f, float(cHeight), -100.0f, 100.0f);
            obs_source_video_render(theTransition);
            gs_texrender_end(theTarget);
        }
        gs_stage_texture(theStage, gs_texrender_get_texture(theTarget));
        uint8_t* theData = nullptr;
        uint32_t theLine = 0;
        if (gs_stagesurface_map(theStage, &theData, &theLine)) gs_stagesurface_unmap(theStage);
        obs_leave_graphics();
    }
    const double theSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - theStart).count();
    obs_enter_graphics();
    gs_stagesurface_destroy(theStage);
    gs_texrender_destroy(theTarget);
    obs_leave_graphics();
    return theSeconds / theFrames;
}

double Median(std::vector<double> theValues)
{
    std::sort(theValues.begin(), theValues.end());
    const size_t n = theValues.size();
    return n % 2 ? theValues[n / 2] : (theValues[n / 2 - 1] + theValues[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: obs_bench USER-CONFIG-FOLDER [ROUNDS [FRAMES]]\n");
        return 2;
    }
    const int theRounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const int theFrames = argc > 3 ? std::atoi(argv[3]) : 10;
    ObsSession theSession;
    std::string theError;
    // A slow canvas, so that OBS's own rendering takes little from the measured one.
    if (!theSession.Start(cWidth, cHeight, 5, 1, theError) || !theSession.LoadUserModule(argv[1], theError) ||
        !theSession.LoadSystemModule("obs-transitions", theError)) {
        std::fprintf(stderr, "obs_bench: %s\n", theError.c_str());
        return 1;
    }
    SetTestPicture("A", cWidth, cHeight, MakePicture(0));
    SetTestPicture("B", cWidth, cHeight, MakePicture(101));
    obs_source_t* theA = CreatePicture("A");
    obs_source_t* theB = CreatePicture("B");
    const char* const theIds[] = {"glintweave_dissolve", "fade_transition"};
    obs_source_t* theTransitions[2];
    for (int i = 0; i < 2; ++i) {
        theTransitions[i] = obs_source_create_private(theIds[i], theIds[i], nullptr);
        if (!theTransitions[i]) {
            std::fprintf(stderr, "obs_bench: no %s\n", theIds[i]);
            return 1;
        }
        obs_transition_set(theTransitions[i], theA);
        obs_transition_start(theTransitions[i], OBS_TRANSITION_MODE_MANUAL, 1000, theB);
        obs_transition_set_manual_time(theTransitions[i], 0.5f);
    }
    // The manual time takes effect at the next tick.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (obs_source_t* theTransition : theTransitions) TimeFrames(theTransition, 2);

    std::vector<double> theTimes[2];
    for (int r = 0; r < theRounds; ++r)
        for (int i = 0; i < 2; ++i) theTimes[i].push_back(TimeFrames(theTransitions[i], theFrames));
    const double theGlint = 1.0 / Median(theTimes[0]), theFade = 1.0 / Median(theTimes[1]);
    std::printf("1920x1080, llvmpipe, medians of %d rounds of %d frames each, alternating:\n", theRounds, theFrames);
    std::printf("  Glintweave Dissolve   %7.2f frames/s\n", theGlint);
    std::printf("  OBS Fade              %7.2f frames/s\n", theFade);
    std::printf("  ratio                 %7.2f (target at least 0.70)\n", theGlint / theFade);
    for (obs_source_t* theTransition : theTransitions) obs_source_release(theTransition);
    obs_source_release(theA);
    obs_source_release(theB);
    return 0;
}
