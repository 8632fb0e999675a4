#!/usr/bin/env bash
# Draws the program's windows offscreen on a small generated diary and saves
# them as the manual's pictures (manual/images/*.png). Qt's own file, print
# and font dialogs are drawn into build/dialogs/ to see that they speak German.
# Run after scripts/build.sh; the next build renders the manual with the new
# pictures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake --build "$root/build" --target screenshots -j 2
# A screen larger than the offscreen default of 800 x 600, so that every
# window opens at its own size.
QT_QPA_PLATFORM="offscreen:configfile=$root/tools/screenshots/screen.json" LC_ALL=C.UTF-8 \
  "$root/build/tools/bin/screenshots" "$root/manual/images" "$root/build/dialogs"
ls "$root/manual/images"
