#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Lanternleaf.
# Idempotent: does nothing (and needs no network) when everything is present.
#   --fuzz   also clang and the libFuzzer runtime, for the fuzzers (fuzz/README.md)
set -euo pipefail

fuzz=0
for arg in "$@"; do
  case "$arg" in
    --fuzz) fuzz=1 ;;
    *) echo "usage: $0 [--fuzz]" >&2; exit 2 ;;
  esac
done

PACKAGES=(
  build-essential cmake pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5sql5-sqlite libsqlite3-dev libqt5svg5-dev
  qttools5-dev-tools qttools5-dev
  libquazip1-qt5-dev libpoppler-qt5-dev libunrar-dev rar
  xvfb xauth imagemagick
  fonts-dejavu-core fonts-liberation2
  bc xdotool
  poppler-utils qt5-image-formats-plugins
  libdjvulibre-dev djvulibre-bin
  qttranslations5-l10n
)
# clang 14 finds libFuzzer and the sanitizer runtimes in libclang-rt-14-dev,
# which apt would not bring along without recommends.
[ "$fuzz" -eq 1 ] && PACKAGES+=(clang libclang-rt-14-dev)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Please run as root or install sudo." >&2; exit 1; }
  SUDO=sudo
fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q

# The UnRAR library lives in Debian's non-free component; enable it when apt
# cannot see the package yet.
if ! apt-cache show libunrar-dev >/dev/null 2>&1; then
  echo "Enabling Debian's non-free component for the UnRAR library."
  uri=$(grep -hoE '^URIs: *http[^ ]*debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1 | awk '{print $2}')
  [ -n "$uri" ] || uri=$(grep -hoE '^deb +http[^ ]*debian/? ' /etc/apt/sources.list 2>/dev/null | head -n1 | awk '{print $2}')
  [ -n "$uri" ] || uri="http://deb.debian.org/debian"
  $SUDO tee /etc/apt/sources.list.d/lanternleaf-non-free.sources >/dev/null <<SRC
Types: deb
URIs: $uri
Suites: bookworm bookworm-updates
Components: non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  $SUDO apt-get update -q
fi

$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
