#!/usr/bin/env bash
# Runs the SDL presentation test against a real X server (Xvfb). With a file name as argument it
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
if [ -z "$shot" ]; then
  exec "$test_bin" --gtest_filter='SdlPresentTest.*'
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
