#!/usr/bin/env bash
# Renders the program's pictures from their drawings in data/pictures/src to
# the PNG files the build compiles in. Run it after changing a drawing and
# commit the PNGs: the build itself never needs the renderer.
#   needs: rsvg-convert (Debian package librsvg2-bin) and the DejaVu fonts
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
src="$here/data/pictures/src"
out="$here/data/pictures"

command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2; exit 1; }

# name width height
while read -r name w h; do
  [ -n "$name" ] || continue
  rsvg-convert --width "$w" --height "$h" --format png --output "$out/$name.png" "$src/$name.svg"
  echo "$name.png ${w}x${h}"
done <<'LIST'
cmdScan 32 32
cmdSave 32 32
cmdSelect 32 32
cmdShowCopySave 32 32
cmdSettings 32 32
cmdAbout 32 32
cmdStop 32 32
help 15 15
info 24 24
product 57 61
maker 113 113
quickstart 711 456
LIST
