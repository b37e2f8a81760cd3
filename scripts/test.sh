#!/usr/bin/env bash
# Installs, builds and runs the whole test suite headless, then runs it again
# under AddressSanitizer and UndefinedBehaviorSanitizer
# (scripts/test-sanitizers.sh); fails when any test fails in either.
# --no-sanitizers (or LANTERNLEAF_NO_SANITIZERS=1) skips the second run for a
# quick local check. Other arguments go to ctest.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/step-times.sh"

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
