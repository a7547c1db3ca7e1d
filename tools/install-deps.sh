#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the fuzzers need; does nothing when all are present.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang clang-format lld libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-mixer-dev libfreetype-dev libfontconfig-dev
  fonts-arphic-uming fonts-arphic-ukai
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  xvfb xauth
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
