#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for N seconds (default 60) from
# its seed corpus in tests/fuzz/<name>-corpus/. A crash fails the script; the input that made
# it is kept in build/fuzz/artifacts/.
set -euo pipefail
seconds=${1:-60}
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/fuzz"
mkdir -p "$build/artifacts"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$top/tests/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 "${launcher[@]}" >"$build.configure.log" 2>&1 ||
  { cat "$build.configure.log" >&2; exit 1; }
cmake --build "$build" >"$build.build.log" 2>&1 || { tail -n 40 "$build.build.log" >&2; exit 1; }

status=0
for target in "$build"/*_fuzz; do
  name=$(basename "$target")
  seeds="$top/tests/fuzz/${name%_fuzz}-corpus"
  # New inputs go to a scratch corpus, never into the repository's seeds.
  work=$(mktemp -d)
  dict=()
  [ -f "$top/tests/fuzz/${name%_fuzz}.dict" ] && dict=(-dict="$top/tests/fuzz/${name%_fuzz}.dict")
  echo "=== $name: ${seconds} s from $(ls "$seeds" | wc -l) seeds"
  if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "${dict[@]}" \
       -artifact_prefix="$build/artifacts/$name-" "$work" "$seeds" >"$build/$name.log" 2>&1; then
    grep -E '^(#[0-9]+.*DONE|Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/$name.log" || true
    echo "=== $name: no crash"
  else
    tail -n 60 "$build/$name.log"
    echo "=== $name: FAILED (input kept in $build/artifacts/)"
    status=1
  fi
  rm -rf "$work"
done
exit $status
