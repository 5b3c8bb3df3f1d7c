#!/usr/bin/env bash
# A Cross between two 720p clips rendered in full and as a proxy (--proxy), alternating; prints
# the median wall and processor times of each and the proxy's share of the full render's.
#   GLINT_BENCH_RUNS (default 3) rounds, GLINT_BENCH_SECONDS (default 4) seconds per clip
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$("$top/scripts/build-target.sh" native)
glintweave="$build/glintweave"
runs=${GLINT_BENCH_RUNS:-3}
seconds=${GLINT_BENCH_SECONDS:-4}

work=$(mktemp -d /tmp/glint-proxy-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

make_clip() { # pattern tone output
  ffmpeg -v error -y -f lavfi -i "$1=size=1280x720:rate=25:duration=$seconds" \
    -f lavfi -i "sine=frequency=$2:sample_rate=48000:duration=$seconds" -ac 2 \
    -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac "$3"
}
make_clip testsrc2 440 "$work/a.mp4"
make_clip smptehdbars 660 "$work/b.mp4"
echo "Two 1280x720 clips of $seconds s at 25 fps; Cross at the default speed, full and --proxy"

# Prints the wall and processor (user + system) seconds of one render.
measure() {
  /usr/bin/time -f '%e %U %S' -o "$work/time.txt" "$glintweave" render --transition cross "$@" \
    "$work/a.mp4" "$work/b.mp4" >/dev/null 2>"$work/errors.txt" || { cat "$work/errors.txt" >&2; exit 1; }
  awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }' "$work/time.txt"
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

full_wall=() full_cpu=() proxy_wall=() proxy_cpu=()
for ((i = 1; i <= runs; i++)); do
  rm -f "$work/full.mp4" "$work/proxy.mp4"
  read -r wall cpu < <(measure -o "$work/full.mp4"); full_wall+=("$wall"); full_cpu+=("$cpu")
  read -r pwall pcpu < <(measure --proxy -o "$work/proxy.mp4"); proxy_wall+=("$pwall"); proxy_cpu+=("$pcpu")
  echo "round $i: full $wall s ($cpu s of processor), proxy $pwall s ($pcpu s)"
done
for movie in full proxy; do
  echo "$movie.mp4: $(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 "$work/$movie.mp4")"
done
fw=$(median "${full_wall[@]}") fc=$(median "${full_cpu[@]}") pw=$(median "${proxy_wall[@]}") pc=$(median "${proxy_cpu[@]}")
echo "median: full $fw s ($fc s of processor), proxy $pw s ($pc s of processor)"
awk -v f="$fw" -v p="$pw" -v fc="$fc" -v pc="$pc" \
  'BEGIN { printf "ratio proxy / full: %.2f of the wall time, %.2f of the processor time (target <= 0.50)\n", p / f, pc / fc }'
