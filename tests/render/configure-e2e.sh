#!/usr/bin/env bash
# glintweave configure end to end under Xvfb, with real key and mouse events:
# - the settings folder is missing at first and the program makes it (mode 0700); the demo runs on
#   the defaults in a folder of its own and never touches it;
# - '>', Right, '<' and Left scrub the preview; the colour picker's hex field takes a shifted '#'
#   and capitals and edits with Backspace; a drag of the region's handle; OK saves and says so;
# - the saved settings reach a render: the region dissolves, the fill colour is the one typed;
# - Cancel says the settings are unchanged and leaves the file as it was; a settings folder that
#   cannot be made gives one line and a failure after OK;
# - a display that cannot be opened, or none, gives one line and a failure, never a hang.
# Screenshots of the dialog and the picker are kept.
# Usage: configure-e2e.sh <glintweave program> <artifact folder>
set -euo pipefail
glintweave=$1
artifacts=$2
mkdir -p "$artifacts"
for tool in xvfb-run xdotool import convert compare ffmpeg timeout; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

if [ -z "${GLINT_E2E_INSIDE_X:-}" ]; then
  exec env GLINT_E2E_INSIDE_X=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/glint-configure-e2e.XXXXXX")
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; [ -n "${GLINT_E2E_KEEP:-}" ] || rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
export XDG_CONFIG_HOME="$work/home/config"
prefs="$XDG_CONFIG_HOME/Tamsel-Prefs"

"$glintweave" demo -o "$work/demo" >/dev/null
[ ! -e "$work/home" ] || fail "demo made or used the user's settings folder"
a="$work/demo/clip-a.mp4"
b="$work/demo/clip-b.mp4"

# The colour at x,y of a picture, as "r,g,b".
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]" info:
}
expect_pixel() { # file x y r,g,b what
  local got
  got=$(pixel "$1" "$2" "$3")
  [ "$got" = "$4" ] || fail "$5 at $2,$3 is $got, expected $4"
  echo "ok: $5 is $got"
}
expect_window_pixel() { # window file x y r,g,b what: waits up to 10 s for the colour to show
  for _ in $(seq 1 40); do
    import -window "$1" "$2"
    [ "$(pixel "$2" "$3" "$4")" = "$5" ] && break
    sleep 0.25
  done
  expect_pixel "$2" "$3" "$4" "$5" "$6"
}
differing() { # file file: the number of pixels that differ
  compare -metric AE "$1" "$2" null: 2>&1 || true
}
start_configure() { # transition clips...: starts the dialog, sets $wid
  "$glintweave" configure --transition "$@" >"$work/configure.out" 2>&1 &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Glintweave Dissolve \(NTSC\)$' | head -n 1)
  [ -n "$wid" ] || { cat "$work/configure.out" >&2; fail "the dialog did not open"; }
  sleep 0.5
}
finish_configure() { # expected exit status: waits for the program to end, sets $said
  for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && fail "the dialog did not close"
  local status=0
  wait $pid || status=$?
  pid=
  said=$(cat "$work/configure.out")
  [ "$status" = "$1" ] || fail "configure ended with $status, expected $1; it said: $said"
  [ "$(printf '%s\n' "$said" | wc -l)" = 1 ] || fail "configure said more than one line: $said"
}
shot() { # name: the dialog once it has not changed for a second (a busy machine renders late)
  local previous="$work/settle-previous.png" still=0
  import -window "$wid" "$previous"
  for _ in $(seq 1 60); do
    sleep 0.25
    import -window "$wid" "$work/$1.png"
    if [ "$(differing "$previous" "$work/$1.png")" = 0 ]; then
      still=$((still + 1))
      [ $still -ge 4 ] && return 0
    else
      still=0
      cp "$work/$1.png" "$previous"
    fi
  done
  fail "the dialog kept changing"
}
shot_like() { # name expected: the dialog once it looks like the expected picture, else as it is
  for _ in $(seq 1 40); do
    import -window "$wid" "$work/$1.png"
    [ "$(differing "$2" "$work/$1.png")" = 0 ] && return 0
    sleep 0.25
  done
}

start_configure cross "$a" "$b"
[ "$(stat -c %a "$XDG_CONFIG_HOME")" = 700 ] || fail "the settings folder was not made with mode 0700"
echo "ok: the program made the missing settings folder, mode 0700"
shot frame-0
cp "$work/frame-0.png" "$artifacts/configure-before.png"

