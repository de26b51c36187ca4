#!/usr/bin/env bash
# Builds Twinsift and opens the bundled sample: in the desktop window when a
# display is available, otherwise with twinsift-cli.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target twinsift twinsift-cli
sample="$here/samples/fruits.txt"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$here/build/src/app/twinsift" "$sample"
else
  exec "$here/build/src/cli/twinsift-cli" "$sample"
fi
