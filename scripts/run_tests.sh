#!/usr/bin/env bash
# Builds Twinsift with every test and runs them all.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)"
# The companion library's Windows build and its client test under Wine.
if [ "${TWINSIFT_SKIP_WINDOWS:-0}" != 1 ]; then
  bash "$here/dirvigil/scripts/windows_check.sh"
fi
cd "$here/build"
ctest --output-on-failure -j"$(nproc)"
