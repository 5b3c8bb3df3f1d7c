#!/usr/bin/env bash
# Runs the interface-file fuzz target for a number of seconds from the seed corpus, then prints
# its figures. New inputs go to a scratch corpus, never into the repository's seeds.
# Usage: run-nib-fuzzer.sh [seconds] [fuzzer binary]   (defaults: 60, built into build/fuzz)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
fuzzer=${2:-}
if [ -z "$fuzzer" ]; then fuzzer=$("$top/tests/fuzz/build-nib-fuzzer.sh"); fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log="$work/fuzz.log"
# Findings are written next to the binary, where a CI run keeps them.
if ! "$fuzzer" "$work" "$top/tests/fuzz/nib-corpus" -dict="$top/tests/fuzz/nib.dict" \
    -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$(dirname "$fuzzer")/" >"$log" 2>&1; then
  tail -n 60 "$log"
  echo "nib fuzzer: FOUND A FAILURE (artifact in $(dirname "$fuzzer"))"
  exit 1
fi
grep -E '^(#[0-9]+ *DONE|stat::)' "$log" || tail -n 5 "$log"
echo "nib fuzzer: no finding in $seconds s"
