#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (x86_64-w64-mingw32) on Debian 12, once: a shared, minimal
# qtbase (Core, Gui, Widgets; the windows, offscreen and minimal platform plugins and the
# windowsvista style; no OpenGL, SQL, D-Bus, network, test library or XML) and qtcharts.
#
#   scripts/build-qt-windows.sh
#
# The sources are Debian's: qt6-base's source package at the version of the installed host tools
# (unpacked with Debian's patches, plus scripts/qt-windows-directwrite.patch), and qt6-charts'
# source package, or when that cannot be downloaded (its tarballs are missing from some mirrors)
# upstream's 6.4.2 source tree packed as qtcharts-6.4.2-src.tar.xz in $QUILLON_QT_SHARED (default
# shared/qt-windows beside the checkout), taken only when its SHA-256 matches the .sha256 file
# beside it. The compiler is Debian's g++-mingw-w64-x86-64-posix; moc, rcc and uic are Debian's
# own (qt6-base-dev-tools).
#
# Everything happens in the cache folder ($QUILLON_CACHE, default ~/.cache/quillon):
# qt6.4.2-mingw64/qt6-mingw is the result (about 85 MB), which scripts/windows-qt.sh finds;
# src/, build-qtbase/ and build-qtcharts/ beside it may be deleted afterwards. A later run finds
# the result and does nothing; a run that was stopped starts again at the step it stopped in.
# About 80 minutes on two cores. Env: JOBS (default: the number of cores).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
qt_version=6.4.2
cache="${QUILLON_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillon}"
work="$cache/qt$qt_version-mingw64"
prefix="$work/qt6-mingw"
shared="${QUILLON_QT_SHARED:-$root/../shared/qt-windows}"
jobs="${JOBS:-$(nproc)}"
started=$(date +%s)
log() { printf '== %s (%s min) %s\n' "$(date +%T)" "$(( ($(date +%s) - started) / 60 ))" "$*"; }

if [ -f "$prefix/.complete" ]; then
  log "Qt $qt_version for Windows is already built: $prefix"
  exit 0
fi

# --- packages, all from Debian 12 -------------------------------------------------------------
"$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools cmake ninja-build \
  perl dpkg-dev patch xz-utils ca-certificates
# The source must be the version of the host tools (moc's output must match its headers).
base_version="$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"
case "$base_version" in
  "$qt_version"+*) ;;
  *) echo "build-qt-windows: the installed qt6-base-dev-tools is $base_version, not $qt_version" >&2; exit 1 ;;
esac
charts_version="$(apt-cache show qt6-charts-dev 2>/dev/null | awk '/^Version:/ {print $2; exit}')"

mkdir -p "$work/src" "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
cd "$work/src"

# apt-get source needs deb-src entries. The system's own apt set-up is left alone: a private one
# lists the sources of the same bookworm mirror (and keeps its index here, not in /var/lib/apt).
apt_src=(apt-get -q -o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
         -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache")
fetch_source() {  # package=version: downloads the .dsc and its tarballs into the current folder
  if [ ! -s "$work/apt/sources.list" ]; then
    mirror="$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(TARGET_OF)' |
              awk '$2 == "bookworm" && $3 == "deb" {print $1; exit}')"
    mirror="${mirror:-http://deb.debian.org/debian/}"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" \
      >"$work/apt/sources.list"
    log "reading the source index of $mirror bookworm"
    "${apt_src[@]}" update >/dev/null
  fi
  "${apt_src[@]}" source --download-only "$1"
}

if [ ! -f qtbase/.unpacked ]; then
  rm -rf qtbase
  log "qtbase: Debian's source package qt6-base=$base_version"
  fetch_source "qt6-base=$base_version"
  dpkg-source -x "qt6-base_${base_version#*:}.dsc" qtbase  # applies Debian's patches
  log "qtbase: applying scripts/qt-windows-directwrite.patch"
  patch -d qtbase -p1 --forward <"$root/scripts/qt-windows-directwrite.patch"
  touch qtbase/.unpacked
fi