# Each key moves the preview one frame; going back by the same number of frames gives the same
# picture, so the keys scrub by frames in both directions.
xdotool key --window "$wid" --delay 150 greater greater greater
shot frame-3
cp "$work/frame-3.png" "$artifacts/configure-keys-frame-3.png"
xdotool key --window "$wid" --delay 150 Right Right Right
shot frame-6
xdotool key --window "$wid" --delay 150 less less less
shot_like back-3 "$work/frame-3.png"
xdotool key --window "$wid" --delay 150 Left Left Left
shot_like back-0 "$work/frame-0.png"
[ "$(differing "$work/frame-0.png" "$work/frame-3.png")" -gt 1000 ] || fail "'>' did not change the preview"
[ "$(differing "$work/frame-3.png" "$work/frame-6.png")" -gt 1000 ] || fail "Right did not change the preview"
[ "$(differing "$work/frame-3.png" "$work/back-3.png")" = 0 ] || fail "'<' did not go back frame by frame"
[ "$(differing "$work/frame-0.png" "$work/back-0.png")" = 0 ] || fail "Left did not go back frame by frame"
echo "ok: '>', Right, '<' and Left scrub the preview"

# The region starts as the whole frame: its bottom-right handle is at the preview's corner
# (the preview is 360x240 at 20,20). Drag it to the middle of the preview.
xdotool mousemove --window "$wid" 378 258
xdotool mousedown 1
for step in 1 2 3 4 5 6; do
  xdotool mousemove --window "$wid" $((378 - 30 * step)) $((258 - 20 * step))
  sleep 0.05
done
xdotool mouseup 1
shot after-drag
cp "$work/after-drag.png" "$artifacts/configure-after-drag.png"

# The fill colour box opens the picker. "#FFA000" is typed with Shift for '#' and the capitals;
# two Backspaces and "80" make it "#FFA080".
xdotool mousemove --window "$wid" 434 50 click 1
picker=$(timeout 10 xdotool search --sync --onlyvisible --name '^Colors$' | head -n 1)
[ -n "$picker" ] || fail "the colour picker did not open"
sleep 0.4
xdotool type --window "$picker" --delay 80 '#FFA000'
expect_window_pixel "$picker" "$artifacts/configure-picker-typed.png" 58 90 255,160,0 "the swatch after typing #FFA000"
xdotool key --window "$picker" --delay 80 BackSpace BackSpace
xdotool type --window "$picker" --delay 80 '80'
expect_window_pixel "$picker" "$artifacts/configure-picker-edited.png" 58 90 255,160,128 \
  "the swatch after Backspace twice and 80"
xdotool key --window "$picker" Return
expect_window_pixel "$wid" "$work/picked.png" 434 50 255,160,128 "the fill colour box"

xdotool mousemove --window "$wid" 562 322 click 1
finish_configure 0
[ "$said" = "saved to $prefs: 'glintweave render' uses the new settings" ] || fail "OK said: $said"
[ -s "$prefs" ] || fail "OK saved no settings"
echo "ok: OK saved the settings and said so"

# The demo still runs on the defaults, and leaves the saved settings alone.
cp "$prefs" "$work/saved-prefs"
"$glintweave" demo -o "$work/demo-again" >/dev/null
cmp -s "$work/demo/contact-sheet.png" "$work/demo-again/contact-sheet.png" ||
  fail "the demo's contact sheet changed with the user's saved settings"
cmp -s "$prefs" "$work/saved-prefs" || fail "the demo changed the saved settings"
echo "ok: the demo ignores and keeps the saved settings"

# Render with the saved settings: PNG frames are exact.
mkdir "$work/shots" "$work/in-shots"
"$glintweave" render --transition in "$a" -o "$work/in-shots/shot_%04d.png" >/dev/null
expect_pixel "$work/in-shots/shot_0000.png" 8 8 255,160,128 "the first frame of In inside the region"
"$glintweave" render --transition cross "$a" "$b" -o "$work/shots/shot_%04d.png" >/dev/null
count=$("$glintweave" info | sed -n '/^Cross/,/frames:/s/.*frames: \([0-9]*\) at speed.*/\1/p')
length_a=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$a")
middle=$((count / 2))
shot=$(printf '%s/shots/shot_%04d.png' "$work" $((length_a - count + middle)))
[ -f "$shot" ] || fail "the render has no frame $shot"
cp "$shot" "$artifacts/configure-render-middle.png"
read -r width height < <(identify -format '%w %h\n' "$shot")

