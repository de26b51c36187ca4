#!/bin/sh
# The speed and memory goals of twinsift-cli in one table, measured in one run
# against datamash rmdup (time) and mawk (the bytes of a save):
#
#   bench/targets.sh BUILD_DIR [WORK_DIR] [REPEATS]
#
# Generates three files (10,000,000 short lines with about 30 % repeats;
# 200,000 lines of about 2,000 bytes; 1,000,000 lines of accented Latin,
# Cyrillic, Greek and CJK text), times every command REPEATS times (3 by
# default) and prints the median wall time, its CPU time, the ratio to
# datamash's median on the same file, the peak resident memory and its ratio
# to the file size, each next to its goal. Before those runs, each command
# runs once more after a pause of a few seconds (TARGETS_PAUSE, 3 by default),
# as a user who opens one file meets it; that wall time is the "cold" column.
# On virtual machines whose host takes back freed memory after a few seconds,
# the pause makes fresh memory cost far more than it does in runs that
# follow each other at once. Under each peer row, a floor row times a program
# that only reads the file into fresh memory the way the loader does: no
# command that keeps the file in memory can take less. The files are removed
# at the end.
# Exits non-zero when a saved file differs from mawk's output. Not run by CI.
set -eu

build=${1:?usage: targets.sh BUILD_DIR [WORK_DIR] [REPEATS]}
work=${2:-}
reps=${3:-3}
pause=${TARGETS_PAUSE:-3}

gen=$build/bench/twinsift_bench_gen
fresh=$build/bench/twinsift_bench_fresh_read
cli=$build/src/cli/twinsift-cli
for tool in "$gen" "$fresh" "$cli"; do
    [ -x "$tool" ] || { echo "missing $tool (build the twinsift_bench_gen, twinsift_bench_fresh_read and twinsift-cli targets)" >&2; exit 2; }
done
for tool in mawk datamash /usr/bin/time cmp awk sort; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done

if [ -z "$work" ]; then
    work=$(mktemp -d)
    made=1
else
    mkdir -p "$work"
    made=0
