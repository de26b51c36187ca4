#!/usr/bin/env bash
# Builds and tests Twinsift without the desktop program (-DTWINSIFT_BUILD_GUI=OFF):
# the engine, twinsift-cli, Dirvigil and their tests, in build-nogui/. Qt is
# kept out of reach of the configuration, so a stray dependency on it fails
# here instead of going unnoticed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-nogui"
bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release --no-warn-unused-cli \
  -DTWINSIFT_BUILD_GUI=OFF -DTWINSIFT_BUILD_BENCH=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON >/dev/null
if grep -Eq '^Qt6[A-Za-z]*_DIR:PATH=/' "$build/CMakeCache.txt"; then
  echo "FAIL: the build without the desktop program found Qt" >&2
  exit 1
fi
cmake --build "$build" -j"$(nproc)"
if [ -e "$build/src/app/twinsift" ]; then
  echo "FAIL: the desktop program was built without the GUI" >&2
  exit 1
fi
cd "$build"
ctest --output-on-failure -j"$(nproc)"
