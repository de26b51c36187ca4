#!/usr/bin/env bash
# Renders the program icon data/icons/twinsift.svg to the PNG sizes kept beside
# it. Run again after changing the drawing and commit the PNGs: the build
# installs them as they are and needs no drawing tools.
# Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
icons=$(cd "$(dirname "$0")/../data/icons" && pwd)
command -v rsvg-convert >/dev/null || { echo "rsvg-convert not found (apt-get install librsvg2-bin)" >&2; exit 1; }
for n in 16 24 32 48 64 128 256; do
  rsvg-convert --width "$n" --height "$n" --keep-aspect-ratio \
    "$icons/twinsift.svg" --output "$icons/twinsift-$n.png"
done
echo "wrote $(ls "$icons"/twinsift-*.png | wc -l) icons to data/icons"