fi
cleanup() {
    rm -f "$work"/big.txt "$work"/long.txt "$work"/utf8.txt "$work"/out_*.txt "$work"/*.time "$work"/*.err \
        "$work"/rows
    [ "$made" = 1 ] && rmdir "$work" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

exact="--case-sensitive --keep-whitespace"
save_opts="--case-sensitive --keep-whitespace --report-empty-lines --no-nbsp-conversion"
rows=$work/rows
: >"$rows"
status=0

# once NAME COMMAND...: one timed run; sets $wall $cpu $rss (kB).
once() {
    name=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$work/$name.time" "$@" >/dev/null 2>"$work/$name.err" || {
        echo "$name failed:" >&2
        cat "$work/$name.err" >&2
        exit 1
    }
    read -r wall user sys rss <"$work/$name.time"
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
}

# measure NAME COMMAND...: one run after a pause, which sets $cold, then
# REPEATS runs; sets $wall $cpu $rss to the medians of those (the runs are
# sorted by wall time; memory is the largest peak of all).
measure() {
    name=$1
    shift
    sleep "$pause"
    once "$name" "$@"
    cold=$wall
    echo "$wall $cpu $rss" >"$work/$name.cold"
    : >"$work/$name.all"
    i=0
    while [ "$i" -lt "$reps" ]; do
        once "$name" "$@"
        echo "$wall $cpu $rss" >>"$work/$name.all"
        i=$((i + 1))
    done
    mid=$(((reps + 1) / 2))
    set -- $(sort -n "$work/$name.all" | sed -n "${mid}p")
    wall=$1 cpu=$2
    rss=$(cat "$work/$name.all" "$work/$name.cold" | awk 'BEGIN { m = 0 } { if ($3 > m) m = $3 } END { print m }')
    rm -f "$work/$name.all" "$work/$name.cold"
}

# row LABEL FILE_SIZE PEER_WALL TIME_GOAL MEM_GOAL: one line of the table from
# $wall $cpu $rss; an empty TIME_GOAL or MEM_GOAL is not judged.
row() {
    awk -v l="$1" -v size="$2" -v pw="$3" -v tg="$4" -v mg="$5" -v w="$wall" -v c="$cpu" -v r="$rss" -v cold="$cold" 'BEGIN {
        ratio = pw > 0 ? w / pw : 0
        mem = r * 1024 / size
        tj = tg == "" ? "" : (ratio <= tg + 0 ? "pass" : "FAIL")
        mj = mg == "" ? "" : (mem <= mg + 0 ? "pass" : "FAIL")
        printf "%-44s %7.2f %7.2f %7s %7.3f %6s %-4s %7.0f %5.2f %5s %-4s\n", l, w, c,
            (cold == "" ? "-" : sprintf("%.2f", cold)), ratio,
            (tg == "" ? "-" : "<=" tg), tj, r / 1024, mem, (mg == "" ? "-" : "<=" mg), mj
    }' >>"$rows"
}

header() {
    printf "%-44s %7s %7s %7s %7s %6s %-4s %7s %5s %5s %-4s\n" "$1" "wall s" "cpu s" "cold s" "x peer" "goal" "" "peak MB" \
        "xfile" "goal" "" >>"$rows"
}

# peer FILE SIZE: datamash on FILE; sets $peer_wall and prints its row, then
# the floor's.
peer() {
    measure datamash sh -c 'datamash rmdup 1 <"$1"' sh "$1"
    peer_wall=$wall
    row "datamash rmdup 1" "$2" "$peer_wall" "" ""
    measure floor "$fresh" "$1"
    row "  floor: the file read into fresh memory" "$2" "$peer_wall" "" ""
}

scan_rows() {
    file=$1 size=$2 tgoal_exact=$3 tgoal_default=$4 mgoal=$5
    measure exact "$cli" --quiet --list $exact "$file"
    row "twinsift-cli --list (exact)" "$size" "$peer_wall" "$tgoal_exact" "$mgoal"
    measure default "$cli" --quiet --list "$file"
    row "twinsift-cli --list (default comparison)" "$size" "$peer_wall" "$tgoal_default" "$mgoal"
}

echo "twinsift-cli against datamash rmdup 1; median of $reps runs one after another; cold: one run after ${pause} s; $(nproc) cores"

# 1. Ten million short lines.
"$gen" "$work/big.txt" --lines 10000000 --dups 30
size=$(wc -c <"$work/big.txt")
cat "$work/big.txt" >/dev/null # into the page cache, so no command pays for the disk
header "10,000,000 lines, $size bytes"
peer "$work/big.txt" "$size"
scan_rows "$work/big.txt" "$size" 0.10 0.12 1.5
measure save "$cli" --quiet $save_opts --select all-but-first --save "$work/out_cli.txt" "$work/big.txt"
row "twinsift-cli --select all-but-first --save" "$size" "$peer_wall" 0.12 1.5
once mawk sh -c 'mawk "!seen[\$0]++" "$1" >"$2"' sh "$work/big.txt" "$work/out_mawk.txt"
cold=
row "mawk '!seen[\$0]++' (reference bytes)" "$size" "$peer_wall" "" ""
same="identical to mawk's"
cmp -s "$work/out_cli.txt" "$work/out_mawk.txt" || { same="DIFFERENT from mawk's"; status=1; }
same="$same ($(wc -c <"$work/out_cli.txt") bytes)"
rm -f "$work/out_cli.txt"
measure exact_pm "$cli" --quiet --preserve-memory --list $exact "$work/big.txt"
row "  --preserve-memory --list (exact)" "$size" "$peer_wall" 0.10 1.3
measure default_pm "$cli" --quiet --preserve-memory --list "$work/big.txt"
row "  --preserve-memory --list (default)" "$size" "$peer_wall" 0.12 1.3
measure save_pm "$cli" --quiet --preserve-memory $save_opts --select all-but-first --save "$work/out_cli.txt" \
    "$work/big.txt"
row "  --preserve-memory --save" "$size" "$peer_wall" 0.12 1.3
cmp -s "$work/out_cli.txt" "$work/out_mawk.txt" || { same="$same; with --preserve-memory DIFFERENT"; status=1; }
rm -f "$work/big.txt" "$work/out_cli.txt" "$work/out_mawk.txt"

# 2. Two hundred thousand lines of about 2,000 bytes.
"$gen" "$work/long.txt" --lines 200000 --dups 30 --words 308
size=$(wc -c <"$work/long.txt")
cat "$work/long.txt" >/dev/null
header "200,000 long lines, $size bytes"
peer "$work/long.txt" "$size"
scan_rows "$work/long.txt" "$size" 0.15 0.15 1.5
rm -f "$work/long.txt"

# 3. One million lines in several scripts.
"$gen" "$work/utf8.txt" --lines 1000000 --dups 30 --scripts
size=$(wc -c <"$work/utf8.txt")
cat "$work/utf8.txt" >/dev/null
header "1,000,000 UTF-8 lines, $size bytes"
peer "$work/utf8.txt" "$size"
scan_rows "$work/utf8.txt" "$size" 0.15 0.15 1.5
rm -f "$work/utf8.txt"

cat "$rows"
echo "saved bytes: $same"
exit "$status"
