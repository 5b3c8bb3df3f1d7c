# Blender's video sequencer plays a Glintweave matte: clip A on channel 1, clip B over it on
# channel 2 from the transition's start, cut where the transition ends, its first part with a
# Mask modifier reading the matte (a muted strip on channel 3) and Alpha Over; view transform Standard and no dither, so that pixels keep their
# values. Renders every frame as a PNG.
# Usage: blender -b --factory-startup -noaudio --python blender_matte.py -- WIDTH HEIGHT L N A B MATTE OUT_PREFIX
import sys

import bpy

arguments = sys.argv[sys.argv.index("--") + 1:]
width, height, length, frames = (int(v) for v in arguments[0:4])
clip_a, clip_b, matte, prefix = arguments[4:8]

scene = bpy.context.scene
scene.render.resolution_x = width
scene.render.resolution_y = height
scene.render.resolution_percentage = 100
scene.render.fps = 25
scene.render.fps_base = 1.0
scene.render.dither_intensity = 0.0
scene.view_settings.view_transform = "Standard"
scene.view_settings.look = "None"
scene.view_settings.exposure = 0.0
scene.view_settings.gamma = 1.0
scene.render.image_settings.file_format = "PNG"
scene.render.image_settings.color_mode = "RGB"
scene.render.image_settings.color_depth = "8"
scene.render.image_settings.compression = 0
scene.render.filepath = prefix + "####"
scene.frame_start = 1
scene.frame_end = 2 * length - frames

editor = scene.sequence_editor_create()
start = 1 + length - frames
editor.sequences.new_movie("A", clip_a, channel=1, frame_start=1, fit_method="ORIGINAL")
incoming = editor.sequences.new_movie("B", clip_b, channel=2, frame_start=start, fit_method="ORIGINAL")
mask = editor.sequences.new_movie("Matte", matte, channel=3, frame_start=start, fit_method="ORIGINAL")
mask.mute = True
# The matte covers the transition only: B is cut where it ends, and the part after plays as it is.
incoming.split(frame=start + frames, split_method="SOFT")
incoming.blend_type = "ALPHA_OVER"
modifier = incoming.modifiers.new("Glintweave", "MASK")
modifier.input_mask_type = "STRIP"
modifier.input_mask_strip = mask

bpy.ops.render.render(animation=True)
