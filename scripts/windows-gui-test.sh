#!/usr/bin/env bash
# The windows of the Windows build and its setup program, under Wine. Called by
# scripts/windows-cross-test.sh once the cross-build holds quillon.exe; on its own it needs that
# build in the build folder (default build-win, or the first argument).
#   1. quillon.exe --self-test, off-screen;
#   2. the window tests (quillon_ui_tests.exe) off-screen, in a random order, then the walk
#      through every window again at 125 % scaling; pass counts and the reason of any skip printed;
#   3. under Xvfb with the windows platform plugin, quillon_com_window_tests.exe: the main window
#      identifies a simulated device through COM12 and polls it, every window's texts whole,
#      pictures of them in <build folder>/window-shots;
#   4. the setup program (scripts/windows-package.sh): installed silently, the installed programs
#      run, uninstalled silently, and nothing of it left: files, Start-menu entry, registry key.
# Wine passes no QT_* variable to a Windows program; it passes WINEQT_X as QT_X. The off-screen
# plugin finds no fonts on Windows unless told a folder (DejaVu here).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(cd "${1:-$root/build-win}" && pwd)"
cross="$out/cross"
started=$(date +%s)
log() { printf '== [%d s] %s\n' "$(( $(date +%s) - started ))" "$*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

[ -f "$cross/quillon.exe" ] && [ -f "$cross/quillon_ui_tests.exe" ] ||
  fail "no quillon.exe and window tests in $cross: run scripts/windows-cross-test.sh"
"$root/scripts/install-deps.sh" wine64 fonts-dejavu-core xvfb nsis >/dev/null
# shellcheck source=scripts/windows-wine.sh
source "$root/scripts/windows-wine.sh"

# --- a display for the windows plugin; the off-screen runs ignore it ---------------
xvfb_pid=""
cleanup() {
  wine_cleanup
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
rm -f "$out/xvfb.display"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$out/xvfb.display" 2>"$out/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$out/xvfb.display" ] && break
  sleep 0.1
done
[ -s "$out/xvfb.display" ] || fail "Xvfb did not start: $(cat "$out/xvfb.log")"
export DISPLAY=":$(head -n 1 "$out/xvfb.display")"
unset WAYLAND_DISPLAY
native_devsim >/dev/null
# A fresh Wine server: its desktop takes the display of the first program, this one.
wine_start

offscreen=(env WINEQT_QPA_PLATFORM=offscreen 'WINEQT_QPA_FONTDIR=Z:\usr\share\fonts\truetype\dejavu')

# A test program's summary, the reason of every skipped test, and on failure all it printed.
# What a program printed, without Windows' line ends and without Wine's note that it may not read
# the volume label of Z: (the Linux root).
said() { "$@" 2>&1 | tr -d '\r' | { grep -v '^wine: Read access denied for device' || true; }; }

gtest_run() {  # log name, command...
  local name=$1 logfile="$out/$1.log" rc=0
  shift
  said "$@" >"$logfile" || rc=$?
  awk '/^Note: Randomizing tests. orders/ {print "  " $0}
       /: Skipped$/ {getline reason; print "  skipped: " reason}
       /^\[==========\] .* ran\./ {summary = 1} summary' "$logfile"
  [ $rc -eq 0 ] || { cat "$logfile"; fail "$name (log: $logfile)"; }
}

log "quillon.exe --self-test under Wine, off-screen"
said="$(said "${offscreen[@]}" "$wine" "$cross/quillon.exe" --self-test)" ||
  fail "quillon.exe --self-test: $said"
grep -q '^quillon: self-test: main window ".*" shown$' <<<"$said" || fail "quillon.exe --self-test printed: $said"
echo "  $said"

log "the window tests under Wine, off-screen, in a random order"
gtest_run ui-tests "${offscreen[@]}" "$wine" "$cross/quillon_ui_tests.exe" --gtest_shuffle
log "every window again at 125 % scaling"
gtest_run ui-tests-125 "${offscreen[@]}" WINEQT_SCALE_FACTOR=1.25 "$wine" "$cross/quillon_ui_tests.exe" \
  --gtest_filter='EveryWindow.*'

log "the main window through COM12 under Xvfb, windows platform plugin"
com_device devsim-window --preset rev8 --long-address 260F092964 --hart-speed 3 --turnaround-ms 5
shots="$out/window-shots"
rm -rf "$shots" && mkdir -p "$shots"
gtest_run com-window env QUILLON_TEST_COM="COM$com_number" QUILLON_WINDOW_SHOTS="Z:$shots" \
  "$wine" "$cross/quillon_com_window_tests.exe"
echo "  pictures: $(cd "$shots" && ls | tr '\n' ' ')(in $shots)"

# --- the setup program -------------------------------------------------------------
log "the setup program"
"$root/scripts/windows-package.sh" "$out"
version="$(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
setup="$out/quillon-$version-setup.exe"
drive_c="$WINEPREFIX/drive_c"
installed="$drive_c/Program Files/Quillon"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillon.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'
# Everything on drive C but Windows itself, the temporary folders (the uninstaller runs from a
# copy there, which Windows removes at the next start) and the user's own data, which the
# uninstaller leaves where the README says.
listing() {
  (cd "$drive_c" && find . \( -path ./windows -o -path './users/*/Temp' -o -path './users/*/AppData/Local/Temp' \
    -o -path './users/*/AppData/Local/Quillon' \) -prune -o -print | sort)
}
listing >"$out/drive-c.before"

log "silent install under Wine"
"$wine" "$setup" /S
for f in quillon.exe quillon-cli.exe uninstall.exe Qt6Core.dll plugins/platforms/qwindows.dll \
         translations/qtbase_ru.qm; do
  [ -f "$installed/$f" ] || fail "the setup program did not install $f"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
entry="$("$wine" reg query "$key" 2>/dev/null | tr -d '\r')" || fail "no entry in Apps and features ($key)"
grep -Eq "DisplayVersion +REG_SZ +$version$" <<<"$entry" || fail "the Uninstall key says: $entry"
grep -Eq 'UninstallString +REG_SZ +"C:\\Program Files\\Quillon\\uninstall.exe"$' <<<"$entry" ||
  fail "the Uninstall key says: $entry"

log "the installed programs"
said="$(said "$wine" 'C:\Program Files\Quillon\quillon.exe' --self-test)" ||
  fail "installed quillon.exe --self-test: $said"
grep -q '^quillon: self-test: main window ".*" shown$' <<<"$said" || fail "installed quillon.exe printed: $said"
echo "  $said"
said="$(said "$wine" 'C:\Program Files\Quillon\quillon-cli.exe' --version)"
[ "$said" = "quillon-cli $version" ] || fail "installed quillon-cli.exe --version printed: $said"
echo "  $said"

log "silent uninstall under Wine"
# The uninstaller runs a copy of itself from the temporary folder and returns at once.
"$wine" "C:\\Program Files\\Quillon\\uninstall.exe" /S
for _ in $(seq 300); do
  [ -e "$installed" ] || [ -e "$shortcut" ] || break
  sleep 0.1
done
# Its last step removes the registry key.
for _ in $(seq 20); do
  "$wine" reg query "$key" >/dev/null 2>&1 || break
  sleep 0.5
done
if "$wine" reg query "$key" >/dev/null 2>&1; then fail "the Uninstall key is still there"; fi
listing >"$out/drive-c.after"
left="$(comm -13 "$out/drive-c.before" "$out/drive-c.after")"
[ -z "$left" ] || fail "left behind after the uninstall: $left"
log "windows and setup program: all passed"
