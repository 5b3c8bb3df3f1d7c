#!/usr/bin/env bash
# End-to-end test of the SDL2 backend under Xvfb: a real shift-drag in a custom control and a
# real click on a real button, with the screenshot checked at known points and kept.
# Usage: sdl-e2e.sh <demo program> <source folder> <artifact folder>
set -euo pipefail
demo=$1
source=$2
artifacts=$3
mkdir -p "$artifacts"
for tool in xvfb-run xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

if [ -z "${GLINT_E2E_INSIDE_X:-}" ]; then
  # -a picks a free display, so parallel runs do not collide.
  exec env GLINT_E2E_INSIDE_X=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

out="$artifacts/sdl-e2e.out"
: >"$out"
"$demo" "$source" >"$out" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

wait_for() { # pattern, seconds
  for _ in $(seq 1 $(($2 * 10))); do
    grep -q "$1" "$out" && return 0
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  echo "FAIL: no \"$1\" from the program; it said:" >&2
  cat "$out" >&2
  exit 1
}

# The colour at window-local x,y of a screenshot, as "r,g,b".
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

expect_pixel() { # file x y r,g,b what
  local got
  got=$(pixel "$1" "$2" "$3")
  if [ "$got" != "$4" ]; then
    echo "FAIL: $5 at $2,$3 is $got, expected $4" >&2
    exit 1
  fi
  echo "ok: $5 at $2,$3 is $got"
}

wait_for '^drawn$' 20
wid=$(xdotool search --sync --onlyvisible --name '^Toolbox E2E$' | head -n 1)
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.3

import -window "$wid" "$artifacts/sdl-e2e-before.png"
expect_pixel "$artifacts/sdl-e2e-before.png" 30 30 128,128,128 "the pad before the drag"
expect_pixel "$artifacts/sdl-e2e-before.png" 5 5 238,237,235 "the window background"
expect_pixel "$artifacts/sdl-e2e-before.png" 274 184 47,123,245 "the default button"
expect_pixel "$artifacts/sdl-e2e-before.png" 274 144 255,255,255 "the Cancel button"

# Shift down, press in the pad, drag in steps, release, Shift up.
xdotool mousemove --window "$wid" 60 60
xdotool keydown shift
xdotool mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove --window "$wid" $((60 + 16 * step)) $((60 + 8 * step))
  sleep 0.05
done
xdotool mouseup 1
xdotool keyup shift
wait_for '^drag from' 10
grep -q '^drag from 60,60 to 140,100 modifiers 0x0200 drags [1-9]' "$out" ||
  { echo "FAIL: the drag was not seen as a shift-drag:" >&2; cat "$out" >&2; exit 1; }
sleep 0.3

import -window "$wid" "$artifacts/sdl-e2e-after-drag.png"
import -window root "$artifacts/sdl-e2e-screen.png"
expect_pixel "$artifacts/sdl-e2e-after-drag.png" 30 30 0,192,0 "the pad after a shift-drag"
expect_pixel "$artifacts/sdl-e2e-after-drag.png" 140 100 255,255,255 "the mark where the drag ended"

# A click on Done sends its command and closes the window.
xdotool mousemove --window "$wid" 306 190 click 1
wait_for '^closed$' 10
grep -q '^command ok  $' "$out" || { echo "FAIL: no command from Done" >&2; cat "$out" >&2; exit 1; }
wait $pid
trap - EXIT
echo "PASS: screenshots in $artifacts"