if [ ! -f qtcharts/.unpacked ]; then
  rm -rf qtcharts
  if [ -n "$charts_version" ] && fetch_source "qt6-charts=$charts_version" 2>/dev/null; then
    log "qtcharts: Debian's source package qt6-charts=$charts_version"
    dpkg-source -x "qt6-charts_${charts_version#*:}.dsc" qtcharts
  else
    tarball="$shared/qtcharts-$qt_version-src.tar.xz"
    log "qtcharts: Debian's qt6-charts source cannot be downloaded here; upstream's $qt_version from $tarball"
    if [ ! -f "$tarball" ]; then
      echo "build-qt-windows: no $tarball: put upstream's qtcharts $qt_version source tree there, packed" \
           "as qtcharts/, with its SHA-256 in a .sha256 file beside it, or set QUILLON_QT_SHARED" >&2
      exit 1
    fi
    # Its sum may be in a file of its own or in the one that lists every file of the folder.
    name="$(basename "$tarball")"
    expected="$(cat "$shared"/*.sha256 2>/dev/null | awk -v f="$name" '$2 == f || $2 == "*" f {print $1; exit}')"
    actual="$(sha256sum "$tarball" | cut -d' ' -f1)"
    if [ -z "$expected" ] || [ "$expected" != "$actual" ]; then
      echo "build-qt-windows: $tarball does not match its SHA-256 (${expected:-none given}, the file has $actual)" >&2
      exit 1
    fi
    tar -xJf "$tarball"
    [ "$(cat qtcharts/.tag 2>/dev/null)" != "" ] || { echo "build-qt-windows: $tarball holds no qtcharts/" >&2; exit 1; }
  fi
  touch qtcharts/.unpacked
fi

# --- the cross compiler, as the project's own toolchain file has it, without the static runtime
# (Qt's DLLs share the MinGW runtime DLLs that are deployed beside them) ----------------------
toolchain="$work/mingw-toolchain.cmake"
cat >"$toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
EOF

# Ninja's progress, one line for every 5 % of the steps; the whole output goes to a log.
build() {  # name, build folder
  local logfile="$work/build-$1.log"
  log "$1: building with $jobs jobs (log: $logfile)"
  if ! nice -n 10 cmake --build "$2" -j "$jobs" 2>&1 | tee "$logfile" |
       awk -v name="$1" 'match($0, /^\[[0-9]+\/[0-9]+\]/) {
           split(substr($0, 2, RLENGTH - 2), n, "/"); p = int(100 * n[1] / n[2]);
           if (p >= shown + 5) { shown = p; printf "   %s: %d %% (%d of %d)\n", name, p, n[1], n[2]; fflush() } }'; then
    tail -n 40 "$logfile" >&2
    exit 1
  fi
}

if [ ! -f "$work/build-qtbase/.installed" ]; then
  log "qtbase: configuring (log: $work/configure-qtbase.log)"
  rm -rf "$work/build-qtbase" "$work/build-qtcharts" "$prefix"
  # Left out: what the tool does not use, and what a MinGW build cannot have here (tablet input:
  # wintab is not in Debian's repacked source; Direct2D; dynamic OpenGL, hence INPUT_opengl too).
  cmake -S "$work/src/qtbase" -B "$work/build-qtbase" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_pkg_config=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_testlib=OFF -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_zstd=OFF -DFEATURE_jpeg=OFF \
    -DFEATURE_androiddeployqt=OFF -DFEATURE_qmake=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_doubleconversion=OFF \
    >"$work/configure-qtbase.log" 2>&1 || { tail -n 40 "$work/configure-qtbase.log" >&2; exit 1; }
  build qtbase "$work/build-qtbase"
  cmake --install "$work/build-qtbase" >/dev/null
  touch "$work/build-qtbase/.installed"
fi

if [ ! -f "$work/build-qtcharts/.installed" ]; then
  log "qtcharts: configuring (log: $work/configure-qtcharts.log)"
  rm -rf "$work/build-qtcharts"
  "$prefix/bin/qt-cmake" -S "$work/src/qtcharts" -B "$work/build-qtcharts" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    >"$work/configure-qtcharts.log" 2>&1 || { tail -n 40 "$work/configure-qtcharts.log" >&2; exit 1; }
  build qtcharts "$work/build-qtcharts"
  cmake --install "$work/build-qtcharts" >/dev/null
  touch "$work/build-qtcharts/.installed"
fi

touch "$prefix/.complete"
log "done: $prefix ($(du -sh "$prefix" | cut -f1)); src/ and build-*/ in $work may be deleted"
