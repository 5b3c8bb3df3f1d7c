#!/usr/bin/env bash
# Installs every Debian package that building and testing need; skips what is present.
set -euo pipefail

# One list per concern in scripts/packages/, a package a line; '#' starts a comment.
packages=($(cat "$(dirname "$0")"/packages/*.txt | sed 's/#.*//'))

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "error: these packages are missing and installing them needs root: ${missing[*]}" >&2
  echo "       run this script again as root (or with sudo)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
