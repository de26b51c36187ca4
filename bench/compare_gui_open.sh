#!/bin/sh
# Times the desktop program's Open command against twinsift-cli on the same
# files: 1,000,000 and 100,000 lines with the line limit off, and 29,000 lines
# with the default limit (30,000), so that the views are filled. Prints each
# time, the ratio to the command line's and the peak memory of each process.
#
#   bench/compare_gui_open.sh BUILD_DIR
#
# Needs a display; without one it starts a virtual X server (xvfb-run).
# Not run by CI.
set -eu

build=${1:?usage: compare_gui_open.sh BUILD_DIR}
cli="$build/src/cli/twinsift-cli"
gen="$build/bench/twinsift_bench_gen"
gui="$build/bench/twinsift_bench_gui_open"
for exe in "$cli" "$gen" "$gui"; do
  [ -x "$exe" ] || { echo "missing $exe (build it first)" >&2; exit 1; }
done

xrun=""
if [ -z "${DISPLAY:-}" ]; then xrun="xvfb-run -a -s -screen\ 0\ 1280x1024x24"; fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM

measure() { # label lines cutoff
  label=$1 lines=$2 cutoff=$3
  file="$tmp/lines_$lines.txt"
  [ -f "$file" ] || "$gen" "$file" --lines "$lines" --dups 30 >/dev/null
  cat "$file" >/dev/null
  /usr/bin/time -f "%e %M" -o "$tmp/cli_time" "$cli" --quiet --list "$file" >/dev/null 2>&1
  read -r cli_s cli_kb <"$tmp/cli_time"
  # shellcheck disable=SC2086
  out=$(eval /usr/bin/time -f "'%e %M'" -o "'$tmp/gui_time'" $xrun "'$gui'" "'$file'" --cutoff "$cutoff")
  read -r _ gui_kb <"$tmp/gui_time"
  gui_s=$(echo "$out" | awk '{print $1}')
  awk -v l="$label" -v c="$cli_s" -v g="$gui_s" -v ck="$cli_kb" -v gk="$gui_kb" -v size="$(wc -c <"$file")" 'BEGIN {
    printf "%-34s %9d bytes  cli %6.2f s  window %6.2f s  ratio %4.2f  peak cli %5.0f MB, window process %5.0f MB\n",
      l, size, c, g, (c > 0 ? g / c : 0), ck / 1024, gk / 1024 }'
  echo "    window: $out"
}

measure "1,000,000 lines, line limit 0" 1000000 0
measure "100,000 lines, line limit 0" 100000 0
measure "29,000 lines, default line limit" 29000 30000
