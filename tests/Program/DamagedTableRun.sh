#!/bin/sh
# Runs the game headless in folders whose tables are damaged or missing: start-up must name the
# file in a message and in "Error.lst" and end by itself with status 3, without reaching the menu.
# Usage: DamagedTableRun.sh KARDOL
set -u
game="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0
# run NAME MESSAGE LOGLINE: plays the folder $dir/NAME and checks what it says.
run() {
    mkdir -p "$dir/$1-run"
    (cd "$dir/$1" && XDG_RUNTIME_DIR="$dir/$1-run" KARDOL_REGISTRY="$dir/$1.ini" KARDOL_HEADLESS=1 \
        SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KARDOL_FRAMES=100000 KARDOL_DUMP="$dir/$1.bmp" \
        timeout 60 "$game" > /dev/null 2>&1)
    rc=$?
    if [ "$rc" -ne 3 ]; then
        echo "$1: Kardol ended with $rc"
        failed=1
    fi
    if ! grep -q "$2" "$dir/$1/Error.lst" || ! grep -q "^$3" "$dir/$1/Error.lst"; then
        echo "$1: Error.lst does not name the table:"
        cat "$dir/$1/Error.lst"
        failed=1
    fi
}
empty='\000\000\000\000\000\000\000\000'
# Two records of 432 bytes announced, three bytes present.
mkdir "$dir/short"
printf '\002\000\000\000\260\001\000\000abc' > "$dir/short/general.ini"
run short "Damaged data file: general.ini" "general.ini,damaged table"
# The general table is there and empty, the city table is not.
mkdir "$dir/missing"
printf "$empty" > "$dir/missing/general.ini"
run missing "Missing data file: castle.ini" "castle.ini,missing table"
[ "$failed" -eq 0 ] && echo "start-up named the damaged and the missing table and ended with 3"
exit "$failed"
