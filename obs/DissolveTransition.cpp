#include "DissolveTransition.h"

#include "DissolveMap.h"
#include "DissolveTiming.h"
#include "LumaMap.h"
#include "TransitionSettings.h"

#include <algorithm>
#include <mutex>

namespace {

struct EffectParams {
    gs_eparam_t* a;
    gs_eparam_t* b;
    gs_eparam_t* levels;
    gs_eparam_t* canvas;
    gs_eparam_t* reached;
    gs_eparam_t* region;
    gs_eparam_t* outsideNew;
    gs_eparam_t* fill;
};

struct Dissolve {
    obs_source_t* source;
    bool throughColour;
    gs_effect_t* effect;
    EffectParams params;
    std::mutex lock; // settings and frame count, between the interface and the graphics thread
    TransitionSettings settings;
    uint32_t rateNum;
    uint32_t rateDen;
    int32_t frames;
    DissolveMap maps[2]; // Cross, or Out and In through the colour
};

// The length in frames at the canvas rate, and OBS's duration fixed to it.
void UpdateFrameCount(Dissolve* theDissolve)
{
    obs_video_info theVideo{};
    uint32_t theNum = 0, theDen = 1;
    if (obs_get_video_info(&theVideo)) {
        theNum = theVideo.fps_num;
        theDen = theVideo.fps_den;
    }
    std::lock_guard<std::mutex> theLock(theDissolve->lock);
    const int32_t theFrames = CountDissolveFrames(theDissolve->settings.durationMs, theNum, theDen);
    if (theFrames == theDissolve->frames && theNum == theDissolve->rateNum && theDen == theDissolve->rateDen) return;
    theDissolve->frames = theFrames;
    theDissolve->rateNum = theNum;
    theDissolve->rateDen = theDen;
    obs_transition_enable_fixed(theDissolve->source, true, MeasureFramesMs(theFrames, theNum, theDen));
}

const char* GetDissolveNameHandler(void*)
{
    return obs_module_text("GlintweaveDissolve");
}

const char* GetColourNameHandler(void*)
{
    return obs_module_text("GlintweaveDissolveColour");
}

void UpdateHandler(void* theData, obs_data_t* theSettings)
{
    Dissolve* theDissolve = static_cast<Dissolve*>(theData);
    {
        std::lock_guard<std::mutex> theLock(theDissolve->lock);
        theDissolve->settings = ReadTransitionSettings(theSettings);
        theDissolve->frames = 0;
    }
    UpdateFrameCount(theDissolve);
}

void DestroyHandler(void* theData)
{
    Dissolve* theDissolve = static_cast<Dissolve*>(theData);
    obs_enter_graphics();
    for (DissolveMap& theMap : theDissolve->maps) ReleaseDissolveMap(theMap);
    gs_effect_destroy(theDissolve->effect);
    obs_leave_graphics();
    delete theDissolve;
}

void* CreateDissolve(obs_data_t* theSettings, obs_source_t* theSource, bool theThroughColour)
{
    char* thePath = obs_module_file("glintweave.effect");
    char* theErrors = nullptr;
    obs_enter_graphics();
    gs_effect_t* theEffect = thePath ? gs_effect_create_from_file(thePath, &theErrors) : nullptr;
    obs_leave_graphics();
    if (!theEffect) blog(LOG_ERROR, "[glintweave] the effect did not load: %s", theErrors ? theErrors : "no file");
    bfree(theErrors);
    bfree(thePath);
    if (!theEffect) return nullptr;

    Dissolve* theDissolve = new Dissolve{};
    theDissolve->source = theSource;
    theDissolve->throughColour = theThroughColour;
    theDissolve->effect = theEffect;
    theDissolve->params = EffectParams{
        gs_effect_get_param_by_name(theEffect, "tex_a"),   gs_effect_get_param_by_name(theEffect, "tex_b"),
        gs_effect_get_param_by_name(theEffect, "levels"),  gs_effect_get_param_by_name(theEffect, "canvas"),
        gs_effect_get_param_by_name(theEffect, "reached"), gs_effect_get_param_by_name(theEffect, "region"),
        gs_effect_get_param_by_name(theEffect, "outside_new"), gs_effect_get_param_by_name(theEffect, "fill")};
    UpdateHandler(theDissolve, theSettings);
    return theDissolve;
}

void* CreateDissolveHandler(obs_data_t* theSettings, obs_source_t* theSource)
{
    return CreateDissolve(theSettings, theSource, false);
}

void* CreateColourHandler(obs_data_t* theSettings, obs_source_t* theSource)
{
    return CreateDissolve(theSettings, theSource, true);
}

void VideoTickHandler(void* theData, float)
{
    UpdateFrameCount(static_cast<Dissolve*>(theData));
}

// Without a map (a canvas beyond any texture, no memory) the transition is a cut half way.
void DrawCut(gs_texture_t* theA, gs_texture_t* theB, float theTime, uint32_t theWidth, uint32_t theHeight)
{
    gs_effect_t* theDefault = obs_get_base_effect(OBS_EFFECT_DEFAULT);
    gs_effect_set_texture(gs_effect_get_param_by_name(theDefault, "image"), theTime < 0.5f ? theA : theB);
    while (gs_effect_loop(theDefault, "Draw")) gs_draw_sprite(nullptr, 0, theWidth, theHeight);
}

void DrawDissolve(Dissolve* theDissolve, gs_texture_t* theA, gs_texture_t* theB, float theTime, uint32_t theWidth,
                  uint32_t theHeight)
{
    TransitionSettings theSettings;
    int32_t theFrames;
    {
        std::lock_guard<std::mutex> theLock(theDissolve->lock);
        theSettings = theDissolve->settings;
        theFrames = theDissolve->frames;
    }
    const DissolveStep theStep = FindDissolveStep(theDissolve->throughColour, std::max(theFrames, 1), theTime);
    DissolveMap& theMap = theDissolve->maps[theStep.which == cEngineIn ? 1 : 0];
    if (!PrepareDissolveMap(theMap, theStep.which, theStep.frames, theWidth, theHeight)) {
        DrawCut(theA, theB, theTime, theWidth, theHeight);
        return;
    }
    const LumaRegion theRegion = ClipLumaRegion(theSettings.region, SInt32(theWidth), SInt32(theHeight));
    const EffectParams& theParams = theDissolve->params;
    gs_effect_set_texture(theParams.a, theA);
    gs_effect_set_texture(theParams.b, theB);
    gs_effect_set_texture(theParams.levels, theMap.texture);
    const vec2 theCanvas{{{float(theWidth), float(theHeight)}}};
    gs_effect_set_vec2(theParams.canvas, &theCanvas);
    gs_effect_set_float(theParams.reached, float(ReachedLevel(theStep)));
    vec4 theEdges;
    vec4_set(&theEdges, float(theRegion.left), float(theRegion.top), float(theRegion.right), float(theRegion.bottom));
    gs_effect_set_vec4(theParams.region, &theEdges);
    // Outside the region a Cross shows B at once, In its clip from the start; Out leaves A alone.
    gs_effect_set_float(theParams.outsideNew, theStep.which == cEngineOut ? 0.0f : 1.0f);
    vec4 theFill;
    vec4_from_rgba(&theFill, theSettings.fill);
    gs_effect_set_vec4(theParams.fill, &theFill);
    const char* theTechnique = theStep.which == cEngineOut ? "Out" : theStep.which == cEngineIn ? "In" : "Cross";
    while (gs_effect_loop(theDissolve->effect, theTechnique)) gs_draw_sprite(nullptr, 0, theWidth, theHeight);
}

void RenderFrameHandler(void* theData, gs_texture_t* theA, gs_texture_t* theB, float theTime, uint32_t theWidth,
                        uint32_t theHeight)
{
    // Pixels are moved as they are: no conversion to linear light and back, and no blending,
    // whose arithmetic some drivers do in 8 bits.
    const bool theSrgb = gs_framebuffer_srgb_enabled();
    gs_enable_framebuffer_srgb(false);
    gs_blend_state_push();
    gs_enable_blending(false);
    DrawDissolve(static_cast<Dissolve*>(theData), theA, theB, theTime, theWidth, theHeight);
    gs_blend_state_pop();
    gs_enable_framebuffer_srgb(theSrgb);
}

void VideoRenderHandler(void* theData, gs_effect_t*)
{
    obs_transition_video_render(static_cast<Dissolve*>(theData)->source, RenderFrameHandler);
}

gs_color_space VideoColorSpaceHandler(void* theData, size_t, const gs_color_space*)
{
    return obs_transition_video_get_color_space(static_cast<Dissolve*>(theData)->source);
}

float MixCrossAHandler(void*, float theTime)
{
    return 1.0f - theTime;
}

float MixCrossBHandler(void*, float theTime)
{
    return theTime;
}

// Through the colour: A's sound fades out over the first half, B's in over the second.
float MixColourAHandler(void*, float theTime)
{
    return theTime < 0.5f ? 1.0f - 2.0f * theTime : 0.0f;
}

float MixColourBHandler(void*, float theTime)
{
    return theTime < 0.5f ? 0.0f : 2.0f * theTime - 1.0f;
}

bool AudioRenderHandler(void* theData, uint64_t* outTime, obs_source_audio_mix* theAudio, uint32_t theMixers,
                        size_t theChannels, size_t theRate)
{
    Dissolve* theDissolve = static_cast<Dissolve*>(theData);
    return obs_transition_audio_render(theDissolve->source, outTime, theAudio, theMixers, theChannels, theRate,
                                       theDissolve->throughColour ? MixColourAHandler : MixCrossAHandler,
                                       theDissolve->throughColour ? MixColourBHandler : MixCrossBHandler);
}

obs_properties_t* GetPropertiesHandler(void*)
{
    return MakeTransitionProperties();
}

} // namespace

obs_source_info DescribeDissolve(bool theThroughColour)
{
    obs_source_info theInfo{};
    theInfo.id = theThroughColour ? cDissolveColourId : cDissolveId;
    theInfo.type = OBS_SOURCE_TYPE_TRANSITION;
    theInfo.get_name = theThroughColour ? GetColourNameHandler : GetDissolveNameHandler;
    theInfo.create = theThroughColour ? CreateColourHandler : CreateDissolveHandler;
    theInfo.destroy = DestroyHandler;
    theInfo.update = UpdateHandler;
    theInfo.get_defaults = SetTransitionDefaults;
    theInfo.get_properties = GetPropertiesHandler;
    theInfo.video_tick = VideoTickHandler;
    theInfo.video_render = VideoRenderHandler;
    theInfo.audio_render = AudioRenderHandler;
    theInfo.video_get_color_space = VideoColorSpaceHandler;
    return theInfo;
}
