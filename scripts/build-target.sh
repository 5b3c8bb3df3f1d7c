#!/usr/bin/env bash
# Configures and builds one target: native, i386, ppc or asan, with their tests; or program,
# the native program, its bundle and the editors' files alone (in the native target's folder).
# Prints the build folder. With GLINT_PROGRESS=1, the compiler's progress goes to stderr.
set -euo pipefail
target=${1:?usage: build-target.sh native|i386|ppc|asan|program}
top=$(cd "$(dirname "$0")/.." && pwd)
folder=$target
args=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DGLINT_TESTS=ON)
case "$target" in
  native) ;;
  program) folder=native; args=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DGLINT_TESTS=OFF) ;;
  i386) args+=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i386.cmake" -DGLINT_I386_QEMU="${GLINT_I386_QEMU:-OFF}") ;;
  ppc) args+=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-ppc.cmake") ;;
  asan) args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLINT_SANITIZE=ON -DGLINT_TESTS=ON) ;;
  *) echo "unknown target: $target" >&2; exit 2 ;;
esac
build="$top/build/$folder"
if command -v ccache >/dev/null; then
  # Relative paths let clones in other folders share the cache.
  export CCACHE_BASEDIR="$top"
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# A tree built by root (sudo ./build.sh) cannot be rebuilt by anyone else.
mkdir -p "$top/build" 2>/dev/null || true
other=
[ "$(id -u)" -eq 0 ] || other=$(find "$top/build" -maxdepth 2 ! -user "$(id -u)" -print -quit 2>/dev/null)
if [ -n "$other" ] || [ ! -w "$top/build" ]; then
  echo "error: $top/build belongs to another user (built with sudo?); make it yours with" >&2
  echo "  sudo chown -R $(id -un): '$top/build'" >&2
  exit 1
fi

log="$top/build/$target.build.log"
cmake -S "$top" -B "$build" "${args[@]}" >"$top/build/$target.configure.log" 2>&1 ||
  { cat "$top/build/$target.configure.log" >&2; exit 1; }
# ninja prints a line a step, "[n/N] ...": shown as one counter on a terminal, else every tenth.
progress() {
  if [ "${GLINT_PROGRESS:-0}" != 1 ]; then cat >/dev/null; return; fi
  awk -v tty="$([ -t 2 ] && echo 1 || echo 0)" '
    match($0, /^\[[0-9]+\/[0-9]+\]/) {
      split(substr($0, 2, RLENGTH - 2), n, "/")
      if (tty) printf "\r  compiling %d of %d", n[1], n[2] > "/dev/stderr"
      else if (int(10 * n[1] / n[2]) > shown) { shown = int(10 * n[1] / n[2]); printf "  compiled %d of %d\n", n[1], n[2] > "/dev/stderr" }
    }
    END { if (tty && NR) printf "\n" > "/dev/stderr" }'
}
set +e
cmake --build "$build" -j "$(nproc)" 2>&1 | tee "$log" | progress
status=${PIPESTATUS[0]}
set -e
if [ "$status" -ne 0 ]; then
  grep -E -A12 'error|FAILED' "$log" | head -n 80 >&2
  exit 1
fi
echo "$build"
