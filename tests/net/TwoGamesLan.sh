#!/bin/sh
# Two headless games on loopback meet on the local network (the group is the host's 127.0.0.1),
# and a scripted input sequence plays them through the front end: the host opens a room with
# approval, the guest joins and is accepted, both pick a faction (the guest first tries the
# host's), get ready, and the host starts. Both must reach the battle start with the same seed,
# options and player slots, and generate the same random map. Usage: TwoGamesLan.sh KARDOL MAKE_DEMO
set -u
game="$1"
make_demo="$2"
dir=$(mktemp -d)
[ -n "${KEEP:-}" ] && echo "keeping $dir" || trap 'rm -rf "$dir"' EXIT
base=$((20000 + ($$ % 3000) * 3))
frames=${FRAMES:-1000}

run() { # name address script
    mkdir -p "$dir/$1/run" "$dir/$1/game"
    echo 1 >"$dir/$1/rc"
    (cd "$dir/$1/game" && "$make_demo" . >/dev/null) || return
    (cd "$dir/$1/game" &&
        XDG_RUNTIME_DIR="$dir/$1/run" KARDOL_REGISTRY="$dir/$1/registry.ini" KARDOL_HEADLESS=1 \
            SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KARDOL_LOOPBACK_ONLY=1 \
            KARDOL_COMPUTER_NAME="$1" KARDOL_BIND_ADDRESS="$2" KARDOL_LAN_GROUP=127.0.0.1 \
            KARDOL_LAN_PORT=$base KARDOL_LAN_REPLY_PORT=$((base + 1)) KARDOL_ROOM_PORT=$((base + 2)) \
            KARDOL_FRAMES=$frames KARDOL_DUMP="$dir/$1/last.bmp" KARDOL_NET_REPORT="$dir/$1/report.txt" \
            KARDOL_INPUT="$3" timeout 180 "$game" >"$dir/$1/out.txt" 2>&1)
    echo $? >"$dir/$1/rc"
}

# Clicks by frame. Both: "NETWORK PLAY", "LOCAL NETWORK". The host: "NEW ROOM", approval on,
# "CREATE", "ACCEPT" for the guest, the map of four cities, option 3 = 1, option 4 = 2. The guest:
# the room's row of the room list. Both: the own slot's faction button and a row of the faction
# window (the guest first the host's), "READY"; the host "START" (again, should the guest lag).
# The frames lie far apart because the lobby's waits (announcements, join, answers) run on the
# clock, not on frames.
host="30:click 400,410;50:click 400,340;80:click 520,565;100:click 538,308;110:click 320,410"
host="$host;420:click 330,328;440:click 590,166;450:click 566,350;460:click 652,396;480:click 275,61;500:click 420,126;700:click 608,460"
host="$host;760:click 494,460;820:click 494,460;880:click 494,460"
guest="30:click 400,410;50:click 400,340;280:click 18,83"
guest="$guest;470:click 275,85;560:click 420,126;590:click 420,152;640:click 608,460"

run HOSTPC 127.0.0.1 "$host" &
run GUESTPC 127.0.0.2 "$guest" &
wait

status=0
for who in HOSTPC GUESTPC; do
    rc=$(cat "$dir/$who/rc")
    if [ "$rc" -ne 0 ]; then
        echo "$who ended with $rc"
        tail -20 "$dir/$who/out.txt"
        status=1
    fi
    if [ ! -s "$dir/$who/report.txt" ]; then
        echo "$who did not reach the battle start"
        cat "$dir/$who/game/Error.lst" 2>/dev/null | tail -20
        status=1
    fi
done
[ $status -eq 0 ] || exit 1
a=$(cat "$dir/HOSTPC/report.txt")
b=$(cat "$dir/GUESTPC/report.txt")
echo "host:  $a"
echo "guest: $b"
if [ "$a" != "$b" ]; then
    echo "the stations start differently"
    exit 1
fi
case "$a" in
*"stage=102 type=0 options=0,0,9,2 "*"choices=1,2,0,"*) ;;
*)
    echo "not the room that was set up"
    exit 1
    ;;
esac
# The random map of the room: both stations generate the same stage files.
for file in Virtual.m Virtual.x Virtual.dor; do
    if [ ! -s "$dir/HOSTPC/game/$file" ] || ! cmp -s "$dir/HOSTPC/game/$file" "$dir/GUESTPC/game/$file"; then
        echo "$file differs or is missing"
        exit 1
    fi
done
echo "both stations start the same battle"
