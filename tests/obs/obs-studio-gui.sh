#!/usr/bin/env bash
# OBS Studio itself under Xvfb after 'glintweave install --user' in a private HOME: its log must
# name the module as loaded, and the module must not complain. With a second argument, also
# keeps screenshots of the Scene Transitions list (that file) and of a transition's properties
# (the same name ending in -properties.png). Run by hand for those; it clicks at places in OBS
# Studio 29's default layout on a 1280x800 screen:
#   tests/obs/obs-studio-gui.sh build/native/glintweave docs/images/obs-transitions.png
set -euo pipefail
glintweave=$(realpath "$1")
screenshot=${2:+$(realpath -m "$2")}
for tool in obs xvfb-run xdotool import convert timeout; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

if [ -z "${GLINT_GUI_INSIDE_X:-}" ]; then
  exec env GLINT_GUI_INSIDE_X=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/glint-obs-gui.XXXXXX")
pid=
trap 'if [ -n "$pid" ]; then kill $pid 2>/dev/null; wait $pid 2>/dev/null || true; fi; rm -rf "$work"' EXIT
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME
# Qt makes a runtime folder in TMPDIR when there is none.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
config="$HOME/.config/obs-studio"
mkdir -p "$config/basic/scenes"
"$glintweave" install --user >"$work/install.out"
# No first-run wizard; a scene collection holding both transitions, Through Colour current.
printf '[General]\nFirstRun=true\nLastVersion=486539266\n[Basic]\nSceneCollection=Glintweave\nSceneCollectionFile=Glintweave\n' \
  >"$config/global.ini"
cat >"$config/basic/scenes/Glintweave.json" <<'JSON'
{
  "name": "Glintweave",
  "current_scene": "Scene",
  "current_program_scene": "Scene",
  "scene_order": [{"name": "Scene"}],
  "sources": [{"id": "scene", "versioned_id": "scene", "name": "Scene", "settings": {"items": []}}],
  "current_transition": "Glintweave Dissolve Through Colour",
  "transition_duration": 1000,
  "transitions": [
    {"id": "glintweave_dissolve", "name": "Glintweave Dissolve", "settings": {"duration_ms": 1000}},
    {"id": "glintweave_dissolve_colour", "name": "Glintweave Dissolve Through Colour",
     "settings": {"duration_ms": 1200, "fill": 4278233855, "left": 10, "right": 90}}
  ]
}
JSON

obs --multi --disable-missing-files-check --collection Glintweave >"$work/obs.out" 2>&1 &
pid=$!
wid=$(timeout 90 xdotool search --sync --name '^OBS ' | head -n 1 || true)
[ -n "$wid" ] || { echo "FAIL: OBS Studio did not open" >&2; tail "$work/obs.out" >&2; exit 1; }
sleep 5
log=$(ls -t "$config"/logs/*.txt 2>/dev/null | head -n 1 || true)
[ -n "$log" ] || { echo "FAIL: OBS Studio wrote no log" >&2; exit 1; }
grep -q "glintweave.so" "$log" || { echo "FAIL: the log does not name glintweave.so ($log)" >&2; exit 1; }
if grep -q "\[glintweave\]" "$log"; then
  echo "FAIL: the module complained:" >&2
  grep "\[glintweave\]" "$log" >&2
  exit 1
fi
echo "OBS Studio's log names the module:"
grep -n "glintweave" "$log"

if [ -n "$screenshot" ]; then
  # No window manager: size the window by hand to fill the screen.
  xdotool windowsize --sync "$wid" 1280 800 windowmove --sync "$wid" 0 0
  sleep 3
  # The Scene Transitions dock's list, opened.
  xdotool mousemove 945 604 click 1
  sleep 2
  import -window root "$screenshot"
  xdotool key Escape
  sleep 1
  # Its menu, then Properties: the current transition's properties dialog.
  xdotool mousemove 1008 635 click 1
  sleep 2
  xdotool mousemove 1050 686 click 1
  dialog=$(timeout 30 xdotool search --sync --name 'Glintweave Dissolve Through Colour' | tail -n 1 || true)
  [ -n "$dialog" ] || { echo "FAIL: no properties dialog" >&2; exit 1; }
  sleep 3
  import -window root "${screenshot%.png}-properties.png"
  echo "screenshots: $screenshot ${screenshot%.png}-properties.png"
fi
