#!/usr/bin/env bash
# Builds the Debian package build-package/quillon_<version>_amd64.deb: a Release build of the
# shipped programs only (no tests, no benchmarks), their manual pages, then CPack. Then checks
# the package as a user's machine and Debian would: desktop-file-validate on the desktop entry,
# appstreamcli validate --no-net on the metainfo, lintian on the package. Any error fails.
# Usage: scripts/package.sh [build folder, default build-package]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-package}"
"$root/scripts/install-deps.sh"
# help2man writes the manual pages; dpkg-dev and file are what dpkg-shlibdeps and CPack's
# stripping need; the last three are the checks.
"$root/scripts/install-deps.sh" help2man dpkg-dev file binutils desktop-file-utils appstream lintian
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# Debian's flags with all hardening, as a package built by dpkg-buildpackage would get them:
# their -O2 (not CMake's -O3 of Release), without -g (the programs are stripped anyway, and the
# build is faster without).
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1" | sed 's/ -g / /; s/^-g //'; }
cppflags=$(flags CPPFLAGS)
cxxflags=$(flags CXXFLAGS)
ldflags=$(flags LDFLAGS)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_WERROR=ON -DQUILLON_BENCH=OFF \
  -DQUILLON_PACKAGING=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$(nproc)" --target quillon_package_contents
rm -f "$build"/quillon_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/quillon_*_*.deb)
echo "package: $deb"

failed=0
check() {  # name, command...: prints what the check said, remembers a failure
  local name=$1; shift
  local out rc=0
  out=$("$@" 2>&1) || rc=$?
  if [ $rc -ne 0 ]; then failed=1; echo "FAILED: $name"; else echo "ok: $name"; fi
  [ -n "$out" ] && printf '%s\n' "$out" | sed 's/^/  /'
  return 0
}
contents=$(mktemp -d /tmp/quillon-package.XXXXXX)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
check "no test or benchmark programs in the package" \
  bash -c "! dpkg-deb -c '$deb' | grep -E '(_tests|bench_|fuzz_)'"
check desktop-file-validate desktop-file-validate "$contents"/usr/share/applications/*.desktop
check "appstreamcli validate --no-net" appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml
# What the package offers must be said where users look for it: apt's description and software centres.
for word in quillon-cli HART-IP; do
  check "$word in the package description" bash -c "dpkg-deb -f '$deb' Description | grep -q -- '$word'"
  check "$word in the metainfo" grep -q -- "$word" "$contents"/usr/share/metainfo/org.quillon.Quillon.metainfo.xml
done
check "quillon-cli manual page and bash completion" \
  test -f "$contents"/usr/share/man/man1/quillon-cli.1.gz -a -f "$contents"/usr/share/bash-completion/completions/quillon-cli
# Warnings are printed (and explained in the README); errors fail.
check lintian lintian --fail-on error --info "$deb"
dpkg-deb -f "$deb" Package Version Architecture Depends | sed 's/^/  /'
exit $failed
