#!/usr/bin/env bash
# Glintweave's one entry point for a newcomer:
#   ./build.sh        installs what building needs, builds the program, its bundle and the editors' files
#   ./build.sh demo   the same, then renders the demonstration
#   ./build.sh test   installs what the tests need too, builds all targets and runs every test
set -euo pipefail
cd "$(dirname "$0")"
start=$(date +%s)
took() {
  local s=$(( $(date +%s) - start ))
  printf '%d min %02d s' $((s / 60)) $((s % 60))
}
# The program alone, with one line a step and the compiler's progress.
build_program() {
  echo "[1/$1] packages: checking scripts/packages/program.txt"
  scripts/install-deps.sh program
  echo "[2/$1] building build/native (log: build/program.build.log) after $(took)"
  GLINT_PROGRESS=1 scripts/build-target.sh program >/dev/null
  echo "      built: build/native/glintweave after $(took)"
}
case "${1:-}" in
  "")
    build_program 2
    echo "done in $(took); try build/native/glintweave --help"
    ;;
  demo)
    build_program 3
    echo "[3/3] rendering the demonstration into glintweave-demo/"
    build/native/glintweave demo -o glintweave-demo
    echo "done in $(took); contact sheet: $(pwd)/glintweave-demo/contact-sheet.png"
    ;;
  test)
    scripts/install-deps.sh
    scripts/test-all.sh
    ;;
  *)
    echo "usage: ./build.sh [demo|test]" >&2
    exit 2
    ;;
esac
