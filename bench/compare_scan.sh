#!/bin/sh
# Compares twinsift-cli's scan with common duplicate removers on one large file.
#
#   bench/compare_scan.sh BUILD_DIR [FILE]
#
# Without FILE a 10-million-line file (about 440 MB, CR LF, about 30 % repeated
# lines) is generated into a temporary folder and removed afterwards. Prints the
# wall time, CPU time and peak memory of each command. Not run by CI.
set -eu

build=${1:?usage: compare_scan.sh BUILD_DIR [FILE]}
cli="$build/src/cli/twinsift-cli"
gen="$build/bench/twinsift_bench_gen"
[ -x "$cli" ] || { echo "missing $cli (build the twinsift-cli target)" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
if [ $# -ge 2 ]; then
  file=$2
else
  [ -x "$gen" ] || { echo "missing $gen (build the twinsift_bench_gen target)" >&2; exit 1; }
  file="$tmp/lines.txt"
  "$gen" "$file" --lines 10000000
fi
size=$(wc -c <"$file")
echo "file: $file, $size bytes"
cat "$file" >/dev/null # into the page cache, so no command pays for the disk

run() {
  label=$1
  shift
  /usr/bin/time -f "%e %U %S %M" -o "$tmp/time" sh -c "$*" >/dev/null 2>"$tmp/err" || {
    echo "$label failed:" >&2
    cat "$tmp/err" >&2
  }
  read -r wall user sys rss <"$tmp/time"
  awk -v l="$label" -v w="$wall" -v u="$user" -v s="$sys" -v r="$rss" -v size="$size" 'BEGIN {
    printf "%-44s %8.2f s wall %8.2f s cpu %9.0f MB peak (%.2fx file)\n", l, w, u + s, r / 1024, r * 1024 / size }'
}

run "twinsift-cli --list -cs --keep-whitespace" "'$cli' --quiet --list --case-sensitive --keep-whitespace '$file'"
run "twinsift-cli (default options)" "'$cli' --quiet '$file'"
run "datamash rmdup 1" "datamash rmdup 1 <'$file'"
run "mawk '!seen[\$0]++'" "mawk '!seen[\$0]++' '$file'"
run "LC_ALL=C sort -u" "LC_ALL=C sort -u '$file'"
run "twinsift-cli --count" "'$cli' --count '$file'"
run "wc -l" "wc -l '$file'"
