#!/usr/bin/env bash
# Proves the Debian package on a machine that has none of the build's packages: builds a minimal
# Debian 12 root (apt variant), installs the package there with apt-get, runs every installed
# program's --version, starts the installed simulator and the installed GUI (off-screen, with
# --self-test, while the simulator serves a port the GUI's scan finds), then removes the package
# and checks that none of its files and folders is left behind.
# Usage: scripts/fresh-root-install-check.sh [package, default build-package/quillon_*.deb] [--keep]
#        (as root; installs mmdebstrap when missing)
set -uo pipefail
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
deb="" keep=0
for a in "$@"; do
  case "$a" in --keep) keep=1 ;; *) deb=$a ;; esac
done
[ -n "$deb" ] || deb=$(ls "$root_dir"/build-package/quillon_*_*.deb 2>/dev/null | head -1)
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
  echo "fresh-root-install-check: no package; build it first with scripts/package.sh" >&2
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-root-install-check: needs root (mmdebstrap builds a chroot)" >&2
  exit 1
fi
"$(dirname "$0")/install-deps.sh" mmdebstrap >/dev/null

work=$(mktemp -d /tmp/quillon-fresh-install.XXXXXX)
cleanup() { [ $keep -eq 1 ] || rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$work/in"
cp "$deb" "$work/in/"

cat >"$work/in/inner.sh" <<'INNER'
#!/usr/bin/env bash
set -uo pipefail
cd /root/in
fail() { echo "FAILED: $*"; exit 1; }
# The root must not have what the build needs, or the package's Depends prove nothing.
for p in g++ cmake qt6-base-dev libqt6widgets6; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && fail "$p is already installed"
done
echo "== apt-get install ./$(ls quillon_*.deb)"
DEBIAN_FRONTEND=noninteractive apt-get install -y ./quillon_*.deb >/root/install.log 2>&1 || fail "install (see install.log)"
version=$(dpkg-query -W -f='${Version}' quillon)
dpkg -L quillon | sort >/root/files.list

echo "== --version of each installed program"
programs=$(grep '^/usr/bin/' /root/files.list)
[ -n "$programs" ] || fail "no programs in /usr/bin"
for p in $programs; do
  out=$("$p" --version) || fail "$p --version"
  [ "$out" = "$(basename "$p") $version" ] || fail "$p --version printed '$out', not '$(basename "$p") $version'"
  echo "$out"
done

echo "== the installed simulator serves a port"
export XDG_RUNTIME_DIR=/run/quillon-check
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
coproc SIM { exec quillon-devsim --short-address 1; }
read -r -t 10 port <&"${SIM[0]}" || fail "quillon-devsim printed no port"
[ -e "$port" ] || fail "quillon-devsim's port $port does not exist"
echo "port $port"

echo "== the installed GUI reaches its main window (offscreen)"
QT_QPA_PLATFORM=offscreen timeout 60 quillon --self-test >/root/gui.log 2>&1 || { cat /root/gui.log; fail "quillon --self-test"; }
grep 'self-test' /root/gui.log
kill "$SIM_PID"; wait "$SIM_PID" 2>/dev/null

echo "== apt-get remove leaves nothing of the package"
DEBIAN_FRONTEND=noninteractive apt-get remove -y quillon >/root/remove.log 2>&1 || fail "remove (see remove.log)"
left=0
while read -r f; do
  [ "$f" = /. ] && continue
  if [ -d "$f" ] && [ ! -L "$f" ]; then
    # A folder may stay only when another installed package still has it.
    dpkg-query -S "$f" >/dev/null 2>&1 || { echo "left behind: $f/"; left=1; }
  elif [ -e "$f" ] || [ -L "$f" ]; then
    echo "left behind: $f"; left=1
  fi
done </root/files.list
[ $left -eq 0 ] || fail "files of the package are left after apt-get remove"
echo "$(wc -l </root/files.list) paths of the package checked: none left"
echo "== done"
INNER
chmod +x "$work/in/inner.sh"

echo "fresh-root-install-check: installing $(basename "$deb") on a minimal Debian 12 root in $work"
mmdebstrap --variant=apt --include=ca-certificates bookworm "$work/root" \
  --customize-hook="copy-in $work/in /root" \
  --customize-hook="chroot \"\$1\" /root/in/inner.sh > $work/inner.log 2>&1 || { cp \"\$1\"/root/*.log $work/ 2>/dev/null; exit 1; }" \
  >"$work/mmdebstrap.log" 2>&1
rc=$?
cat "$work/inner.log" 2>/dev/null
if [ $rc -ne 0 ]; then
  [ -s "$work/inner.log" ] || tail -30 "$work/mmdebstrap.log"
  for log in install remove; do [ -f "$work/$log.log" ] && tail -15 "$work/$log.log"; done
  keep=1
  echo "fresh-root-install-check: FAILED; logs kept in $work"
  exit 1
fi
echo "fresh-root-install-check: ok"
