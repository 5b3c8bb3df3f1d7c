#!/usr/bin/env bash
# Glintweave's one entry point for a newcomer:
#   ./build.sh demo   installs what is missing, builds natively and renders the demonstration
#   ./build.sh test   installs what is missing, builds all targets and runs every test
set -euo pipefail
cd "$(dirname "$0")"
case "${1:-}" in
  demo)
    scripts/install-deps.sh
    scripts/build-target.sh native
    build/native/glintweave demo -o glintweave-demo
    echo "Contact sheet: $(pwd)/glintweave-demo/contact-sheet.png"
    ;;
  test)
    scripts/install-deps.sh
    scripts/test-all.sh
    ;;
  *)
    echo "usage: ./build.sh demo|test" >&2
    exit 2
    ;;
esac
