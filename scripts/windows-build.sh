#!/usr/bin/env bash
# The one cross-build of the Windows programs, shared by scripts/windows-cross-test.sh and
# scripts/windows-package.sh so that the programs the tests ran are the ones the setup program
# holds, and nothing is compiled twice: GoogleTest for Windows (from Debian's sources, once), then
# the project in <build folder>/cross with cmake/mingw-w64-x86_64.cmake, Release at -O2, warnings
# as errors; with a Qt for Windows (scripts/windows-qt.sh prints one) the GUI too, and Qt's DLLs,
# plugins and translations go beside the programs (cmake/windows.cmake).
#
#   scripts/windows-build.sh <build folder> <Qt prefix, or "none"> <target>...
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "$1" && cd "$1" && pwd)"
qt="$2"
shift 2

# Qt for Windows runs Debian's own moc, rcc and uic (qt6-base-dev has their CMake packages).
"$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix googletest libgtest-dev cmake ninja-build g++ \
  libcli11-dev nlohmann-json3-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n >/dev/null
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
toolchain="$root/cmake/mingw-w64-x86_64.cmake"

gtest_prefix="$out/gtest-install"
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  echo "== building GoogleTest with the cross compiler"
  cmake -S /usr/src/googletest -B "$out/gtest-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$gtest_prefix" \
    -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON "${launcher[@]}" >/dev/null
  cmake --build "$out/gtest-build" -j "$(nproc)" >/dev/null
  cmake --install "$out/gtest-build" >/dev/null
fi

gui=(-DQUILLON_GUI=OFF -DCMAKE_PREFIX_PATH="$gtest_prefix")
[ "$qt" != none ] && gui=(-DQUILLON_GUI=ON -DCMAKE_PREFIX_PATH="$gtest_prefix;$qt")
# -O2: GCC 12 gives false -Wrestrict alarms on std::string at -O3.
cmake -S "$root" -B "$out/cross" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" "${gui[@]}" \
  -DQUILLON_BENCH=OFF -DQUILLON_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build "$out/cross" -j "$(nproc)" --target "$@"
