#!/usr/bin/env bash
# play without XDG_RUNTIME_DIR (a login without a session manager, su, cron): the sound client
# finds no device here, and nothing of its making is left in $TMPDIR or ~/.config/pulse.
# Usage: sound-runtime-e2e.sh <glintweave program>
set -euo pipefail
glintweave=$1
for tool in xvfb-run ffmpeg timeout; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

if [ -z "${GLINT_E2E_INSIDE_X:-}" ]; then
  exec env GLINT_E2E_INSIDE_X=1 xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/glint-sound-runtime.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
mkdir "$work/home" "$work/tmp"
for clip in a b; do
  ffmpeg -v error -f lavfi -i "testsrc2=size=160x120:rate=25:duration=1" -f lavfi -i "sine=duration=1" \
    -c:v libx264 -pix_fmt yuv420p -c:a aac "$work/$clip.mp4"
done

status=0
env -u XDG_RUNTIME_DIR -u XDG_CONFIG_HOME -u SDL_AUDIODRIVER HOME="$work/home" TMPDIR="$work/tmp" \
  timeout 60 "$glintweave" play --transition cross --frames 5 "$work/a.mp4" "$work/b.mp4" >"$work/out" 2>&1 || status=$?
[ "$status" = 0 ] || fail "play ended with $status: $(cat "$work/out")"
left=$(cd "$work" && find tmp home -mindepth 1 ! -path home/.config ! -path home/.config/Tamsel-Prefs)
[ -z "$left" ] || fail "play left: $left"
echo "ok: nothing left in \$TMPDIR or ~/.config but the settings"
echo "PASS"
