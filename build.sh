#!/usr/bin/env bash
# Glintweave's one entry point for a newcomer:
#   ./build.sh test   installs what is missing, builds all targets and runs every test
set -euo pipefail
cd "$(dirname "$0")"
case "${1:-}" in
  test)
    scripts/install-deps.sh
    scripts/test-all.sh
    ;;
  *)
    echo "usage: ./build.sh test" >&2
    exit 2
    ;;
esac
