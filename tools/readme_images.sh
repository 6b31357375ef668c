#!/usr/bin/env bash
# Makes the README's small pictures in docs/ from the screenshots tools/demo.sh left in out/demo/: the
# overlay's corner of the screen with some of the game, and the game reports (the demo's game and a crafted
# history's) scaled down.
set -euo pipefail
cd "$(dirname "$0")/.."
demo=out/demo
mkdir -p docs
# The overlay's two lines sit at the screen's top-left corner, over the game window.
convert "$demo/overlay-measuring.png" -crop 320x120+0+0 +repage -strip \
    -define png:compression-level=9 docs/overlay.png
for page in report report-crafted; do
    convert "$demo/$page.png" -resize 700x -strip +dither -colors 64 \
        -define png:compression-level=9 -define png:compression-filter=5 "docs/$page.png"
done
ls -l docs/overlay.png docs/report.png docs/report-crafted.png
