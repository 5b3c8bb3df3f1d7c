#!/usr/bin/env bash
# A Cross between two 1080p clips rendered by glintweave and by FFmpeg's xfade dissolve on the
# same timeline, length and encoder settings, alternating, into .mp4 and then .mov; prints the
# median wall times, their ratio, the peak memory of the glintweave render and the plug-in's own
# share of its time.
#   GLINT_BENCH_RUNS (default 3) rounds per output, GLINT_BENCH_MOV_RUNS (default
#   GLINT_BENCH_RUNS) rounds for .mov, GLINT_BENCH_SECONDS (default 4) seconds per clip
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$("$top/scripts/build-target.sh" native)
glintweave="$build/glintweave"
runs=${GLINT_BENCH_RUNS:-3}
mov_runs=${GLINT_BENCH_MOV_RUNS:-$runs}
seconds=${GLINT_BENCH_SECONDS:-4}
rate=25
speed=0.5

work=$(mktemp -d /tmp/glint-render-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

# The encoder settings glintweave's .mp4 output uses.
x264=(-c:v libx264 -preset veryfast -crf 18 -x264-params sliced-threads=1:rc-lookahead=3:bframes=1:mbtree=0
      -g $((2 * rate)) -pix_fmt yuv420p -c:a aac -b:a 192k)
# And its .mov output's: ProRes 422 HQ (FFmpeg's "prores" is prores_aw, as glintweave uses) and PCM.
prores=(-c:v prores -profile:v 3 -pix_fmt yuv422p10le -c:a pcm_s24le)

make_clip() { # pattern tone output
  ffmpeg -v error -y -f lavfi -i "$1=size=1920x1080:rate=$rate:duration=$seconds" \
    -f lavfi -i "sine=frequency=$2:sample_rate=48000:duration=$seconds" -ac 2 "${x264[@]}" "$3"
}
make_clip testsrc2 440 "$work/a.mp4"
make_clip smptehdbars 660 "$work/b.mp4"

frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$work/a.mp4")
overlap=$("$glintweave" info --speed $speed | sed -n '/^Cross/,/frames:/s/.*frames: \([0-9]*\) at speed.*/\1/p')
offset=$(awk -v f="$frames" -v n="$overlap" -v r=$rate 'BEGIN { printf "%.6f", (f - n) / r }')
duration=$(awk -v n="$overlap" -v r=$rate 'BEGIN { printf "%.6f", n / r }')
echo "Two 1920x1080 clips of $frames frames at $rate fps; Cross of $overlap frames (speed $speed)"

# Prints the wall seconds and the peak resident kB of one run; its stderr goes to errors.txt.
measure() {
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/errors.txt" || { cat "$work/errors.txt" >&2; exit 1; }
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; wall = s }
              /Maximum resident set size/ { rss = $2 }
              END { printf "%.2f %d\n", wall, rss }' "$work/time.txt"
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

compare() { # extension rounds target encoder-settings...
  local extension=$1 rounds=$2 target=$3
  shift 3
  local glint_command=("$glintweave" render -y --stats --transition cross --speed "$speed" "$work/a.mp4" "$work/b.mp4" -o "$work/glint.$extension")
  local xfade_command=(ffmpeg -v error -y -i "$work/a.mp4" -i "$work/b.mp4" -filter_complex
    "[0:v][1:v]xfade=transition=dissolve:duration=$duration:offset=${offset}[v];[0:a][1:a]acrossfade=duration=${duration}[a]"
    -map '[v]' -map '[a]' "$@" "$work/xfade.$extension")
  local glint_times=() xfade_times=() glint_peak=0 plugin_shares=() i wall rss xwall movie
  echo
  echo "== .$extension =="
  for ((i = 1; i <= rounds; i++)); do
    read -r wall rss < <(measure "${glint_command[@]}")
    glint_times+=("$wall"); ((rss > glint_peak)) && glint_peak=$rss
    plugin_shares+=("$(sed -n "s/.*the plug-in's own .* (\([0-9.]*\) %)/\1/p" "$work/errors.txt")")
    read -r xwall _ < <(measure "${xfade_command[@]}")
    xfade_times+=("$xwall")
    echo "round $i: glintweave $wall s (peak $((rss / 1024)) MB), xfade $xwall s"
  done

  for movie in glint xfade; do
    echo "$movie.$extension: $(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$work/$movie.$extension") frames"
  done
  local glint_median xfade_median
  glint_median=$(median "${glint_times[@]}")
  xfade_median=$(median "${xfade_times[@]}")
  echo "median wall time: glintweave $glint_median s, ffmpeg xfade $xfade_median s"
  awk -v g="$glint_median" -v x="$xfade_median" -v t="$target" 'BEGIN { printf "ratio glintweave / xfade: %.2f (target <= %.2f)\n", g / x, t }'
  echo "peak memory of the 1080p render: $((glint_peak / 1024)) MB (target < 300 MB)"
  echo "the plug-in's own share of glintweave's processor time: $(median "${plugin_shares[@]}") % (median)"
}

compare mp4 "$runs" 0.80 "${x264[@]}"
compare mov "$mov_runs" 1.10 "${prores[@]}"
