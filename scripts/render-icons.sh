#!/usr/bin/env bash
# Renders the committed PNG icons from dist/icons/org.quillon.Quillon.svg at the hicolor
# theme's usual sizes. Run it after changing the SVG and commit the PNGs with it; the build
# installs the committed files and needs no renderer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" librsvg2-bin >/dev/null
svg="$root/dist/icons/org.quillon.Quillon.svg"
for size in 16 22 24 32 48 64 128 256 512; do
  mkdir -p "$root/dist/icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$root/dist/icons/${size}x${size}/org.quillon.Quillon.png"
done
