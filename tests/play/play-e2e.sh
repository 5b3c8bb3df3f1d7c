#!/usr/bin/env bash
# glintweave play end to end under Xvfb, with real key events:
# - a short Cross plays to its end by itself in real time (not faster than the movie lasts), its
#   sound on a sound device (SDL's disk device, which plays in real time into a file) from the
#   first sample to the last; without a sound device it plays silently and says so in one line;
# - a larger movie gets a window that fits the screen at the movie's shape; space pauses, Right
#   and Left step a frame, a resized window keeps the picture's shape with black bars, q quits
#   at once with status 0, and --stats counts the frames rendered and shown until then;
# - SIGINT or SIGTERM once it plays stops it in order with the status the signal gives (130,
#   143), as render, and --stats still counts;
# - without a display: one line and status 1.
# A screenshot of the playing window is kept.
# Usage: play-e2e.sh <glintweave program> <artifact folder>
set -euo pipefail
glintweave=$1
artifacts=$2
mkdir -p "$artifacts"
for tool in xvfb-run xdotool import convert compare ffmpeg timeout bc; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

if [ -z "${GLINT_E2E_INSIDE_X:-}" ]; then
  exec env GLINT_E2E_INSIDE_X=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/glint-play-e2e.XXXXXX")
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; [ -n "${GLINT_E2E_KEEP:-}" ] || rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# On a busy machine the render may fall behind, which play rightly notes; the checks of what it
# said leave that note out.
said() { cat "$@" | grep -v '^glintweave: note: the render cannot keep up' || true; }
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
export XDG_CONFIG_HOME="$work/config"

clip() { # name pattern seconds tone
  ffmpeg -v error -y -f lavfi -i "$2=size=320x240:rate=30000/1001" -f lavfi -i "sine=frequency=$4:sample_rate=48000" \
    -t "$3" -c:v libx264 -pix_fmt yuv420p -c:a aac "$work/$1.mp4"
}
clip a testsrc2 1 440
clip b smptebars 1 660
clip long-a testsrc2 5 440
clip long-b smptebars 5 660
now() { date +%s.%N; }
at_least() { [ "$(echo "$1 >= $2" | bc)" = 1 ]; }

# 30 + 30 frames with 10 of them shared by the Cross: 50 frames at 30000/1001 are 1.668 s, and
# their sound 80080 samples.
start=$(now)
status=0
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" timeout 60 \
  "$glintweave" play --transition cross --frames 10 "$work/a.mp4" "$work/b.mp4" >"$work/out" 2>"$work/err" || status=$?
took=$(echo "$(now) - $start" | bc)
[ "$status" = 0 ] || fail "play ended with $status (124 is a hang): $(cat "$work/err")"
[ -z "$(said "$work/out" "$work/err")" ] || fail "play with a sound device said: $(cat "$work/out" "$work/err")"
at_least "$took" 1.6 || fail "a movie of 1.668 s played in $took s"
# The device plays silence before the movie starts and after it ends, and in a moment where the
# render falls behind (the picture waits too); the movie's sound is all the rest.
total=$(echo "$(stat -c %s "$work/sound.raw") / 384000" | bc -l)
silent=$(ffmpeg -hide_banner -f f32le -ar 48000 -ac 2 -i "$work/sound.raw" -af silencedetect=n=-50dB:d=0.01 \
           -f null - 2>&1 | awk '/silence_duration/ { s += $NF } END { print s + 0 }')
length=$(printf "%.3f" "$(echo "$total - $silent" | bc -l)")
at_least "$length" 1.64 && at_least 1.70 "$length" || fail "the sound played lasted $length s, not 1.668 s"
echo "ok: a 1.668 s Cross played to its end in $took s, with $length s of its sound on the sound device"

# Without a sound device: silently, at the same pace, with one line that says so.
start=$(now)
status=0
SDL_AUDIODRIVER=none-such timeout 60 "$glintweave" play --transition cross --frames 10 "$work/a.mp4" "$work/b.mp4" \
  >"$work/out" 2>"$work/err" || status=$?
took=$(echo "$(now) - $start" | bc)
[ "$status" = 0 ] || fail "play without sound ended with $status: $(cat "$work/err")"
case "$(said "$work/out" "$work/err")" in
  "glintweave: note: no sound device, so the movie plays silently ("*")") ;;
  *) fail "play without a sound device said: $(cat "$work/out" "$work/err")" ;;
esac
at_least "$took" 1.6 || fail "a movie of 1.668 s played silently in $took s"
echo "ok: without a sound device it played silently in $took s and said so in one line"

# What --stats says an early stop rendered and showed: some frames, none shown unrendered.
stats_counted() { # stderr file
  local counts rendered shown
  counts=$(sed -n 's/^play: \([0-9]*\) frames rendered, \([0-9]*\) shown, .*/\1 \2/p' "$1")
  read -r rendered shown <<<"$counts" || true
  [ "${shown:-0}" -gt 0 ] && [ "$rendered" -ge "$shown" ] || fail "play --stats said: $(cat "$1")"
  echo "$rendered frames rendered, $shown shown"
}

# 150 + 150 - 30 frames, 9 s, at 1280x720: the window fits the 1024x768 screen at 16:9.
SDL_AUDIODRIVER=none-such "$glintweave" play --stats --transition cross --frames 30 --size 1280x720 \
  "$work/long-a.mp4" "$work/long-b.mp4" >"$work/out" 2>"$work/err" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^long-a\.mp4, long-b\.mp4 - ' | head -n 1)
