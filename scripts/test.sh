#!/usr/bin/env bash
# Installs, builds and runs the whole test suite headless; ends with ctest's
# summary and fails when any test fails.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/build.sh"
cd "${LANTERNLEAF_BUILD_DIR:-$here/build}"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure --parallel "$(nproc)" "$@"
