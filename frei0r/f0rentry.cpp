// The frei0r entry points: a two-input mixer that MLT-based editors load as frei0r.glintweave.
#include "mixerinstance.h"

#include "frei0rapi.h"

extern "C" {

int f0r_init(void)
{
    return 1;
}

void f0r_deinit(void) {}

void f0r_get_plugin_info(f0r_plugin_info_t* info)
{
    info->name = "Glintweave";
    info->author = "Glintweave Developers";
    info->plugin_type = F0R_PLUGIN_TYPE_MIXER2;
    info->color_model = F0R_COLOR_MODEL_RGBA8888;
    info->frei0r_version = FREI0R_MAJOR_VERSION;
    info->major_version = 1;
    info->minor_version = 0;
    info->num_params = kParamCount;
    info->explanation = "Random-pixel dissolve: every pixel switches at its own moment, from the first clip to the "
                        "second (cross), to a fill colour (out) or from it (in)";
}

void f0r_get_param_info(f0r_param_info_t* info, int param_index)
{
    GetMixerParamInfo(info, param_index);
}

f0r_instance_t f0r_construct(unsigned int width, unsigned int height)
{
    return NewMixerInstance(width, height);
}

void f0r_destruct(f0r_instance_t instance)
{
    DisposeMixerInstance(static_cast<MixerInstance*>(instance));
}

void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    if (instance) SetMixerParam(&static_cast<MixerInstance*>(instance)->settings, param, param_index);
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    if (instance) GetMixerParam(static_cast<MixerInstance*>(instance)->settings, param, param_index);
}

// Mixers are called through f0r_update2 only; this one keeps hosts that call it anyway safe.
void f0r_update(f0r_instance_t instance, double, const uint32_t* inframe, uint32_t* outframe)
{
    RenderMixerFrame(static_cast<MixerInstance*>(instance), inframe, inframe, outframe);
}

void f0r_update2(f0r_instance_t instance, double, const uint32_t* inframe1, const uint32_t* inframe2,
                 const uint32_t*, uint32_t* outframe)
{
    RenderMixerFrame(static_cast<MixerInstance*>(instance), inframe1, inframe2, outframe);
}

}
