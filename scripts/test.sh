#!/usr/bin/env bash
# Builds everything and runs every test: a normal build (warnings as errors)
# and a build under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
jobs=$(nproc)
# A compiler cache, when the machine has one, makes the second build of the same sources cheap.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

build() {  # dir, extra cmake args...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_WERROR=ON "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

build "$root/build"
(cd "$root/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
# HART-IP on the wire, decoded by tshark from a loopback capture (skips, saying why, without root).
"$root/scripts/hart-ip-capture-check.sh" "$root/build"

build "$root/build-asan" -DQUILLON_SANITIZE=ON -DQUILLON_BENCH=OFF
(cd "$root/build-asan" && QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j "$jobs")
