#!/usr/bin/env bash
# Cross-builds Dirvigil.dll and its client test with MinGW-w64 and runs the
# test under Wine, in a private Wine prefix that is thrown away afterwards.
#   --build-only   cross-build, do not run
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_only=0
[ "${1:-}" = "--build-only" ] && build_only=1

work=$(mktemp -d "${TMPDIR:-/tmp}/dirvigil-win.XXXXXX")
mkdir "$work/tmp"
# Wine's server keeps its socket folder under TMPDIR: inside the work folder,
# it goes with it.
export TMPDIR="$work/tmp" WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  if [ -d "$WINEPREFIX" ] && command -v wineserver >/dev/null; then
    timeout 20 wineserver -k >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

cmake -S "$here" -B "$work/build" \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/build" -j"$(nproc)"
[ "$build_only" = 1 ] && { echo "Dirvigil Windows build: OK (not run)"; exit 0; }

timeout 180 wine wineboot --init >/dev/null 2>&1
cd "$work/build"
timeout 120 wine dirvigil_client_test.exe
