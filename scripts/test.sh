#!/usr/bin/env bash
# Installs, builds and runs the whole test suite headless, then runs it again
# under AddressSanitizer and UndefinedBehaviorSanitizer
# (scripts/test-sanitizers.sh); fails when any test fails in either.
# --no-sanitizers (or LANTERNLEAF_NO_SANITIZERS=1) skips the second run for a
# quick local check. Other arguments go to ctest.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# Each step logs its wall and processor seconds: on a shared machine the wall
# time alone says little. cpu_now sets cpu to the processor seconds of the
# finished child processes; "times" must run in this shell, not in a command
# substitution's subshell.
cpu_file=$(mktemp)
trap 'rm -f "$cpu_file"' EXIT
cpu_now() {
  times >"$cpu_file"
  cpu=$(awk 'NR == 2 { n = 0; for (i = 1; i <= 2; i++) { split($i, t, /[ms]/); n += t[1] * 60 + t[2] } printf "%d", n }' "$cpu_file")
}
step_begin() { step_wall=$SECONDS; cpu_now; step_cpu=$cpu; }
step_end() { cpu_now; echo "== $1: $((SECONDS - step_wall)) s wall, $((cpu - step_cpu)) s processor"; }

sanitizers=${LANTERNLEAF_NO_SANITIZERS:-0}
[ "$sanitizers" = 1 ] && sanitizers=no || sanitizers=yes
args=()
for arg in "$@"; do
  if [ "$arg" = --no-sanitizers ]; then
    sanitizers=no
  else
    args+=("$arg")
  fi
done

step_begin
bash "$here/scripts/build.sh"
step_end "build"
step_begin
(
  cd "${LANTERNLEAF_BUILD_DIR:-$here/build}"
  export QT_QPA_PLATFORM=offscreen
  ctest --output-on-failure --parallel "$(nproc)" ${args[@]+"${args[@]}"}
)
step_end "tests"

if [ "$sanitizers" = yes ]; then
  bash "$here/scripts/test-sanitizers.sh" ${args[@]+"${args[@]}"}
fi
