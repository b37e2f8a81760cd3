#!/usr/bin/env bash
# Developer aid: starts Lanternleaf on a private virtual display with a
# throw-away home and saves screenshots after the given delays.
#   scripts/screenshot.sh OUT_PREFIX "DELAY..." [book files...]
# e.g. scripts/screenshot.sh /tmp/shot "1 4" book.fb2  ->  /tmp/shot_1.png /tmp/shot_4.png
# LANTERNLEAF_HOME reuses a home (to keep a library between runs).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
prefix=$1; delays=$2; shift 2
display=":$((100 + RANDOM % 800))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 0.5
home=${LANTERNLEAF_HOME:-$(mktemp -d)}
HOME=$home DISPLAY=$display "${LANTERNLEAF_BUILD_DIR:-$here/build}/bin/lanternleaf" "$@" >/dev/null 2>&1 &
app=$!
elapsed=0
for d in $delays; do
  sleep "$(echo "$d - $elapsed" | bc)"
  elapsed=$d
  DISPLAY=$display import -window root "${prefix}_${d}.png"
done
kill $app 2>/dev/null || true
wait $app 2>/dev/null || true
