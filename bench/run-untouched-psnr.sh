#!/usr/bin/env bash
# What the frames no transition touches lose in a .mp4 render: a Cross between two noisy,
# camera-like 720p clips (x264, tagged BT.709), and the PSNR of the movie's frames before and
# after the transition against the clips they come from. Also prints render --plan.
#   GLINT_BENCH_SECONDS (default 6) seconds of clip A; clip B has 4
#   GLINT_BENCH_PROGRAM another glintweave to measure (e.g. an older build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
glintweave=${GLINT_BENCH_PROGRAM:-$("$top/scripts/build-target.sh" native)/glintweave}
seconds=${GLINT_BENCH_SECONDS:-6}
frames=25 # the Cross

work=$(mktemp -d /tmp/glint-psnr-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

make_clip() { # pattern seconds output
  ffmpeg -v error -y -f lavfi -i "$1=size=1280x720:rate=25:duration=$2,noise=alls=20:allf=t" \
    -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p \
    -colorspace bt709 -color_primaries bt709 -color_trc bt709 "$3"
}
make_clip testsrc2 "$seconds" "$work/a.mp4"
make_clip smptehdbars 4 "$work/b.mp4"
"$glintweave" render --plan --transition cross --frames $frames "$work/a.mp4" "$work/b.mp4" -o "$work/movie.mp4" || true
"$glintweave" render --transition cross --frames $frames "$work/a.mp4" "$work/b.mp4" -o "$work/movie.mp4" >/dev/null

# PSNR of movie frames [$1, $1 + $3) against frames from $2 of clip $4.
psnr() {
  ffmpeg -i "$work/movie.mp4" -i "$4" -lavfi \
    "[0:v]trim=start_frame=$1:end_frame=$(($1 + $3)),setpts=PTS-STARTPTS[m];[1:v]trim=start_frame=$2:end_frame=$(($2 + $3)),setpts=PTS-STARTPTS[s];[m][s]psnr" \
    -f null - 2>&1 | grep -o 'PSNR.*'
}
head=$((seconds * 25 - frames))
echo "clip A's frames before the Cross:"
psnr 0 0 $head "$work/a.mp4"
echo "clip B's frames after it:"
psnr $((head + frames)) $frames $((100 - frames)) "$work/b.mp4"
