#!/usr/bin/env bash
# Builds the Release build and prints the dissolve kernels' speed against memcpy.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$("$top/scripts/build-target.sh" native)
exec "$build/bench/kernel_bench" --benchmark_min_time=0.5 "$@"