# The clips' frames at the transition's middle, decoded by FFmpeg: outside the region the
# render shows clip B whole, inside about half its pixels have switched from A to B.
ffmpeg -v error -y -i "$b" -vf "select=eq(n\,$middle)" -frames:v 1 "$work/b-middle.png"
ffmpeg -v error -y -i "$a" -vf "select=eq(n\,$((length_a - count + middle)))" -frames:v 1 "$work/a-middle.png"

# Pixels differing by more than the colour conversion can explain, in a crop.
differing_in() { # file file geometry
  convert "$1" -crop "$3" +repage "$work/crop-1.png"
  convert "$2" -crop "$3" +repage "$work/crop-2.png"
  compare -metric AE -fuzz 6% "$work/crop-1.png" "$work/crop-2.png" null: 2>&1 || true
}
outside="$((width / 2 - 8))x$((height - 8))+$((width / 2 + 4))+4"
inside="$((width / 2 - 16))x$((height / 2 - 16))+8+8"
outside_b=$(differing_in "$shot" "$work/b-middle.png" "$outside")
inside_a=$(differing_in "$shot" "$work/a-middle.png" "$inside")
inside_b=$(differing_in "$shot" "$work/b-middle.png" "$inside")
inside_pixels=$(((width / 2 - 16) * (height / 2 - 16)))
echo "middle frame ${width}x${height}: outside the region $outside_b pixels differ from clip B;" \
     "inside, $inside_a of $inside_pixels differ from clip A and $inside_b from clip B"
awk -v o="$outside_b" -v ia="$inside_a" -v ib="$inside_b" -v n="$inside_pixels" 'BEGIN {
  if (o > 0.001 * n) { print "FAIL: the frame changes outside the region"; exit 1 }
  if (ia < 0.2 * n || ib < 0.2 * n) { print "FAIL: the region does not show a dissolve of both clips"; exit 1 }
}'

# Cancel (Escape) after a change: nothing is written, and the program says so.
start_configure in "$a"
xdotool key --window "$wid" greater
xdotool mousemove --window "$wid" 503 202 click 1 # Whole Frame
sleep 0.3
xdotool key --window "$wid" Escape
finish_configure 0
[ "$said" = "cancelled: the settings are unchanged" ] || fail "Cancel said: $said"
cmp -s "$prefs" "$work/saved-prefs" || fail "Cancel changed the saved settings"
echo "ok: Cancel left the settings file as it was and said so"

# A settings folder that cannot be made: OK cannot save, and the program says why.
touch "$work/not-a-folder"
XDG_CONFIG_HOME="$work/not-a-folder/config" start_configure out "$a"
xdotool key --window "$wid" Return
finish_configure 1
case "$said" in
  "glintweave configure: the settings were not saved: the settings folder $work/not-a-folder/config cannot be made"*) ;;
  *) fail "OK without a settings folder said: $said" ;;
esac
echo "ok: without a settings folder: $said"

# A display that cannot be opened: one line and a failure, never a dialog nobody can see.
dead=150
while [ -e "/tmp/.X11-unix/X$dead" ] || [ -e "/tmp/.X$dead-lock" ]; do dead=$((dead + 1)); done
status=0
DISPLAY=":$dead" timeout 30 "$glintweave" configure --transition out "$a" >"$work/dead.out" 2>&1 || status=$?
said=$(cat "$work/dead.out")
[ "$status" = 1 ] || fail "configure on a dead display ended with $status (124 is a hang): $said"
[ "$said" = "glintweave configure: cannot open the dialog: the X display ':$dead' cannot be opened" ] ||
  fail "configure on a dead display said: $said"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 30 "$glintweave" configure --transition out "$a" >"$work/none.out" 2>&1 || status=$?
said=$(cat "$work/none.out")
[ "$status" = 1 ] && [ "$said" = "glintweave configure: cannot open the dialog: no display (DISPLAY and WAYLAND_DISPLAY are not set)" ] ||
  fail "configure without a display ended with $status and said: $said"
echo "ok: a dead display and no display each give one line and status 1"
echo "PASS: screenshots in $artifacts"
