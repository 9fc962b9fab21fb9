#!/usr/bin/env bash
# Builds and starts the tool. A simulated device is started on a virtual port
# first, so the tool can be tried without hardware: choose that port in
# "Установить параметры связи".
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)"

# The tool's first start addresses short address 1; the simulated device answers there.
"$root/build/quillon-devsim" --short-address 1 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
sleep 0.5
if [ -x "$root/build/quillon" ]; then
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found; starting the tool off-screen (QT_QPA_PLATFORM=offscreen)."
    export QT_QPA_PLATFORM=offscreen
  fi
  "$root/build/quillon"
else
  wait $sim
fi
