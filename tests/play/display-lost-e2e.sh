#!/usr/bin/env bash
# play and configure when their display goes away: the window's connection killed (as xkill and
# a window manager's "kill" do) or the X server ended. Each says one line, ends with status 1,
# and never aborts or leaves a core.
# Usage: display-lost-e2e.sh <glintweave program>
set -euo pipefail
glintweave=$1
for tool in Xvfb xdotool ffmpeg timeout; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/glint-display-lost.XXXXXX")
pid= server=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; [ -n "$server" ] && kill $server 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
export XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=none-such
unset WAYLAND_DISPLAY

for clip in a b; do
  ffmpeg -v error -f lavfi -i "testsrc2=size=320x240:rate=25:duration=20" -c:v libx264 -pix_fmt yuv420p "$work/$clip.mp4"
done

start_server() { # sets $server and DISPLAY
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  server=$!
  for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(cat "$work/display")"
}

#  command   how the display goes away   title of its window
cases=(
  "play      connection  ^a\.mp4, b\.mp4 - "
  "play      server      ^a\.mp4, b\.mp4 - "
  "configure connection  ^Glintweave Dissolve"
  "configure server      ^Glintweave Dissolve"
)
for row in "${cases[@]}"; do
  read -r command how title <<<"$row"
  start_server
  rm -f "$work"/core*
  # In the work folder with cores allowed, so that an abort would leave one there.
  (cd "$work" && ulimit -c unlimited && exec "$glintweave" "$command" --transition cross a.mp4 b.mp4) \
    >"$work/out" 2>"$work/err" &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "$title" | head -n 1)
  [ -n "$wid" ] || fail "$command: no window: $(cat "$work/err")"
  sleep 0.5
  case $how in
    connection) xdotool windowkill "$wid" ;;
    server) kill $server ;;
  esac
  for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && fail "$command, $how: still running 10 s after the display went away"
  status=0
  wait $pid || status=$?
  pid=
  kill $server 2>/dev/null || true
  wait $server 2>/dev/null || true
  server=
  said=$(grep -v '^glintweave: note: ' "$work/err" || true)
  [ "$status" = 1 ] || fail "$command, $how: ended with $status; it said: $said"
  [ "$said" = "glintweave $command: lost the display" ] || fail "$command, $how: said: $said"
  ! ls "$work"/core* >/dev/null 2>&1 || fail "$command, $how: left a core"
  echo "ok: $command, $how: status 1, '$said'"
done
echo "PASS"
