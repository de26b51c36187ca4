#!/usr/bin/env bash
# The engine and twinsift-cli tests under AddressSanitizer and
# UndefinedBehaviorSanitizer (with the kept fuzz inputs): any report fails.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-asan"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTWINSIFT_BUILD_GUI=OFF \
  -DTWINSIFT_BUILD_BENCH=OFF -DTWINSIFT_BUILD_DIRVIGIL=OFF -DTWINSIFT_SANITIZE=address,undefined >/dev/null
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
ctest --output-on-failure -j"$(nproc)"
