#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing.
# With arguments, installs those packages instead (when missing): the scripts
# that need more than the build (clang for fuzzing, MinGW and Wine, mmdebstrap)
# install it the same way.
#
#   scripts/install-deps.sh [package ...]
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
          qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev fonts-dejavu-core
          qt6-translations-l10n
          tshark)  # tshark: the outside check of the HART-IP captures (tests skip without it)
[ $# -gt 0 ] && packages=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  # tshark's package asks whether non-root users may capture; answer before it asks.
  if printf '%s\n' "${missing[@]}" | grep -qx tshark && command -v debconf-set-selections >/dev/null; then
    echo "wireshark-common wireshark-common/install-setuid boolean false" | $SUDO debconf-set-selections
  fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
