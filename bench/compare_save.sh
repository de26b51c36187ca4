#!/bin/sh
# Saves a generated file with every repeated line removed through twinsift-cli
# and compares the result and the cost with two peers: mawk (exact bytes) and
# datamash rmdup (the time we measure ourselves against).
#
#   bench/compare_save.sh BUILD_DIR [WORK_DIR] [LINES]
#
# Prints wall time and peak memory of each run; exits non-zero when the bytes
# differ. The generated and written files are removed at the end.
set -eu

build=${1:?usage: compare_save.sh BUILD_DIR [WORK_DIR] [LINES]}
work=${2:-${TMPDIR:-/tmp}/twinsift-bench-save}
lines=${3:-10000000}

gen=$build/bench/twinsift_bench_gen
cli=$build/src/cli/twinsift-cli
for tool in "$gen" "$cli"; do
    [ -x "$tool" ] || { echo "missing $tool (build the twinsift_bench_gen and twinsift-cli targets)" >&2; exit 2; }
done
for tool in mawk datamash /usr/bin/time cmp; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done

mkdir -p "$work"
in=$work/input.txt
trap 'rm -f "$in" "$work/out_cli.txt" "$work/out_mawk.txt" "$work/out_datamash.txt" "$work"/*.time "$work"/*.err; rmdir "$work" 2>/dev/null || true' EXIT

"$gen" "$in" --lines "$lines" --dups 30 >/dev/null
size=$(wc -c <"$in")
echo "input: $lines lines, $size bytes"

# measure NAME OUTPUT COMMAND...: runs the command with its stdout in OUTPUT.
measure() {
    name=$1 out=$2
    shift 2
    /usr/bin/time -v -o "$work/$name.time" "$@" >"$out" 2>"$work/$name.err"
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/$name.time")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/$name.time")
    secs=$(echo "$wall" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
    echo "$name: wall ${secs}s, peak RSS ${rss} kB"
    eval "${name}_secs=\$secs ${name}_rss=\$rss"
}

measure cli /dev/null "$cli" --quiet --case-sensitive --keep-whitespace --report-empty-lines --no-nbsp-conversion \
    --select all-but-first --save "$work/out_cli.txt" "$in"
measure mawk "$work/out_mawk.txt" mawk '!seen[$0]++' "$in"
measure datamash "$work/out_datamash.txt" sh -c 'datamash rmdup 1 <"$1"' sh "$in"

if cmp -s "$work/out_cli.txt" "$work/out_mawk.txt"; then
    echo "bytes: identical to mawk ($(wc -c <"$work/out_cli.txt") bytes)"
    same=1
else
    echo "bytes: DIFFERENT from mawk"
    same=0
fi
awk -v c="$cli_secs" -v d="$datamash_secs" -v r="$cli_rss" -v s="$size" 'BEGIN {
    printf "time: %.2f of datamash (target at most 0.50)\n", (d > 0 ? c / d : 0)
    printf "memory: %.2f times the file size (target under 3)\n", r * 1024 / s
}'
[ "$same" = 1 ]
