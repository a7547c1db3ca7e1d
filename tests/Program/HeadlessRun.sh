#!/bin/sh
# Runs the game headless in a temporary folder that holds only empty data tables for a number of
# frames and checks that it ends with 0 and leaves an 800x600 dump of its last frame.
# Usage: HeadlessRun.sh KARDOL FRAMES
set -u
game="$1"
frames="${2:-60}"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/run" "$dir/game"
cd "$dir/game" || exit 1
# No records in any table: a soldier table of none ends the tables there.
for t in general.ini castle.ini SubCastle.ini; do printf '\000\000\000\000\000\000\000\000' > "$t"; done
printf '\000\000\000\000' > soldier.ini
XDG_RUNTIME_DIR="$dir/run" KARDOL_REGISTRY="$dir/registry.ini" KARDOL_HEADLESS=1 \
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KARDOL_FRAMES="$frames" KARDOL_DUMP="$dir/frame.bmp" \
    timeout 120 "$game"
rc=$?
if [ "$rc" -ne 0 ]; then
    echo "Kardol ended with $rc"
    exit 1
fi
if [ ! -f "$dir/frame.bmp" ]; then
    echo "no frame dump"
    exit 1
fi
# BMP header: width at byte 18, height at byte 22 (little-endian 32-bit).
width=$(od -An -tu4 -j18 -N4 "$dir/frame.bmp" | tr -d ' ')
height=$(od -An -tu4 -j22 -N4 "$dir/frame.bmp" | tr -d ' ')
if [ "$width" != 800 ] || [ "$height" != 600 ]; then
    echo "frame dump is ${width}x${height}"
    exit 1
fi
echo "Kardol ran $frames frames headless and dumped an 800x600 frame"
