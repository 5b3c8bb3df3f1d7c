#!/usr/bin/env bash
# The manual in the bundle is a PDF that explains what the dialog does: fails on any missing topic.
set -euo pipefail
pdftotext=$1
manual=$2
text=$("$pdftotext" -layout "$manual" -)
status=0
for topic in "Out" "In" "Cross" "Shift" "Option" "Keep proportions" "Whole frame" "Reset" "Cancel" \
             "720 × 480" "720 × 576" "960 × 540" "Tamsel-Prefs" "version 3.0.0" "Version 3.0.0" "XDG_CONFIG_HOME" "~/.config" \
             "--fill" "--region" "--frames" "--duration" "--at" "--still-duration"; do
  if ! grep -qF -- "$topic" <<<"$text"; then
    echo "manual.pdf does not mention: $topic" >&2
    status=1
  fi
done
exit $status
