#!/bin/sh
# Runs the game headless in a folder whose "general.ini" is cut short: start-up must name the
# file in a message and in "Error.lst" and end by itself, without reaching the menu.
# Usage: DamagedTableRun.sh KARDOL
set -u
game="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/run" "$dir/game"
cd "$dir/game" || exit 1
# Two records of 432 bytes announced, three bytes present.
printf '\002\000\000\000\260\001\000\000abc' > general.ini
XDG_RUNTIME_DIR="$dir/run" KARDOL_REGISTRY="$dir/registry.ini" KARDOL_HEADLESS=1 \
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KARDOL_FRAMES=100000 KARDOL_DUMP="$dir/frame.bmp" \
    timeout 60 "$game"
rc=$?
if [ "$rc" -ne 0 ]; then
    echo "Kardol ended with $rc"
    exit 1
fi
if ! grep -q "Damaged data file: general.ini" Error.lst || ! grep -q "^general.ini,damaged table" Error.lst; then
    echo "Error.lst does not name the table:"
    cat Error.lst
    exit 1
fi
echo "start-up named the damaged table and ended"
