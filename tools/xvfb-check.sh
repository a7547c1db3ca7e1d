#!/usr/bin/env bash
# Runs the SDL presentation test against a real X server (Xvfb), then the game on a demo folder
# with a scripted pointer move and checks that the pointer is drawn. With a file name as argument it
# also keeps the window up for a moment and saves a screenshot of the X screen there (needs
# ImageMagick's `import`; without it the presented frame is written as a BMP dump instead).
# Usage: tools/xvfb-check.sh [build-dir] [screenshot.png]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/asan}"
shot="${2:-}"
test_bin="$build/tests/test_platform"
[ -x "$test_bin" ] || { echo "missing $test_bin: build first" >&2; exit 1; }

if [ -z "${KARDOL_XVFB_INSIDE:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "xvfb-run missing (package xvfb)" >&2; exit 1; }
  KARDOL_XVFB_INSIDE=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$shot"
fi

unset KARDOL_HEADLESS
# The software renderer: Xvfb has no GPU, and llvmpipe brings JIT threads and leak reports.
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software
# libdbus and the X11 libraries SDL loads and unloads leave blocks behind at exit; our own code
# is leak-checked by the headless tests.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# The game itself on a demo folder with a scripted pointer move: the arrow's white inside must be in
# the presented frame where the pointer went.
check_pointer() {
  local work status game
  game="$(cd "$build" && pwd)/Kardol"
  work=$(mktemp -d)
  "$build/tools/make_demo/make_demo" "$work/game" >/dev/null || { rm -rf "$work"; return 1; }
  status=0
  (cd "$work/game" && XDG_RUNTIME_DIR="$work" KARDOL_REGISTRY="$work/registry.ini" KARDOL_FRAMES=40 \
     KARDOL_POINTER=420,345,5 KARDOL_DUMP="$work/frame.bmp" "$game" >"$work/run.log" 2>&1) || status=$?
  if [ "$status" -eq 0 ] && python3 - "$work/frame.bmp" <<'PY'
import struct, sys
d = open(sys.argv[1], 'rb').read()
off = struct.unpack_from('<I', d, 10)[0]
h = struct.unpack_from('<i', d, 22)[0]
x, y = 422, 352
row = 599 - y if h > 0 else y
b, g, r = d[off + row * 2400 + x * 3: off + row * 2400 + x * 3 + 3]
sys.exit(0 if min(b, g, r) >= 240 else 1)
PY
  then
    echo "the pointer shows in the game's window"
  else
    echo "the pointer is missing from the game's window (status $status)"; tail -n 20 "$work/run.log"
    status=1
  fi
  rm -rf "$work"
  return "$status"
}

if [ -z "$shot" ]; then
  "$test_bin" --gtest_filter='SdlPresentTest.*' || exit 1
  check_pointer
  exit $?
fi
KARDOL_SDL_HOLD_MS=3000 KARDOL_DUMP="${shot%.*}.bmp" "$test_bin" --gtest_filter='SdlPresentTest.*' &
pid=$!
sleep 1.5
if command -v import >/dev/null; then
  import -window root "$shot"
  echo "screenshot: $shot"
fi
wait "$pid"
echo "presented frame: ${shot%.*}.bmp"
