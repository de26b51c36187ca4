#!/usr/bin/env bash
# Fuzz testing of the engine with libFuzzer.
#
#   scripts/fuzz.sh                  prints the fuzz targets, one a line
#   scripts/fuzz.sh TARGET SECONDS   builds what TARGET needs (installing clang and
#                                    libFuzzer from the distribution if missing) and
#                                    runs it for SECONDS; exits non-zero on any
#                                    finding, which is kept in build-fuzz/findings/.
#                                    An input running longer than TWINSIFT_FUZZ_TIMEOUT
#                                    seconds (default 25) is a finding too.
#
# Seeds come from tests/fuzz/corpus/TARGET; what the fuzzer learns goes to
# build-fuzz/corpus/TARGET, so the repository's seeds stay as they are. A
# finding, once fixed, belongs in tests/fuzz/corpus/TARGET: the ordinary test
# run replays every file there.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
targets=(source_reader settings_file word_read excel_read office_edit patterns)

if [ $# -eq 0 ]; then
  printf '%s\n' "${targets[@]}"
  exit 0
fi
if [ $# -ne 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [TARGET SECONDS]" >&2
  exit 2
fi
target=$1
seconds=$2
known=0
for t in "${targets[@]}"; do [ "$t" = "$target" ] && known=1; done
if [ $known = 0 ]; then
  echo "unknown fuzz target: $target (see $0 without arguments)" >&2
  exit 2
fi

packages=(cmake pkg-config clang-14 libclang-rt-14-dev libfuzzer-14-dev
          libpcre2-dev libicu-dev libzip-dev libpugixml-dev zlib1g-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build="$here/build-fuzz"
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTWINSIFT_BUILD_GUI=OFF -DTWINSIFT_BUILD_TESTS=OFF -DTWINSIFT_BUILD_BENCH=OFF \
    -DTWINSIFT_BUILD_DIRVIGIL=OFF -DTWINSIFT_SANITIZE=address,undefined -DTWINSIFT_BUILD_FUZZ=ON >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target "fuzz_$target" >/dev/null

seeds="$here/tests/fuzz/corpus/$target"
work="$build/corpus/$target"
findings="$build/findings/$target"
mkdir -p "$work" "$findings"
args=(-max_total_time="$seconds" -timeout="${TWINSIFT_FUZZ_TIMEOUT:-25}" -rss_limit_mb=2048 -print_final_stats=1
      -artifact_prefix="$findings/")
case $target in
  word_read|excel_read|office_edit) args+=(-max_len=65536 -dict="$here/tests/fuzz/office.dict") ;;
  patterns) args+=(-max_len=4096 -dict="$here/tests/fuzz/patterns.dict") ;;
  settings_file) args+=(-max_len=4096 -dict="$here/tests/fuzz/settings_file.dict") ;;
  *) args+=(-max_len=4096) ;;
esac
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
"$build/tests/fuzz/fuzz_$target" "${args[@]}" "$work" "$seeds"
