#!/usr/bin/env bash
# Configures and builds one target: native, i386, ppc or asan. Prints the build folder.
set -euo pipefail
target=${1:?usage: build-target.sh native|i386|ppc|asan}
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/$target"

args=(-G Ninja -DCMAKE_BUILD_TYPE=Release)
case "$target" in
  native) ;;
  i386) args+=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i386.cmake" -DGLINT_I386_QEMU="${GLINT_I386_QEMU:-OFF}") ;;
  ppc) args+=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-ppc.cmake") ;;
  asan) args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLINT_SANITIZE=ON) ;;
  *) echo "unknown target: $target" >&2; exit 2 ;;
esac
if command -v ccache >/dev/null; then
  # Relative paths let clones in other folders share the cache.
  export CCACHE_BASEDIR="$top"
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

mkdir -p "$top/build"
cmake -S "$top" -B "$build" "${args[@]}" >"$top/build/$target.configure.log" 2>&1 ||
  { cat "$top/build/$target.configure.log" >&2; exit 1; }
cmake --build "$build" -j "$(nproc)" >"$top/build/$target.build.log" 2>&1 ||
  { grep -E -A12 'error|FAILED' "$top/build/$target.build.log" | head -n 80 >&2; exit 1; }
echo "$build"
