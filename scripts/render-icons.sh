#!/bin/sh
# Renders the program icon at the usual sizes from its SVG source into data/icons/hicolor.
# Run after changing data/icons/org.zarn.Zarn.svg and commit the PNGs (needs librsvg2-bin).
set -eu
cd "$(dirname "$0")/.."
src="data/icons/org.zarn.Zarn.svg"
for size in 16 22 24 32 48 64 128 256; do
    dir="data/icons/hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    rsvg-convert -w "$size" -h "$size" -o "$dir/org.zarn.Zarn.png" "$src"
    if command -v optipng > /dev/null; then optipng -quiet -o2 "$dir/org.zarn.Zarn.png"; fi
done
echo "render-icons: ok"
