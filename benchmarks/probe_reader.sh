#!/usr/bin/env bash
# Drives the real program on a private virtual display the way a reader
# would, with the stall monitor on, and saves a screenshot after each step:
# open BOOK, turn 40 pages (Right arrow, 0.1 s apart, across chapters),
# make the font larger twice (A+ on the tool bar), switch between one and two
# columns, search for WORD from the header's search field. Prints the steps
# and every stall of the window's event loop over 50 ms in the order they
# happened and, at the end, the longest stall.
#
#   benchmarks/probe_reader.sh BOOK [WORD] [OUT_PREFIX]
#
# Needs Xvfb, xdotool and imagemagick's import. The clicks are placed
# relative to the window in its first-run size and layout (1280x800 screen).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
book=$1
word=${2:-whale}
prefix=${3:-/tmp/probe}
bin=$(mktemp -d)
# A private copy: two programs started from one path are one instance.
cp -r "${LANTERNLEAF_BUILD_DIR:-$here/build}/bin/." "$bin/"
display=":$((100 + RANDOM % 800))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
home=$(mktemp -d)
log=$(mktemp)
cleanup() {
  kill "${app:-}" 2>/dev/null || true
  kill $xvfb 2>/dev/null || true
  rm -rf "$bin" "$home"
}
trap cleanup EXIT
sleep 0.5
export DISPLAY=$display
step() { echo "step $1 at $(date +%s.%N | cut -c1-14)" >>"$steps"; }
steps=$(mktemp)
step open
HOME=$home LANTERNLEAF_STALL_LOG=50 "$bin/lanternleaf" "$book" >"$log" 2>&1 &
app=$!
win=
for _ in $(seq 50); do
  win=$(xdotool search --onlyvisible --name Lanternleaf 2>/dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "no window" >&2; exit 1; }
shot() { import -window root "${prefix}_$1.png"; echo "shot ${prefix}_$1.png at $(date +%s.%N | cut -c1-14)" >>"$steps"; }
# Real input (XTEST) at screen positions: there is no window manager to
# deliver events sent to a window.
eval "$(xdotool getwindowgeometry --shell "$win")"
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; }
sleep 4
shot 1-opened
# Focus on the page without turning it: a click on the left of the first page.
click 150 400
step turning
for _ in $(seq 40); do xdotool key Right; sleep 0.1; done
sleep 1
shot 2-turned
step font
click 78 217; sleep 1; click 78 217; sleep 2
shot 3-font
step columns
click 78 281; sleep 2
shot 4-columns
step search
click 626 64; sleep 0.3
xdotool type --delay 50 "$word"; xdotool key Return; sleep 4
shot 5-search
kill -TERM $app; wait $app 2>/dev/null || true
# Steps and stalls in the order they happened.
{ cat "$steps"; grep -E '^stall' "$log" || true; } | awk '{print $NF, $0}' | sort -n | cut -d' ' -f2- |
  sed 's/ at [0-9.]*$//'
grep -E '^longest stall' "$log" || echo "(no summary: the program did not end normally)"
rm -f "$log" "$steps"
