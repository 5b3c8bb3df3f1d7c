#!/usr/bin/env bash
# Builds the interface-file fuzz target with clang's libFuzzer, AddressSanitizer and UBSan.
# Usage: build-nib-fuzzer.sh [output folder]   (default: build/fuzz)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$top/build/fuzz}
mkdir -p "$out"
launcher=()
if command -v ccache >/dev/null; then launcher=(ccache); fi
"${launcher[@]}" clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$top/platform/base" -I"$top/platform/toolbox" \
  "$top/tests/fuzz/nib_fuzzer.cpp" "$top/platform/toolbox/interfacefile.cpp" \
  -o "$out/nib_fuzzer"
echo "$out/nib_fuzzer"
