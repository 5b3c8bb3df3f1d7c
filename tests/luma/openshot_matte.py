# OpenShot's engine (libopenshot) plays a Glintweave matte as OpenShot's own transitions are
# made: clip A on the upper track over clip B, overlapping by N frames, and a Mask transition
# over the overlap on the upper track, reading the matte, brightness 0. The Mask hides the
# upper clip where the matte is white; with "incoming-on-top" B is the upper clip (and the
# matte must be inverted). Writes every frame as a PNG.
# Usage: python3 openshot_matte.py WIDTH HEIGHT L N A B MATTE OUT_PREFIX [incoming-on-top]
import sys

import openshot

width, height, length, frames = (int(v) for v in sys.argv[1:5])
clip_a, clip_b, matte, prefix = sys.argv[5:9]
rate = openshot.Fraction(25, 1)
timeline = openshot.Timeline(width, height, rate, 48000, 2, openshot.LAYOUT_STEREO)

outgoing = openshot.Clip(clip_a)
outgoing.Position(0.0)
incoming = openshot.Clip(clip_b)
incoming.Position((length - frames) / 25.0)
incoming_on_top = sys.argv[9:] == ["incoming-on-top"]
outgoing.Layer(1 if incoming_on_top else 2)
incoming.Layer(2 if incoming_on_top else 1)
for clip in (outgoing, incoming):
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
