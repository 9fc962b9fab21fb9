#!/usr/bin/env bash
# Renders the committed PNG icons from dist/icons/org.quillon.Quillon.svg at the hicolor
# theme's usual sizes, and from them the Windows icon dist/windows/quillon.ico (16 to 256
# pixels; the 256-pixel image stored as PNG, as Windows expects it). Run it after changing the
# SVG and commit the PNGs and the icon with it; the build uses the committed files and needs no
# renderer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" librsvg2-bin icoutils >/dev/null
svg="$root/dist/icons/org.quillon.Quillon.svg"
png() { echo "$root/dist/icons/${1}x${1}/org.quillon.Quillon.png"; }
for size in 16 22 24 32 48 64 128 256 512; do
  mkdir -p "$root/dist/icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$(png "$size")"
done
icotool -c -o "$root/dist/windows/quillon.ico" "$(png 16)" "$(png 24)" "$(png 32)" "$(png 48)" "$(png 64)" \
  "$(png 128)" -r "$(png 256)"
