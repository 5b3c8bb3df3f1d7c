# OpenShot's engine (libopenshot) plays a Glintweave matte as OpenShot's own transitions are
# made: clip A on the upper track over clip B, overlapping by N frames, and a Mask transition
# over the overlap on A's track, reading the matte, brightness 0. Writes every frame as a PNG.
# Usage: python3 openshot_matte.py WIDTH HEIGHT L N A B MATTE OUT_PREFIX
import sys

import openshot

width, height, length, frames = (int(v) for v in sys.argv[1:5])
clip_a, clip_b, matte, prefix = sys.argv[5:9]
rate = openshot.Fraction(25, 1)
timeline = openshot.Timeline(width, height, rate, 48000, 2, openshot.LAYOUT_STEREO)

upper = openshot.Clip(clip_a)
upper.Layer(2)
upper.Position(0.0)
lower = openshot.Clip(clip_b)
lower.Layer(1)
lower.Position((length - frames) / 25.0)
for clip in (upper, lower):
    clip.End(length / 25.0)
    timeline.AddClip(clip)

reader = openshot.FFmpegReader(matte)
mask = openshot.Mask(reader, openshot.Keyframe(0.0), openshot.Keyframe(0.0))
mask.Layer(2)
mask.Position((length - frames) / 25.0)
mask.End(frames / 25.0)
timeline.AddEffect(mask)

timeline.Open()
for number in range(1, 2 * length - frames + 1):
    timeline.GetFrame(number).Save("%s%04d.png" % (prefix, number - 1), 1.0, "PNG", 100)
timeline.Close()
