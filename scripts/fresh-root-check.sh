#!/usr/bin/env bash
# Proves that the set-up works on a machine that has nothing yet: builds a minimal Debian 12 root
# (apt variant: no recommended packages, no compilers), copies the committed tree in, and runs there
# what a new user runs: scripts/install-deps.sh, the configure, the build and the core tests.
# A package missing from install-deps.sh makes the configure or the build fail here, and the
# script then prints what CMake (or the compiler) could not find.
# Usage: scripts/fresh-root-check.sh [--keep]   (as root; installs mmdebstrap when missing)
set -uo pipefail
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
keep=0
[ "${1:-}" = --keep ] && keep=1

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-root-check: needs root (mmdebstrap builds a chroot)" >&2
  exit 1
fi
"$(dirname "$0")/install-deps.sh" mmdebstrap >/dev/null

work=$(mktemp -d /tmp/quillon-fresh-root.XXXXXX)
cleanup() { [ $keep -eq 1 ] || rm -rf "$work"; }
trap cleanup EXIT

# The committed tree only: what a clean checkout has, not this machine's build folders.
mkdir -p "$work/tree"
if git -C "$root_dir" rev-parse --git-dir >/dev/null 2>&1; then
  git -C "$root_dir" ls-files -z | (cd "$root_dir" && tar --null -T - -cf -) | tar -x -C "$work/tree"
else
  tar -C "$root_dir" --exclude='./build*' -cf - . | tar -x -C "$work/tree"
fi

# Inside: the README's set-up, a configure with the GUI, the build of the tool and the core tests,
# and the core tests themselves. Each step's log is kept apart so that a failure can be named.
cat >"$work/tree/.fresh-root-inner.sh" <<'INNER'
#!/usr/bin/env bash
set -uo pipefail
cd /root/tree
step() {  # name, command...
  local name=$1; shift
  echo "== $name"
  if ! "$@" >"/root/$name.log" 2>&1; then echo "FAILED: $name"; exit 1; fi
}
step install-deps ./scripts/install-deps.sh
step configure cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_WERROR=ON -DQUILLON_BENCH=OFF
step build cmake --build build -j "$(nproc)" --target quillon quillon-devsim quillon_tests
step core-tests ./build/quillon_tests --gtest_brief=1
echo "== done"
INNER
chmod +x "$work/tree/.fresh-root-inner.sh"

echo "fresh-root-check: building a minimal Debian 12 root in $work"
mmdebstrap --variant=apt --include=ca-certificates bookworm "$work/root" \
  --customize-hook="copy-in $work/tree /root" \
  --customize-hook="chroot \"\$1\" /root/tree/.fresh-root-inner.sh > $work/inner.log 2>&1 || { cp \"\$1\"/root/*.log $work/ 2>/dev/null; exit 1; }" \
  >"$work/mmdebstrap.log" 2>&1
rc=$?
cat "$work/inner.log" 2>/dev/null | grep -E '^(==|FAILED)' || true
if [ $rc -ne 0 ]; then
  failed=$(grep -oE 'FAILED: [a-z-]+' "$work/inner.log" 2>/dev/null | head -1 | cut -d' ' -f2)
  echo "fresh-root-check: FAILED at step '${failed:-mmdebstrap}' on a fresh Debian 12 root"
  if [ -n "$failed" ] && [ -f "$work/$failed.log" ]; then
    # What CMake could not find names the missing package; otherwise show the last lines.
    missing=$(grep -iE 'could not find|could not be found|unable to locate package|fatal error|no such file' "$work/$failed.log" | sed 's/^ *//' | head -8)
    if [ -n "$missing" ]; then echo "$missing"; else tail -30 "$work/$failed.log"; fi
  else
    tail -30 "$work/mmdebstrap.log"
  fi
  keep=1
  echo "fresh-root-check: logs kept in $work"
  exit 1
fi
grep -E '^\[  (PASSED|FAILED)' "$work/root/root/core-tests.log" 2>/dev/null
echo "fresh-root-check: ok"
