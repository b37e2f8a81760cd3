#!/usr/bin/env bash
# Installs, builds and starts the reader, opening any book files given.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/build.sh" >&2
exec "${LANTERNLEAF_BUILD_DIR:-$here/build}/bin/lanternleaf" "$@"
