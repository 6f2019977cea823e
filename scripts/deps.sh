#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the game need, when
# missing. Needs root (apt-get); does nothing when everything is present.
# clang and its libFuzzer runtime (libclang-rt-dev, only recommended by
# clang) build the fuzz targets of the test command's smoke run; x11-utils
# (xwininfo) and xdotool look at and drive the game under a virtual display.
# zlib1g-dev gives the CRC-32 that save games carry in their trailer.
set -euo pipefail

PKGS=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev fonts-wqy-zenhei libpng-dev zlib1g-dev
  libavformat-dev libavcodec-dev libswresample-dev libswscale-dev libavutil-dev
  xvfb xdotool x11-apps x11-utils
  clang libclang-rt-dev
)

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
