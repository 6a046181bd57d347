#!/usr/bin/env bash
# validate.sh DESKTOP METAINFO MAN.1.gz...: the desktop entry and the AppStream
# metadata pass their validators (no network: the screenshot is not
# fetched), and each manual page renders without a warning.
set -euo pipefail
desktop=$1 metainfo=$2
shift 2

desktop-file-validate "$desktop"
appstreamcli validate --no-net --explain "$metainfo"
for page in "$@"; do
  # -ww: every warning; -z: no output but the warnings.
  warnings=$(zcat "$page" | groff -man -ww -z -Tutf8 2>&1)
  if [ -n "$warnings" ]; then
    echo "$page: $warnings" >&2
    exit 1
  fi
  zcat "$page" | head -1 | grep -q '^\.TH ' || { echo "$page: no .TH header" >&2; exit 1; }
done
echo "validated $desktop, $metainfo and ${#@} manual pages"
