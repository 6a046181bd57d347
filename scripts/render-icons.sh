#!/usr/bin/env bash
# Renders the PNG sizes of the icon from packaging/icons/landuse.svg; run
# after changing the drawing and commit the PNGs (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --output "landuse-$size.png" landuse.svg
done
