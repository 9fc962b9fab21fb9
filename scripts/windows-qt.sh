#!/usr/bin/env bash
# Prints the folder of the Qt for Windows (x86_64-w64-mingw32) that the Windows scripts build
# against, taken from the first of:
#   1. $QUILLON_QT_WINDOWS, a prefix given by hand;
#   2. the cache folder, where scripts/build-qt-windows.sh leaves its build
#      ($QUILLON_CACHE, default ${XDG_CACHE_HOME:-~/.cache}/quillon);
#   3. a packed build of it (qt6.4.2-mingw64.tar.xz) in $QUILLON_QT_SHARED, default the
#      shared/qt-windows folder beside the checkout, unpacked into the cache folder only when its
#      SHA-256 matches the .sha256 file beside it.
# Without any of them it says how to build one and exits with status 1.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
version=6.4.2
cache="${QUILLON_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillon}"
cached="$cache/qt$version-mingw64/qt6-mingw"
shared="${QUILLON_QT_SHARED:-$root/../shared/qt-windows}"
tarball="$shared/qt$version-mingw64.tar.xz"

say() { printf 'windows-qt: %s\n' "$*" >&2; }

# A prefix counts once everything the tool links is there; a build or an unpack that stopped
# half-way leaves no stamp and is not taken.
usable() {
  [ -f "$1/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ] && [ -f "$1/lib/cmake/Qt6Charts/Qt6ChartsConfig.cmake" ] &&
    [ -f "$1/bin/Qt6Core.dll" ] && grep -q "\"$version\"" "$1/lib/cmake/Qt6/Qt6ConfigVersionImpl.cmake" 2>/dev/null
}

if [ -n "${QUILLON_QT_WINDOWS:-}" ]; then
  if usable "$QUILLON_QT_WINDOWS"; then
    cd "$QUILLON_QT_WINDOWS" && pwd
    exit 0
  fi
  say "QUILLON_QT_WINDOWS=$QUILLON_QT_WINDOWS is not a Qt $version prefix for Windows with Widgets and Charts"
  exit 1
fi

if usable "$cached" && [ -f "$cached/.complete" ]; then
  echo "$cached"
  exit 0
fi

if [ -f "$tarball" ] && [ -f "$tarball.sha256" ]; then
  expected="$(awk -v f="$(basename "$tarball")" '$2 == f || $2 == "*" f {print $1}' "$tarball.sha256")"
  actual="$(sha256sum "$tarball" | cut -d' ' -f1)"
  if [ -n "$expected" ] && [ "$expected" = "$actual" ]; then
    say "unpacking $tarball (SHA-256 checked) into $cache"
    mkdir -p "$cache"
    staging="$(mktemp -d "$cache/unpack.XXXXXX")"
    trap 'rm -rf "$staging"' EXIT
    tar -xJf "$tarball" -C "$staging"
    if usable "$staging/qt6-mingw"; then
      touch "$staging/qt6-mingw/.complete"
      rm -rf "$cached"
      mkdir -p "$(dirname "$cached")"
      mv "$staging/qt6-mingw" "$cached"
      echo "$cached"
      exit 0
    fi
    say "$tarball does not hold a Qt $version prefix for Windows (qt6-mingw/ with Widgets and Charts)"
  else
    say "$tarball does not match its SHA-256 (${expected:-none given}, the file has $actual): not used"
  fi
fi

say "no Qt $version for Windows found: not in QUILLON_QT_WINDOWS, not in $cached, no packed build in $shared."
say "Build it once (about 80 minutes on two cores, from Debian's sources, into $cached):"
say "    scripts/build-qt-windows.sh"
exit 1
