#!/usr/bin/env bash
# Renders the application icon from res/icons/com.velmoric.qorstats.svg into the committed
# hicolor PNG sizes (installed, and the window icon) and the Windows .ico. Run it after
# changing the SVG, and commit what it writes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh icons

id=com.velmoric.qorstats
svg=res/icons/$id.svg
for size in 16 22 24 32 48 64 128 256; do
  dir=res/icons/hicolor/${size}x${size}/apps
  mkdir -p "$dir"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$dir/$id.png"
done
# The .ico takes the sizes Windows asks for; the 256 px image stays PNG-compressed.
convert res/icons/hicolor/{16x16,24x24,32x32,48x48,256x256}/apps/$id.png \
  res/icons/$id.ico
ls -l res/icons/$id.ico res/icons/hicolor/*/apps/$id.png
