#!/usr/bin/env bash
# Builds the Windows setup program <build folder>/quillon-<version>-setup.exe on Debian 12: the
# release cross-build of scripts/windows-build.sh (the one scripts/windows-cross-test.sh tests,
# reused when it is there), its install rules (cmake/windows.cmake) into <build folder>/stage:
# quillon.exe, quillon-cli.exe, Qt's DLLs, the windows platform and style plugins, Qt's Russian
# translations and the MinGW runtime; then Debian's makensis with dist/windows/quillon.nsi.
# Installs what it needs; the Qt for Windows comes from scripts/windows-qt.sh, which says how
# to build one when there is none.
# Usage: scripts/windows-package.sh [build folder, default build-win]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "${1:-$root/build-win}" && cd "${1:-$root/build-win}" && pwd)"
fail() { echo "windows-package: $*" >&2; exit 1; }

"$root/scripts/install-deps.sh" nsis binutils-mingw-w64-x86-64 >/dev/null
qt="$("$root/scripts/windows-qt.sh")" || fail "no Qt for Windows, so no quillon.exe to pack (see above)"
"$root/scripts/windows-build.sh" "$out" "$qt" quillon quillon-cli

version="$(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
[ -n "$version" ] || fail "no version in project() of CMakeLists.txt"
stage="$out/stage"
rm -rf "$stage"
cmake --install "$out/cross" --prefix "$stage" --strip >/dev/null
for f in quillon.exe quillon-cli.exe Qt6Core.dll libstdc++-6.dll plugins/platforms/qwindows.dll \
         plugins/styles/qwindowsvistastyle.dll translations/qtbase_ru.qm qt.conf; do
  [ -f "$stage/$f" ] || fail "$f is not among the installed files in $stage"
done

# Every DLL a program or a DLL of the set imports is in the set, unless Windows has it: the ones
# the set must carry are Qt's (Qt6*) and the MinGW runtime's (lib*).
missing="$(cd "$stage" && find . -iname '*.exe' -o -iname '*.dll' | while read -r pe; do
  x86_64-w64-mingw32-objdump -p "$pe" | awk '/DLL Name:/ {print $3}' | while read -r dll; do
    if [[ "$dll" =~ ^(Qt6|lib) ]] && [ ! -f "$dll" ]; then echo "$pe needs $dll"; fi
  done
done)"
[ -z "$missing" ] || fail "the set lacks DLLs: $missing"

# What to install and, in the uninstaller, what to remove: the files one by one, then their
# folders deepest first, so that removing never reaches beyond what was installed.
win() { tr '/' '\\' <<<"$1"; }
files="$out/nsis-files.nsh"
unfiles="$out/nsis-unfiles.nsh"
: >"$files"
: >"$unfiles"
(cd "$stage" && find . -type d | sed 's|^\./\?||' | sort) | while read -r dir; do
  echo "SetOutPath \"\$INSTDIR$( [ -n "$dir" ] && echo "\\$(win "$dir")")\"" >>"$files"
  find "$stage/$dir" -maxdepth 1 -type f | sort | while read -r f; do
    echo "File \"$f\"" >>"$files"
    echo "Delete \"\$INSTDIR\\$(win "${f#"$stage"/}")\"" >>"$unfiles"
  done
done
# The folder the programs run in must not stay the current one, or it could not be removed.
echo "SetOutPath \"\$INSTDIR\"" >>"$files"
(cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | sort -r) | while read -r dir; do
  echo "RMDir \"\$INSTDIR\\$(win "$dir")\"" >>"$unfiles"
done

parts=(${version//./ } 0 0 0)
setup="$out/quillon-$version-setup.exe"
rm -f "$setup"
makensis -V2 -NOCD -DVERSION="$version" -DVI_VERSION="${parts[0]}.${parts[1]}.${parts[2]}.${parts[3]}" \
  -DOUTFILE="$setup" -DICON="$root/dist/windows/quillon.ico" -DSIZE_KB="$(du -sk "$stage" | cut -f1)" \
  -DFILES="$files" -DUNFILES="$unfiles" "$root/dist/windows/quillon.nsi"
echo "setup program: $setup ($(du -h "$setup" | cut -f1))"
