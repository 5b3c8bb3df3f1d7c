#!/usr/bin/env bash
# A 2-s Cross from a long 1080p25 clip into a 1-minute one (x264, a keyframe every 2 s, AAC
# sound): smart render (the default), --reencode, and FFmpeg joining the two clips with
# -c copy (the cost of copying alone) plus encoding their sound, alternating; prints the
# medians side by side and the ratios.
#   GLINT_BENCH_LONG_SECONDS (default 600) the long clip, GLINT_BENCH_RUNS (default 3) rounds,
#   GLINT_BENCH_PROGRAM another glintweave to measure,
#   GLINT_BENCH_FORMAT=mov ProRes 422 HQ clips with PCM sound into a .mov instead (the long
#   clip then 20 s by default: ProRes HQ takes some 25 MB a second at 1080p)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
glintweave=${GLINT_BENCH_PROGRAM:-$("$top/scripts/build-target.sh" native)/glintweave}
runs=${GLINT_BENCH_RUNS:-3}
format=${GLINT_BENCH_FORMAT:-mp4}
filter=scale=out_color_matrix=bt709
case "$format" in
mp4) long=${GLINT_BENCH_LONG_SECONDS:-600} sound_file=sound.m4a
     clip_codecs=(-c:v libx264 -preset veryfast -crf 20 -g 50 -pix_fmt yuv420p -c:a aac)
     sound_codec=(-c:a aac -b:a 192k -aac_coder fast) ;;
mov) long=${GLINT_BENCH_LONG_SECONDS:-20} sound_file=sound.mov
     # FFmpeg's ProRes encoder tags each picture with the frame's colours, not the options'.
     filter+=,setparams=color_primaries=bt709:color_trc=bt709:colorspace=bt709:range=tv
     clip_codecs=(-c:v prores_ks -profile:v 3 -pix_fmt yuv422p10le -c:a pcm_s24le)
     sound_codec=(-c:a pcm_s24le) ;;
*) echo "GLINT_BENCH_FORMAT is mp4 or mov, not $format" >&2; exit 2 ;;
esac

work=$(mktemp -d /tmp/glint-smart-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

make_clip() { # pattern tone seconds output
  ffmpeg -v error -y -f lavfi -i "$1=size=1920x1080:rate=25:duration=$3" \
    -f lavfi -i "sine=frequency=$2:sample_rate=48000:duration=$3" -ac 2 \
    -vf "$filter" -colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv \
    "${clip_codecs[@]}" "$4"
}
clips=${GLINT_BENCH_CLIPS:-$work}
mkdir -p "$clips"
long_clip="$clips/long-$long.$format" minute_clip="$clips/minute.$format"
[ -s "$long_clip" ] || make_clip testsrc2 440 "$long" "$long_clip"
[ -s "$minute_clip" ] || make_clip smptehdbars 660 60 "$minute_clip"
printf "file '%s'\nfile '%s'\n" "$long_clip" "$minute_clip" >"$work/list.txt"
if [ "$format" = mp4 ]; then
  echo "1920x1080 25 fps clips of $long s and 60 s, a keyframe every 2 s; a Cross of 2 s"
else
  echo "1920x1080 25 fps ProRes 422 HQ clips of $long s and 60 s into a .mov; a Cross of 2 s"
fi

# Prints the wall seconds of one command (a function of this script too).
measure() {
  local TIMEFORMAT='%R'
  { time "$@" >/dev/null 2>"$work/errors.txt"; } 2>"$work/time.txt" || { cat "$work/errors.txt" >&2; exit 1; }
  cat "$work/time.txt"
}
render() { "$glintweave" render -y --transition cross --duration 2 "$long_clip" "$minute_clip" "$@"; }
concat_copy() { ffmpeg -v error -y -f concat -safe 0 -i "$work/list.txt" -c copy "$work/concat.$format"; }
encode_sound() {
  ffmpeg -v error -y -i "$long_clip" -i "$minute_clip" -filter_complex '[0:a][1:a]concat=n=2:v=0:a=1' \
    -vn "${sound_codec[@]}" "$work/$sound_file"
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

render --stats -o "$work/smart.$format" 2>&1 >/dev/null | grep -e 'frames copied' -e 'note:' | sed 's/^render: /smart render: /'
smart=() full=() copy=() sound=()
for ((i = 1; i <= runs; i++)); do
  sw=$(measure render -o "$work/smart.$format"); smart+=("$sw")
  fw=$(measure render --reencode -o "$work/full.$format"); full+=("$fw")
  cw=$(measure concat_copy); copy+=("$cw")
  aw=$(measure encode_sound); sound+=("$aw")
  echo "round $i: smart $sw s, --reencode $fw s, concat -c copy $cw s, sound encode $aw s"
done
sm=$(median "${smart[@]}") fm=$(median "${full[@]}") cm=$(median "${copy[@]}") am=$(median "${sound[@]}")
echo "median wall seconds: smart $sm, --reencode $fm, concat -c copy $cm, sound encode $am"
awk -v s="$sm" -v f="$fm" -v c="$cm" -v a="$am" -v mp4="$([ "$format" = mp4 ] && echo 1 || echo 0)" 'BEGIN {
  printf "ratio smart / --reencode: %.3f%s\n", s / f, mp4 ? " (target <= 0.05)" : ""
  printf "ratio smart / (concat -c copy + sound encode): %.2f%s\n", s / (c + a), mp4 ? " (target <= 3)" : "" }'
