#!/usr/bin/env bash
# Does what `make run` does, headless and for a bounded number of frames: builds the release preset
# (every target), writes the demo folder and starts the game in it. Fails when anything does not
# compile, when the game does not end with 0, or when it did not come up from the demo folder (no
# frame, a black frame, or an error log left in the folder).
# usage: tools/run-check.sh [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
frames=${1:-120}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -f build/demo/Error.lst
KARDOL_HEADLESS=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR="$work" \
  KARDOL_REGISTRY="$work/registry.ini" KARDOL_FRAMES="$frames" KARDOL_DUMP="$work/frame.bmp" \
  make run
if [ -s build/demo/Error.lst ]; then
  echo "the game logged errors in the demo folder:"; head -n 20 build/demo/Error.lst; exit 1
fi
python3 - "$work/frame.bmp" <<'PY'
import struct, sys
d = open(sys.argv[1], 'rb').read()
off = struct.unpack_from('<I', d, 10)[0]
w, h = struct.unpack_from('<ii', d, 18)
bpp = struct.unpack_from('<H', d, 28)[0]
if (w, abs(h)) != (800, 600):
    sys.exit(f"the game's last frame is {w}x{h}, not 800x600")
lit = sum(1 for i in range(off, len(d) - 2, 3 * 97) if max(d[i:i + 3]) > 16)
if lit < 100:
    sys.exit("the game's last frame is black: it did not start from the demo folder")
print(f"the game started from the demo folder and ran its frames ({w}x{abs(h)}, {bpp} bit)")
PY
