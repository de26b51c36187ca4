#!/usr/bin/env bash
# Builds Twinsift with every test and runs them all.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)"
cd "$here/build"
ctest --output-on-failure -j"$(nproc)"
