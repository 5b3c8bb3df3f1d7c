#!/usr/bin/env bash
# Builds every target and runs all of its tests; ends with one line counting them all.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$top/build"
targets=(${GLINT_TARGETS:-native i386 ppc asan})
passed=0
failed=0
status=0

for target in "${targets[@]}"; do
  start=$(date +%s)
  echo "=== $target: build"
  if ! build=$("$top/scripts/build-target.sh" "$target"); then
    echo "=== $target: BUILD FAILED"
    status=1
    failed=$((failed + 1))
    continue
  fi
  echo "=== $target: test, programs run $(cat "$build/runner.txt")"
  log="$top/build/$target.ctest.log"
  # A temporary folder of the target's own: whatever a program or test leaves in it is a fault.
  scratch="$top/build/$target.tmp"
  # Sticky and open to all, as /tmp is: some tests run the program as an ordinary user.
  rm -rf "$scratch" && mkdir -p "$scratch" && chmod 1777 "$scratch"
  TMPDIR="$scratch" ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$build" -j "$(nproc)" --output-on-failure --timeout 600 >"$log" 2>&1
  result=$?
  tail -n 40 "$log" | sed -n '/tests passed/,$p; /The following tests FAILED/,$p' | sort -u
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [[ $summary =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  else
    failed=$((failed + 1))
  fi
  if [ $result -ne 0 ]; then
    status=1
    grep -E 'Failed|FAILED|\*\*\*' "$log" | head -n 40
    # What each failed check said, so that a run nobody can see again still tells why.
    grep -A 14 -E ': Failure$' "$log" | cut -c 1-300 | head -n 120
    grep -A 8 -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$log" | cut -c 1-300 | head -n 60
  fi
  # A skipped test says why: a machine that cannot run one is worth knowing about.
  grep -h -A 2 -E ': Skipped$' "$build/Testing/Temporary/LastTest.log" 2>/dev/null | grep -v -E ': Skipped$|^--$' |
    cut -c 1-200 | awk '!seen[$0]++' | head -n 20 | sed "s/^/=== $target: skipped: /"
  leftovers=$(cd "$scratch" && find . -mindepth 1 -maxdepth 1 -printf '%P ' | head -c 400)
  if [ -n "$leftovers" ]; then
    echo "=== $target: left in its temporary folder $scratch: $leftovers"
    failed=$((failed + 1))
    status=1
  fi
  echo "=== $target: done in $(( $(date +%s) - start )) s"
done

# Fuzz targets run briefly from their seed corpora; each counts as one test.
fuzz_seconds=${GLINT_FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ]; then
  start=$(date +%s)
  echo "=== fuzz: ${fuzz_seconds} s per target"
  "$top/scripts/fuzz.sh" "$fuzz_seconds" >"$top/build/fuzz.log" 2>&1 || status=1
  grep -E '^=== ' "$top/build/fuzz.log"
  passed=$((passed + $(grep -c ': no crash$' "$top/build/fuzz.log")))
  failed=$((failed + $(grep -c ': FAILED' "$top/build/fuzz.log")))
  if ! grep -q ': no crash$' "$top/build/fuzz.log" && ! grep -q ': FAILED' "$top/build/fuzz.log"; then
    tail -n 30 "$top/build/fuzz.log"
    failed=$((failed + 1))
    status=1
  fi
  echo "=== fuzz: done in $(( $(date +%s) - start )) s"
fi

echo "Total: $passed passed, $failed failed"
exit $status
