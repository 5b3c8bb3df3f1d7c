#!/usr/bin/env bash
# Peak resident memory of a Cross render by glintweave, per frame size and output kind, against
# targets of 300 MB at 1080p and 700 MB at 4K. Also prints the peak less the program's own start
# (glintweave info) in frames of 32-bit pixels at that size, which stays a small fixed number
# when nothing grows with the clips. The row "3clip" is a Cross at both cuts of clip A, a
# 4000x3000 photo shown for a second, and clip B, into .mp4.
#   GLINT_BENCH_SIZES (default "1920x1080 3840x2160"; add 8192x8192 for the largest frames)
#   GLINT_BENCH_KINDS (default "mp4 mkv mov y4m png")
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$("$top/scripts/build-target.sh" native)
glintweave="$build/glintweave"
sizes=${GLINT_BENCH_SIZES:-1920x1080 3840x2160}
kinds=${GLINT_BENCH_KINDS:-mp4 mkv mov y4m png}
rate=25
frames=14 # a Cross at speed 0 takes 10 frames of each clip

work=$(mktemp -d /tmp/glint-memory-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

# Prints the peak resident kB of one run.
peak() {
  /usr/bin/time -f '%M' -o "$work/time.txt" "$@" >/dev/null 2>"$work/errors.txt" || { cat "$work/errors.txt" >&2; exit 1; }
  tail -n 1 "$work/time.txt"
}

start=$(peak "$glintweave" info)
echo "glintweave info (libraries, no frames): $((start / 1024)) MB"
printf '%-10s %-5s %9s %8s %s\n' size kind "peak MB" frames target
for size in $sizes; do
  width=${size%x*} height=${size#*x}
  for clip in a:testsrc2:440 b:smptehdbars:660; do
    IFS=: read -r name pattern tone <<<"$clip"
    ffmpeg -v error -y -f lavfi -i "$pattern=size=$size:rate=$rate" -f lavfi -i "sine=frequency=$tone:sample_rate=48000" \
      -frames:v $frames -t $(awk -v f=$frames -v r=$rate 'BEGIN { print f / r }') -ac 2 \
      -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$work/$name.mp4"
  done
  target=-
  ((width * height <= 1920 * 1080)) && target="< 300 MB"
  ((width * height > 1920 * 1080 && width * height <= 3840 * 2160)) && target="< 700 MB"
  for kind in $kinds; do
    rm -rf "$work/out" && mkdir "$work/out"
    output="$work/out/movie.$kind"
    [[ $kind == png ]] && output="$work/out/frame_%04d.png"
    kb=$(peak "$glintweave" render --transition cross --speed 0 "$work/a.mp4" "$work/b.mp4" -o "$output")
    awk -v s="$size" -v k="$kind" -v kb="$kb" -v base="$start" -v px=$((width * height)) -v t="$target" \
      'BEGIN { printf "%-10s %-5s %9d %8.1f %s\n", s, k, kb / 1024, (kb - base) * 1024 / (4 * px), t }'
  done
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=4000x3000" -frames:v 1 "$work/photo.jpg"
  rm -rf "$work/out" && mkdir "$work/out"
  kb=$(peak "$glintweave" render --transition cross --speed 0 --still-duration 1 "$work/a.mp4" "$work/photo.jpg" \
    "$work/b.mp4" -o "$work/out/movie.mp4")
  awk -v s="$size" -v kb="$kb" -v base="$start" -v px=$((width * height)) -v t="$target" \
    'BEGIN { printf "%-10s %-5s %9d %8.1f %s\n", s, "3clip", kb / 1024, (kb - base) * 1024 / (4 * px), t }'
  rm -rf "$work/out"
done
