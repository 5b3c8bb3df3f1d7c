#!/usr/bin/env bash
# Installs the Debian packages a job needs; skips what is present.
#   install-deps.sh program   what building and running the program needs (packages/program.txt)
#   install-deps.sh           that and everything the tests, the cross targets and the benchmarks need
set -euo pipefail
lists=$(dirname "$0")/packages
case "${1:-all}" in
  program) files=("$lists/program.txt") ;;
  all) files=("$lists"/*.txt) ;;
  *) echo "usage: install-deps.sh [program]" >&2; exit 2 ;;
esac

# A package a line; '#' starts a comment.
packages=($(cat "${files[@]}" | sed 's/#.*//'))

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "error: packages are missing; install them as root, then run this again:" >&2
  echo "  sudo apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
echo "installing ${#missing[@]} packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
