# Sourced by the Windows test scripts (scripts/windows-cross-test.sh, scripts/windows-gui-test.sh):
# Wine in a prefix of its own under the build folder, the native device simulator, and a
# simulated device behind a COM port of that prefix. Expects $root and $out to be set.

com_number=12  # above 9: only the \\.\COMn form opens it
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine64)"
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver="$(command -v wineserver64 || command -v wineserver)"
devsim_pid=""

wine_cleanup() {
  if [ -n "$devsim_pid" ]; then kill "$devsim_pid" 2>/dev/null && wait "$devsim_pid" 2>/dev/null; fi
  devsim_pid=""
  rm -f "$WINEPREFIX/dosdevices/com$com_number"
  "$wineserver" -k >/dev/null 2>&1 || true
}

# Wine, in $out/wineprefix, created on the first run. A server that stays up between the
# programs saves starting it for each.
wine_start() {
  export WINEPREFIX="$out/wineprefix"
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompts, and no menu entries or icons of the Windows programs in
  # the Linux desktop's menus (the setup program makes a Start-menu entry).
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export WINEARCH=win64
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== creating the Wine prefix"
    "$wine" wineboot --init >/dev/null 2>&1 || true
    "$wineserver" -w
  fi
  # Windows drawn by Wine itself in a desktop the size of the screen, title bars included, as on
  # Windows: without a window manager (Xvfb) they would have none. Headless runs are not affected.
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Quillon /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Quillon /d 1366x768 /f >/dev/null 2>&1
  # Wine has none of Windows' fonts, and in their place hands out whatever it finds: the names
  # Windows' dialogs and Qt ask for get DejaVu's fonts, sans-serif for the texts, fixed-pitch for
  # Courier New (Qt's fixed-pitch font), both with Cyrillic.
  local name
  for name in 'MS Shell Dlg' 'MS Shell Dlg 2' 'Tahoma' 'Segoe UI' 'Arial'; do
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" /d 'DejaVu Sans' /f >/dev/null 2>&1
  done
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'DejaVu Sans Mono' /f \
    >/dev/null 2>&1
  wine_server_restart
}

# Wine's own processes (services, the desktop) start with the first program and live as long as
# the server: started here, with no output, so that they hold no pipe of a test's output open.
wine_server_restart() {
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -p120 >/dev/null 2>&1  # its dump of objects at exit is no use here
  "$wine" cmd /c exit >/dev/null 2>&1 || true
}

# The Linux simulator program: the one of the Linux build when scripts/test.sh made it, else a
# build of its own.
native_devsim() {
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  native="$root/build"
  if [ ! -f "$native/CMakeCache.txt" ]; then
    native="$out/native"
    cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_GUI=OFF -DQUILLON_BENCH=OFF \
      "${launcher[@]}" >/dev/null
  fi
  cmake --build "$native" -j "$(nproc)" --target quillon-devsim quillon-cli
}

# A fresh simulator (arguments: its log's name, then its options) on a pseudo-terminal that the
# prefix knows as COM12, in place of the one before. The link alone opens, but Wine lists a port
# (registry serial-port map, DOS device names) only when its port table names it, as a Windows
# driver registers its ports; Wine reads the table when its server starts.
com_device() {
  local name=$1
  shift
  if [ -n "$devsim_pid" ]; then kill "$devsim_pid" 2>/dev/null && wait "$devsim_pid" 2>/dev/null || true; fi
  local ports_dir="$out/ports"
  mkdir -p "$ports_dir" && chmod 700 "$ports_dir"
  QUILLON_PORTS_DIR="$ports_dir" "$native/quillon-devsim" "$@" --name "$name" </dev/null >"$out/$name.log" 2>&1 &
  devsim_pid=$!
  for _ in $(seq 300); do
    [ -s "$out/$name.log" ] && break
    sleep 0.1
  done
  local pty
  pty="$(readlink -f "$(head -n 1 "$out/$name.log")" || true)"
  if [ ! -c "$pty" ]; then
    echo "the simulator did not start:" >&2
    cat "$out/$name.log" >&2
    return 1
  fi
  ln -sfn "$pty" "$WINEPREFIX/dosdevices/com$com_number"
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v "COM$com_number" /t REG_SZ /d "$pty" /f >/dev/null
  wine_server_restart
}
