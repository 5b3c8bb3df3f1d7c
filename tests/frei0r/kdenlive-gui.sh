#!/usr/bin/env bash
# Kdenlive's window under Xvfb after 'glintweave install': Glintweave and Glintweave (automatic)
# in the Compositions list, and a Glintweave composition selected on the timeline with its
# parameter panel and the project monitor half way through the dissolve. Kept as a screenshot.
# Run by hand (about a minute; it clicks at places in Kdenlive 22.12's default layout on a
# 1600x1000 screen, so another Kdenlive may need other places):
#   tests/frei0r/kdenlive-gui.sh build/native/glintweave docs/images/kdenlive-glintweave.png
set -euo pipefail
glintweave=$(realpath "$1")
screenshot=$(realpath -m "$2")
top=$(cd "$(dirname "$0")/../.." && pwd)
for tool in kdenlive dbus-run-session xvfb-run xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

if [ -z "${GLINT_GUI_INSIDE_X:-}" ]; then
  exec env GLINT_GUI_INSIDE_X=1 xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/glint-kdenlive-gui.XXXXXX")
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
# A home of its own: a fresh Kdenlive with the window filling the screen, and no FREI0R_PATH.
export HOME="$work/home"
unset FREI0R_PATH XDG_DATA_HOME XDG_CONFIG_HOME
mkdir -p "$HOME/.config"
printf '[MainWindow]\n1600x1000 screen: Height=1000\n1600x1000 screen: Width=1600\n' >"$HOME/.config/kdenliverc"
"$glintweave" install --user

# The test project with the keyframable composition, progress keyed from 0 to 1.
# The timeline zoomed in on the clips, and the playhead half way through the composition.
sed -e 's#>glintweave_automatic<#>frei0r.glintweave<#' -e 's#<property name="0">0=0;-1=1<#<property name="0">00:00:00.000=0;00:00:00.760=1<#' \
  -e 's#^  <property name="xml_retain">1</property>#&\n  <property name="kdenlive:docproperties.zoom">1</property>\n  <property name="kdenlive:docproperties.position">29</property>#' \
  "$top/tests/frei0r/twoclips.kdenlive" >"$work/glintweave.kdenlive"

dbus-run-session kdenlive "$work/glintweave.kdenlive" >"$work/kdenlive.log" 2>&1 &
pid=$!
wid=$(timeout 60 xdotool search --sync --name 'Kdenlive$' | head -n 1 || true)
[ -n "$wid" ] || { echo "FAIL: Kdenlive did not open" >&2; tail "$work/kdenlive.log" >&2; exit 1; }
sleep 20 # loading the project and its thumbnails

# 1 when the share of picture $1's area $2 that is near colour $3 passes the test $4 ("> 0.5"), else 0.
share() {
  convert "$1" -crop "$2" +repage -fuzz 20% -fill white -opaque "$3" -fill black +opaque white \
    -format "%[fx:mean $4]" info:
}
# Clicks at x y until the screen passes the share test $3 $4 $5; a busy Kdenlive drops clicks.
click_until() {
  for try in $(seq 10); do
    xdotool mousemove "$1" "$2" click 1
    sleep 2
    import -window root "$work/screen.png"
    [ "$(share "$work/screen.png" "$3" "$4" "$5")" = 1 ] && return 0
  done
  echo "FAIL: $6 ($work/screen.png)" >&2
  cp "$work/screen.png" "$screenshot"
  exit 1
}
# The Compositions tab, until the bin's red clip thumbnail has given way to the list.
click_until 147 471 40x40+25+95 '#C82828' '< 0.1' "the Compositions tab did not open"
xdotool mousemove 66 405 click 1 # Glintweave in the list
sleep 1
# The composition, until its parameter panel shows the blue fill colour swatch.
click_until 806 680 150x8+1420+581 '#0000FF' '> 0.9' "no parameter panel"
sleep 2
import -window root "$screenshot"
# The project monitor shows both clips' colours, each on a good share of it (the monitor scales
# the small frame smoothly, so the colours are matched loosely).
[ "$(share "$screenshot" 400x300+1090+40 '#C82828' '> 0.05')" = 1 ] &&
  [ "$(share "$screenshot" 400x300+1090+40 '#28C83C' '> 0.05')" = 1 ] ||
  { echo "FAIL: the monitor shows no dissolve ($screenshot)" >&2; exit 1; }
echo "screenshot: $screenshot"
