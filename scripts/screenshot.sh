#!/usr/bin/env bash
# Remakes docs/main-window.png, the picture of the main window in the README:
# the bundled sample opened and scanned, in a window under a virtual display.
#
# Needs (Debian 12): xvfb openbox xdotool imagemagick, and a built program
# (bash scripts/run_sample.sh builds it). Usage: scripts/screenshot.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
program="$build/src/app/twinsift"
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }
for tool in Xvfb openbox xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing $tool (apt-get install xvfb openbox xdotool imagemagick)" >&2; exit 1; }
done

work=$(mktemp -d)
cleanup() {
  kill "${app_pid:-}" "${wm_pid:-}" "${x_pid:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of its own and a settings folder of its own: the quickstart
# window stays closed and the window opens at a size that shows the lists.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
x_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wm_pid=$!
mkdir -p "$work/config/Quorvane"
cat > "$work/config/Quorvane/Twinsift.conf" <<'CONF'
[Twinsift]
bShowQuickstartWindow=False
winLeft=1500
winTop=1500
winWidth=9000
winHeight=8400
CONF
XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb "$program" "$here/samples/fruits.txt" >/dev/null 2>&1 &
app_pid=$!

# The load options dialog comes first: take the stored options with Enter.
for _ in $(seq 100); do
  dialog=$(xdotool search --name 'Opening file' 2>/dev/null | head -n 1 || true)
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "${dialog:-}" ] || { echo "the load options dialog did not show" >&2; exit 1; }
sleep 0.5
xdotool windowactivate --sync "$dialog" key --clearmodifiers Return 2>/dev/null || xdotool key --window "$dialog" Return

# The caption names the file once the scan has finished.
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name 'fruits.txt' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the window did not show the scanned sample" >&2; exit 1; }
sleep 1
import -window "$window" -frame "$here/docs/main-window.png" 2>/dev/null || import -window "$window" "$here/docs/main-window.png"
echo "wrote docs/main-window.png"