[ -n "$wid" ] || fail "the window did not open: $(cat "$work/err")"
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" -le 1024 ] && [ "$HEIGHT" -le 768 ] && [ $((WIDTH * 9 / 16 - HEIGHT)) -ge -2 ] &&
  [ $((WIDTH * 9 / 16 - HEIGHT)) -le 2 ] || fail "a 1280x720 movie got a window of ${WIDTH}x${HEIGHT}"
echo "ok: the 1280x720 movie plays in a window of ${WIDTH}x${HEIGHT}"
sleep 1
import -window root "$artifacts/play-window.png"

title() { xdotool getwindowname "$wid"; }
paused_frame() { title | sed -n 's/.* - paused, frame \([0-9]*\).*/\1/p'; }
wait_title() { # pattern: waits up to 10 s for the title to match
  for _ in $(seq 1 100); do title | grep -q "$1" && return 0; sleep 0.1; done
  fail "the title stayed '$(title)', waiting for '$1'"
}
xdotool key --window "$wid" space
wait_title ' - paused, frame '
paused=$(paused_frame)
import -window "$wid" "$work/paused.png"
sleep 0.5
[ "$(paused_frame)" = "$paused" ] || fail "the movie went on while paused"
xdotool key --window "$wid" --delay 100 Right Right
wait_title " - paused, frame $((paused + 2))"
import -window "$wid" "$work/stepped.png"
xdotool key --window "$wid" --delay 100 Left Left
wait_title " - paused, frame $paused"
import -window "$wid" "$work/back.png"
[ "$(compare -metric AE "$work/paused.png" "$work/stepped.png" null: 2>&1 || true)" -gt 1000 ] ||
  fail "Right did not change the picture"
[ "$(compare -metric AE "$work/paused.png" "$work/back.png" null: 2>&1 || true)" = 0 ] ||
  fail "Left did not come back to the paused frame"
echo "ok: space paused at frame $paused; Right and Left stepped to $((paused + 2)) and back"

# A square window: the picture keeps its shape, black above and below it.
xdotool windowsize "$wid" 400 400
letterboxed() {
  [ "$(convert "$1" -format '%w,%h,%[fx:int(255*p{200,20}.r)],%[fx:int(255*p{200,20}.g)]' info:)" = 400,400,0,0 ] &&
    [ "$(convert "$1" -format '%[fx:int(255*(p{200,100}.r+p{200,100}.g+p{200,100}.b))]' info:)" -gt 0 ]
}
for _ in $(seq 1 40); do
  import -window "$wid" "$work/square.png"
  letterboxed "$work/square.png" && break
  sleep 0.25
done
letterboxed "$work/square.png" || fail "a square window does not show the picture between black bars"
cp "$work/square.png" "$artifacts/play-square-window.png"
echo "ok: a square window letterboxes the picture"

xdotool key --window "$wid" space
wait_title ' - [0-9:.]* / 0:09.0$'
before_q=$(title)
# A busy X server now and then refuses the first key (BadWindow); what counts is that q quits.
xdotool key --window "$wid" q 2>/dev/null || { sleep 0.2; xdotool key --window "$wid" q 2>/dev/null || true; }
for _ in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "q did not quit within 5 s"
status=0
wait $pid || status=$?
pid=
[ "$status" = 0 ] || fail "play ended with $status after q: $(cat "$work/err")"
[ -z "$(said "$work/err" | grep -v -e '^glintweave: note: no sound device' -e '^play: ')" ] ||
  fail "play said: $(cat "$work/err")"
echo "ok: q quit at once with status 0, at '$before_q', $(stats_counted "$work/err")"

# Ctrl-C and SIGTERM while it plays: SDL's quit stops the player in order, then the signal ends it.
# (A job the script starts in the background would ignore SIGINT, as a terminal's never does.)
for signal in INT TERM; do
  env --default-signal=INT SDL_AUDIODRIVER=none-such "$glintweave" play --stats --transition cross --frames 30 \
    "$work/long-a.mp4" "$work/long-b.mp4" >"$work/out" 2>"$work/err" &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^long-a\.mp4, long-b\.mp4 - ' | head -n 1)
  [ -n "$wid" ] || fail "the window did not open: $(cat "$work/err")"
  wait_title ' - 0:01'
  kill -s "$signal" $pid
  for _ in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && fail "SIG$signal did not stop play within 5 s"
  status=0
  wait $pid || status=$?
  pid=
  expected=$((128 + $(kill -l "$signal")))
  [ "$status" = "$expected" ] || fail "play ended with $status after SIG$signal, not $expected: $(cat "$work/err")"
  echo "ok: SIG$signal stopped play with status $status, $(stats_counted "$work/err")"
done

# No display: one line, no window nobody can see.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 30 "$glintweave" play --transition cross --frames 10 "$work/a.mp4" \
  "$work/b.mp4" >"$work/none.out" 2>&1 || status=$?
said=$(cat "$work/none.out")
[ "$status" = 1 ] &&
  [ "$said" = "glintweave play: cannot open a window: no display (DISPLAY and WAYLAND_DISPLAY are not set)" ] ||
  fail "play without a display ended with $status and said: $said"
echo "ok: without a display: $said"
echo "PASS: screenshots in $artifacts"
