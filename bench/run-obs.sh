#!/usr/bin/env bash
# Builds the Release build and prints the frames a second of the Glintweave transition in the
# real libobs at 1920x1080 under llvmpipe against OBS's own fade transition, and their ratio.
# Arguments: rounds (default 5) and frames a round (default 10).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$("$top/scripts/build-target.sh" native)
config=$(mktemp -d "${TMPDIR:-/tmp}/glintobsbench.XXXXXX")
trap 'rm -rf "$config"' EXIT
mkdir -p "$config/obs-studio/plugins"
cp -r "$build/obs-plugins/glintweave" "$config/obs-studio/plugins/"
"$build/bench/obs_bench" "$config" "$@"
