#!/usr/bin/env bash
# glintweave configure end to end under Xvfb: the dialog opens on the demo clips, a real drag of
# the region's bottom-right handle and a click on OK, then a render in which only the chosen
# region dissolves. Screenshots of the dialog are kept.
# Usage: configure-e2e.sh <glintweave program> <artifact folder>
set -euo pipefail
glintweave=$1
artifacts=$2
mkdir -p "$artifacts"
for tool in xvfb-run xdotool import convert compare ffmpeg; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

if [ -z "${GLINT_E2E_INSIDE_X:-}" ]; then
  exec env GLINT_E2E_INSIDE_X=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/glint-configure-e2e.XXXXXX)
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"

"$glintweave" demo -o "$work/demo" >/dev/null
a="$work/demo/clip-a.mp4"
b="$work/demo/clip-b.mp4"

"$glintweave" configure --transition cross "$a" "$b" >"$work/configure.out" 2>&1 &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Glintweave Dissolve \(NTSC\)$' | head -n 1)
[ -n "$wid" ] || { echo "FAIL: the dialog did not open" >&2; cat "$work/configure.out" >&2; exit 1; }
sleep 0.5
import -window "$wid" "$artifacts/configure-before.png"

# The region starts as the whole frame: its bottom-right handle is at the preview's corner
# (the preview is 360x240 at 20,20). Drag it to the middle of the preview, then press OK.
xdotool mousemove --window "$wid" 378 258
xdotool mousedown 1
for step in 1 2 3 4 5 6; do
  xdotool mousemove --window "$wid" $((378 - 30 * step)) $((258 - 20 * step))
  sleep 0.05
done
xdotool mouseup 1
sleep 0.3
import -window "$wid" "$artifacts/configure-after-drag.png"
xdotool mousemove --window "$wid" 562 322 click 1
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "FAIL: OK did not close the dialog" >&2; exit 1; fi
wait $pid || { echo "FAIL: configure failed:" >&2; cat "$work/configure.out" >&2; exit 1; }
pid=
[ -s "$XDG_CONFIG_HOME/Tamsel-Prefs" ] || { echo "FAIL: OK saved no settings" >&2; exit 1; }
echo "ok: the dialog closed with OK and saved the settings"

# Render with the saved settings: PNG frames are exact.
mkdir "$work/shots"
"$glintweave" render --transition cross "$a" "$b" -o "$work/shots/shot_%04d.png" >/dev/null
count=$("$glintweave" info | sed -n '/^Cross/,/frames:/s/.*frames: \([0-9]*\) at speed.*/\1/p')
length_a=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$a")
middle=$((count / 2))
shot=$(printf '%s/shots/shot_%04d.png' "$work" $((length_a - count + middle)))
[ -f "$shot" ] || { echo "FAIL: the render has no frame $shot" >&2; exit 1; }
cp "$shot" "$artifacts/configure-render-middle.png"
read -r width height < <(identify -format '%w %h\n' "$shot")

# The clips' frames at the transition's middle, decoded by FFmpeg: outside the region the
# render shows clip B whole, inside about half its pixels have switched from A to B.
ffmpeg -v error -y -i "$b" -vf "select=eq(n\,$middle)" -frames:v 1 "$work/b-middle.png"
ffmpeg -v error -y -i "$a" -vf "select=eq(n\,$((length_a - count + middle)))" -frames:v 1 "$work/a-middle.png"

# Pixels differing by more than the colour conversion can explain, in a crop.
differing() { # file file geometry
  convert "$1" -crop "$3" +repage "$work/crop-1.png"
  convert "$2" -crop "$3" +repage "$work/crop-2.png"
  compare -metric AE -fuzz 6% "$work/crop-1.png" "$work/crop-2.png" null: 2>&1 || true
}
outside="$((width / 2 - 8))x$((height - 8))+$((width / 2 + 4))+4"
inside="$((width / 2 - 16))x$((height / 2 - 16))+8+8"
outside_b=$(differing "$shot" "$work/b-middle.png" "$outside")
inside_a=$(differing "$shot" "$work/a-middle.png" "$inside")
inside_b=$(differing "$shot" "$work/b-middle.png" "$inside")
inside_pixels=$(((width / 2 - 16) * (height / 2 - 16)))
echo "middle frame ${width}x${height}: outside the region $outside_b pixels differ from clip B;" \
     "inside, $inside_a of $inside_pixels differ from clip A and $inside_b from clip B"
awk -v o="$outside_b" -v ia="$inside_a" -v ib="$inside_b" -v n="$inside_pixels" 'BEGIN {
  if (o > 0.001 * n) { print "FAIL: the frame changes outside the region"; exit 1 }
  if (ia < 0.2 * n || ib < 0.2 * n) { print "FAIL: the region does not show a dissolve of both clips"; exit 1 }
}'
echo "PASS: screenshots in $artifacts"
