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

run() { # name address script
    (cd "$dir/$1/game" &&
        XDG_RUNTIME_DIR="$dir/$1/run" KARDOL_REGISTRY="$dir/$1/registry.ini" KARDOL_HEADLESS=1 \
            SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KARDOL_LOOPBACK_ONLY=1 KARDOL_NET_AUTOPLAY=1 \
            KARDOL_COMPUTER_NAME="$1" KARDOL_BIND_ADDRESS="$2" KARDOL_LAN_GROUP=127.0.0.1 \
            KARDOL_LAN_PORT=$base KARDOL_LAN_REPLY_PORT=$((base + 1)) KARDOL_ROOM_PORT=$((base + 2)) \
            KARDOL_DUMP="$dir/$1/last.bmp" KARDOL_NET_REPORT="$dir/$1/report.txt" \
            KARDOL_INPUT="$3" timeout 200 "$game" >"$dir/$1/out.txt" 2>&1)
    echo $? >"$dir/$1/rc"
}

# Each station waits for the screen, the room or the other station before it acts ("await", the
# game's script marks: scene 0 = the main menu, net = the session's state, rooms = rooms listed,
# ready = slots ready); a fixed clock loses clicks to a slow start-up or a loaded machine. Both:
# "NETWORK PLAY", "LOCAL NETWORK". The host: "NEW ROOM", approval on, "CREATE", "ACCEPT" for the
# guest, the map of four cities, option 3 = 1, option 4 = 2, its faction, "READY", and once both
# are ready "START". The guest: the room's row of the room list; once the host is ready, the own
# slot's faction button and the host's faction, which is held (its row is disabled: the click
# closes the faction window and takes nothing), then the window again and the next faction;
# "READY". Both close a while into the battle (state 102).
front="await scene=0;300ms:click 400,410;await net=71;300ms:click 400,340;await net=11"
host="$front;300ms:click 520,565;await net=21;300ms:click 538,308;800ms:click 320,410"
host="$host;await net=91;500ms:click 330,328;await net=33;500ms:click 590,166;1500ms:click 566,350"
host="$host;2500ms:click 652,396;3500ms:click 275,61;await net=101;500ms:click 420,126"
host="$host;await net=33;1000ms:click 608,460;await ready=2;1000ms:click 494,460;await net=102;8000ms:close"
guest="$front;await rooms=1;500ms:click 18,83;await net=33;await ready=1;1000ms:click 275,85"
guest="$guest;await net=101;500ms:click 420,126;await net=33;500ms:click 275,85;await net=101"
guest="$guest;500ms:click 420,152;await net=33;1000ms:click 608,460;await net=102;8000ms:close"

for who in HOSTPC GUESTPC; do
    mkdir -p "$dir/$who/run" "$dir/$who/game"
    echo 1 >"$dir/$who/rc"
    (cd "$dir/$who/game" && "$make_demo" . >/dev/null) || exit 1
done
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
# Each station's world starts alike, and both players' castles (cities 1 and 2, the factions taken)
# hold generals, troops and strength: the computer plays every side and a castle without them is
# lost at once.
a=$(grep '^battle start:' "$dir/HOSTPC/out.txt")
b=$(grep '^battle start:' "$dir/GUESTPC/out.txt")
echo "host:  $a"
echo "guest: $b"
if [ -z "$a" ] || [ "$a" != "$b" ]; then
    echo "the stations' cities start differently"
    exit 1
fi
held=$(echo "$a" | awk '{ for (i = 3; i <= NF; i++) { split($i, f, ":");
    if ((f[1] == 1 || f[1] == 2) && f[1] == f[2] && f[3] > 0 && f[4] > 0 && f[5] > 0) n++ } print n + 0 }')
if [ "$held" -ne 2 ]; then
    echo "a player's castle starts without generals, troops or strength"
    exit 1
fi
# The last frame of each station is its battle: the land around its own castle is lit, so most of
# the 800 x 560 view (the top 560 rows of the bottom-up 24-bit picture) is not black.
for who in HOSTPC GUESTPC; do
    lit=$(od -An -v -tu1 -w2400 -j $((54 + 40 * 2400)) -N $((560 * 2400)) "$dir/$who/last.bmp" |
        awk '{ for (i = 1; i <= NF; i += 3) { n++; if ($i + $(i + 1) + $(i + 2) > 60) lit++ } }
             END { print (n == 560 * 800 ? int(100 * lit / n) : -1) }')
    if [ "$lit" -lt 50 ]; then
        echo "$who shows a dark battle view ($lit% lit)"
        exit 1
    fi
done
echo "both stations start the same battle"
